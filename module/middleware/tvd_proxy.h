// The client proxies of declared operations: each member function of a client class packs its
// arguments into the operation's parameter types (defined with the records) and calls the service.
// Only code that links the client transport defines them:
//     TVD_QUERY_OPERATION_PROXY(IResSysMgnt, query_resCode, "RMRESD31", SQueryResCodeIn, sIn,
//                               SResCodeDefInfoList, listResCodeDefInfo)
#pragma once

#include "tvd_client.h"
#include "tvd_record.h"

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
