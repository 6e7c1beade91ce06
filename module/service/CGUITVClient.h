// Base of the service-access objects: the error record and the five initialisation values.
#pragma once

#include "TVClient.h"

class CGUITVClient {
public:
    virtual ~CGUITVClient() = default;

    // Reserved handle, region, county, organisation, operator.
    virtual void Init(int reserved, int regionCode, int countyCode, int orgId, int opId) = 0;

    int GetRegionCode() const { return regionCode_; }
    int GetCountyCode() const { return countyCode_; }
    int GetOrgId() const { return orgId_; }
    int GetOpId() const { return opId_; }

protected:
    void Store(int reserved, int regionCode, int countyCode, int orgId, int opId);

    CBSErrorMsg errorMsg_;

private:
    std::int32_t reserved_ = 0;
    std::int32_t regionCode_ = 0;
    std::int32_t countyCode_ = 0;
    std::int32_t orgId_ = 0;
    std::int32_t opId_ = 0;
};
