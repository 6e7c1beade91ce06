// The client of the system-management and account services.
#pragma once

#include "SysMgntService_operations.h"
#include "tvd_proxy.h"

namespace MSysSvcApp {

class ISysMgnt : public CTvdClientObject, public ISysMgntOperations {
public:
    int interfaceRevision() const override { return -9979; }

    // "SYSMQ01": the rights of the operator (OP_ID, ORG_ID of the brief) over the entities asked
    // for; the answer marks each granted entity with AUTHORIZED 1.
    TVD_EXCHANGE_OPERATION(chk_operRight, MSysmgntDef::SOperatorBrief, sIn,
                           MSysmgntDef::SOperPrivAuthList, listAsked,
                           MSysmgntDef::SOperPrivAuthList, listGranted)
#define SYSSVC_DECLARE_QUERY_(op, code, InT, inName, OutT, outName)                                \
    TVD_QUERY_OPERATION(op, InT, inName, OutT, outName)
    SYSSVC_QUERIES(SYSSVC_DECLARE_QUERY_)
#define SYSSVC_DECLARE_WRITE_(op, code)                                                            \
    TVD_WRITE_OPERATION(op, MSysmgntDef::SOperatorBrief, sOperator,                                \
                        MSysSvcDef::SOperatorAccountList, listOperatorAccount)
    SYSSVC_WRITES(SYSSVC_DECLARE_WRITE_)
    // "SYSMQ13": the values of existing system parameters, a secret one sealed at rest.
    TVD_WRITE_OPERATION(mod_sysParam, MSysmgntDef::SOperatorBrief, sOperator,
                        MSysmgntDef::SPublicParamList, listPublicParam)
};

} // namespace MSysSvcApp
