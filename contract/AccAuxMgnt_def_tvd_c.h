// Account definitions registered with the others; no window reads or sends them.
#pragma once

#include "tvd_record.h"

namespace MAccAuxMgntDef {

#define SBankInfo_MEMBERS(M)                                                                       \
    M(int32, BANK_ID) M(string, BANK_NAME) M(int16, REGION_CODE) M(int16, STS)
#define SDefFeeItem_MEMBERS(M)                                                                     \
    M(int32, FEE_ITEM) M(string, FEE_NAME) M(int16, FEE_TYPE) M(int16, STS)
#define SBookItem_MEMBERS(M) M(int32, BOOK_ITEM) M(string, BOOK_NAME) M(int16, BOOK_TYPE)
#define SBillItemGrp_MEMBERS(M) M(int32, GROUP_ID) M(string, GROUP_NAME) M(int32, PARENT_ID)

#define ACCAUX_RECORDS(R) R(SBankInfo) R(SDefFeeItem) R(SBookItem) R(SBillItemGrp)
#define ACCAUX_DECLARE_(Name)                                                                      \
    TVD_RECORD(MAccAuxMgntDef, Name, Name##_MEMBERS)                                               \
    TVD_LIST(MAccAuxMgntDef, Name)

ACCAUX_RECORDS(ACCAUX_DECLARE_)

} // namespace MAccAuxMgntDef
