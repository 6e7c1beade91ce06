// The client proxy of the resource code service.
#include "ResSysMgnt_tvd_c.h"

namespace MResSysMgnt {
TVD_QUERY_OPERATION_PROXY(IResSysMgnt, query_resCode, "RMRESD31", SQueryResCodeIn, sIn,
                          SResCodeDefInfoList, listResCodeDefInfo)
} // namespace MResSysMgnt
