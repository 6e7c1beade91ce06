// The operations known to this process: each operation's interface, code and parameter types,
// registered when the library that declares it loads. The service dispatches with it.
#pragma once

#include "tvd_object.h"

#include <string>
#include <string_view>

struct TvdOperation {
    std::string interfaceName;
    std::string code;
    std::string name;
    const CTvdTypeInfo* in;
    const CTvdTypeInfo* out;
};
const TvdOperation* tvd_findOperation(std::string_view interfaceName, std::string_view code);

class CTvdOperationRegistration {
public:
    CTvdOperationRegistration(const char* interfaceName, const char* code, const char* name,
                              const CTvdTypeInfo& in, const CTvdTypeInfo& out);
    ~CTvdOperationRegistration();

private:
    std::string interfaceName_;
    std::string code_;
};
