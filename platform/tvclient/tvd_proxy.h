// The client side of declared operations. Inside a client class, which derives from
// CTvdClientObject and from the interface's shared parameter types (tvd_record.h):
//     TVD_QUERY_OPERATION(query_resCode, SQueryResCodeIn, sIn, SResCodeDefInfoList,
//                         listResCodeDefInfo)
// declares the call; in the client library's source file
//     TVD_QUERY_OPERATION_PROXY(IResSysMgnt, query_resCode, "RMRESD31", SQueryResCodeIn, sIn,
//                               SResCodeDefInfoList, listResCodeDefInfo)
// defines it: it packs the arguments into the operation's parameter types and calls the service.
#pragma once

#include "tvd_client.h"
#include "tvd_record.h"

#define TVD_QUERY_OPERATION(op, InT, inName, OutT, outName)                                        \
    int op(const InT& inName, OutT& outName, CBSErrorMsg& cErrorMsg, STVSession* session);
#define TVD_WRITE_OPERATION(op, InfoT, infoName, ListT, listName)                                  \
    int op(const InfoT& infoName, const ListT& listName, CBSErrorMsg& cErrorMsg,                   \
           STVSession* session);
#define TVD_EXCHANGE_OPERATION(op, InT, inName, InListT, inListName, OutT, outName)                \
    int op(const InT& inName, const InListT& inListName, OutT& outName, CBSErrorMsg& cErrorMsg,    \
           STVSession* session);

#define TVD_QUERY_OPERATION_PROXY(Iface, op, code, InT, inName, OutT, outName)                     \
    int Iface::op(const InT& inName, OutT& outName, CBSErrorMsg& cErrorMsg, STVSession* session)   \
    {                                                                                              \
        CParamIn4##op in(inName, session);                                                         \
        CParamOut4##op out(outName, cErrorMsg);                                                    \
        return invoke_server(kInterfaceName, code, session, in, out, cErrorMsg);                   \
    }

#define TVD_WRITE_OPERATION_PROXY(Iface, op, code, InfoT, infoName, ListT, listName)               \
    int Iface::op(const InfoT& infoName, const ListT& listName, CBSErrorMsg& cErrorMsg,            \
                  STVSession* session)                                                             \
    {                                                                                              \
        CParamIn4##op in(infoName, listName, session);                                             \
        CParamOut4##op out(cErrorMsg);                                                             \
        return invoke_server(kInterfaceName, code, session, in, out, cErrorMsg);                   \
    }

#define TVD_EXCHANGE_OPERATION_PROXY(Iface, op, code, InT, inName, InListT, inListName, OutT,      \
                                     outName)                                                      \
    int Iface::op(const InT& inName, const InListT& inListName, OutT& outName,                     \
                  CBSErrorMsg& cErrorMsg, STVSession* session)                                     \
    {                                                                                              \
        CParamIn4##op in(inName, inListName, session);                                             \
        CParamOut4##op out(outName, cErrorMsg);                                                    \
        return invoke_server(kInterfaceName, code, session, in, out, cErrorMsg);                   \
    }
