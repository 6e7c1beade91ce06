// The client of the resource-management interface.
#pragma once

#include "ResSysMgnt_operations.h"
#include "tvd_proxy.h"

namespace MResSysMgnt {

class IResSysMgnt : public CTvdClientObject, public IResSysMgntOperations {
public:
    int interfaceRevision() const override { return -9979; }

    TVD_QUERY_OPERATION(query_resCode, SQueryResCodeIn, sIn, SResCodeDefInfoList,
                        listResCodeDefInfo)
};

} // namespace MResSysMgnt
