// libFuzzer target: a call's body decoded as the service does it (records read and the JSON's
// limits checked in one pass), for operations of every shape; the first byte picks the operation,
// the rest is the body. A crash, sanitizer report or escaping exception is a fault.
#include "request_json.h"
#include "tvd_json.h"
#include "tvd_operation.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const std::pair<const char*, const char*> kOperations[] = {
    {"MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ25"}, // add SIM cards: a list of records
    {"MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ28"}, // SIM query: a criteria record
    {"MResRemoteMgntApp_IResRemoteMgnt", "RMOSMQ52"}, // write-log inquiry: dates
    {"MSysSvcApp_ISysMgnt", "SYSMQ01"},               // rights: a record and a list
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const auto& [interfaceName, code] = kOperations[data[0] % std::size(kOperations)];
    const TvdOperation* operation = tvd_findOperation(interfaceName, code);
    if (operation == nullptr)
        __builtin_trap(); // the operation tables did not load
    tvd::wire::OwnedParams in(*operation->in);
    const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
    // Writes read their list in chunks, here of three records, and may stop after any.
    const bool chunked = (data[0] / std::size(kOperations)) % 2 != 0;
    int taken = 0;
    const tvd::wire::ListChunks chunks{3, [&](const CTvdBasicListObject& records) {
                                           if (records.count() == 0 || records.count() > 3)
                                               __builtin_trap(); // a chunk of a wrong size
                                           return ++taken < data[0] / 8;
                                       }};
    (void)rsim::decodeCall(body, operation->name, in.params(), chunked ? &chunks : nullptr);
    return 0;
}
