// PUBLICACCOUNT: code lists by category (BASE_DATA_CATEGORICAL).
#pragma once

#include "PublicLookup.h"
#include "tvd_object.h"

#include <memory>
#include <vector>

namespace MSysSvcApp {
class ISysMgnt;
}

using CNameCodeLookup = CContainerLookup<std::vector<TCNameCodeInfo>>;

class CAccountPublic {
public:
    CAccountPublic();
    ~CAccountPublic();

    bool Initialize(int reserved, int regionCode, int countyCode, int orgId, int opId);
    // Fills the holder with the code and name pairs of the category.
    bool GetBaseTypeList(int category, std::unique_ptr<CBasicLookup>& holder);

    const CBSErrorMsg& LastError() const { return lastError_; }

private:
    std::unique_ptr<MSysSvcApp::ISysMgnt> client_;
    CBSErrorMsg lastError_;
};

std::unique_ptr<CNameCodeLookup> MakeNameCodeLookup(std::vector<TCNameCodeInfo> entries);
