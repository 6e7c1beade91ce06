#include "ResSysMgnt_operations.h"

TVD_RECORD_DEFINE(MResSysMgnt, SQueryResCodeIn, SQueryResCodeIn_MEMBERS)
TVD_RECORD_DEFINE(MResSysMgnt, SResCodeDefInfo, SResCodeDefInfo_MEMBERS)
TVD_LIST_DEFINE(MResSysMgnt, SResCodeDefInfo)

namespace MResSysMgnt {
TVD_QUERY_OPERATION_TYPES(IResSysMgntOperations, query_resCode, "RMRESD31", SQueryResCodeIn, sIn,
                          SResCodeDefInfoList, listResCodeDefInfo)
} // namespace MResSysMgnt
