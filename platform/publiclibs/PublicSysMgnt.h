// PUBLICSYSMGNT: rights, system parameters, county and business-hall lists and the current
// date, answered by the system-management service.
#pragma once

#include "PublicLookup.h"
#include "SysMgntMisc_def_tvd_c.h"
#include "sysmgnt_def_tvd_c.h"

#include <memory>

namespace MSysSvcApp {
class ISysMgnt;
}

using CCountyLookup = CContainerLookup<MSysmgntDef::SCountyList>;
using COrgLookup = CContainerLookup<MSysmgntDef::SOrgBriefProfileList>;

class CSysMgntPublic {
public:
    CSysMgntPublic();
    ~CSysMgntPublic();

    // Reserved handle 0, region, county, organisation, operator. True when the service answers.
    bool Init(int reserved, int regionCode, int countyCode, int orgId, int opId);
    // The answer marks each granted entity of the request with AUTHORIZED 1.
    bool CheckOperRight(int opId, int orgId, const MSysmgntDef::SOperPrivAuthList& request,
                        MSysmgntDef::SOperPrivAuthList& answer);
    // The value of a system parameter; 1 on success.
    int GetSysParaMaxValue(int regionCode, int countyCode, const char* name, std::string& value);
    // Every value of a system parameter; 1 on success.
    int GetSysParaValueList(int regionCode, int countyCode, const char* name,
                            MSysmgntDef::SPublicParamList& values);
    // The counties of a region into the holder and the combo box (emptied first).
    bool RefreshComboBox(int regionCode, std::unique_ptr<CCountyLookup>& holder,
                         QComboBox* comboBox);
    // The business halls of a region and county into the holder and the combo box.
    bool RefreshComboBox(int regionCode, int countyCode, std::unique_ptr<COrgLookup>& holder,
                         QComboBox* comboBox);
    bool getCurrentDate(CBSDateTime& now);

    const CBSErrorMsg& LastError() const { return lastError_; }

private:
    bool Succeeded(int result);

    std::unique_ptr<MSysSvcApp::ISysMgnt> client_;
    CBSErrorMsg lastError_;
};

std::unique_ptr<CCountyLookup> MakeCountyLookup(MSysmgntDef::SCountyList counties);
std::unique_ptr<COrgLookup> MakeOrgLookup(MSysmgntDef::SOrgBriefProfileList orgs);
