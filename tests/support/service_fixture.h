// Tests of rsimd over the wire, once on each backend: a fresh database with the demo data, the
// administrator logged in through the client library and both services bound.
#pragma once

#include "ResRemoteSimMgnt_tvd_c.h"
#include "SysMgntService_tvd_c.h"
#include "backend_fixture.h"
#include "raw_http.h"

namespace testsupport {

// Logs the operator in to rsimd at the address through the client library, as the process's
// session; answers the refusal's message, "" when logged in.
std::string logIn(const std::string& address, const std::string& name = "admin",
                  const std::string& password = "admin123");

// Card n of the tests, with every member a window fills: IMSI 4600099 and n in 8 digits, SIM
// number 89860099 and n in 12.
MResRemoteMgntDef::SRemoteSimInfo card(long long n);
// Cards first to first + count - 1.
MResRemoteMgntDef::SRemoteSimInfoList cards(long long first, int count);

// Provinces of these codes and names.
MResRemoteMgntDef::SResRemoteProvCodeList
provinces(std::initializer_list<std::pair<const char*, const char*>> rows);

class ServiceTest : public BackendTest {
protected:
    void SetUp() override;

    // Logs the operator in as the process's session: the refusal's message, "" when logged in.
    std::string login(const std::string& name, const std::string& password)
    {
        return logIn(server_->address(), name, password);
    }

    // What a write of the list answers: "" when it is stored, else "minCode message / hint".
    template <class List>
    std::string
    refusal(int (MResRemoteMgntApp::IResRemoteMgnt::*write)(const MResRemoteMgntApp::SOpInfo&,
                                                            const List&, CBSErrorMsg&, STVSession*),
            const List& list)
    {
        CBSErrorMsg error;
        if ((remote_.*write)(info_, list, error, nullptr) == 0)
            return "";
        return std::to_string(error.minCode) + " " + error.message + " / " + error.hint;
    }

    // The request body of a call's in-parameters, and the raw answer of rsimd to a call of the
    // operation code with the session and the extra headers.
    static std::string request(const CTvdBasicParamObject& in);
    rawhttp::HttpAnswer call(const std::string& code, const std::string& body,
                             const std::string& extraHeaders = "");

    // A list of one record, its members set by fill.
    template <class List, class Fill>
    static List one(Fill fill)
    {
        List list;
        fill(*static_cast<typename List::value_type*>(list.append()));
        return list;
    }

    // The cards of the IMSI range answered to the session, at most maxNum; a refused query
    // fails the test.
    MResRemoteMgntDef::SRemoteSimInfoList sims(const std::string& first, const std::string& last,
                                               int maxNum = 100000);

    // A connection to rsimd's database, and the single value a statement answers there.
    std::unique_ptr<rsim::db::Driver> database() const;
    std::int64_t count(const std::string& sql, const rsim::db::Row& params = {}) const;
    std::string stored(const std::string& sql, const rsim::db::Row& params = {}) const;
    // The same of the access audit: in a file beside an SQLite database ("rsim.db" →
    // "rsim-audit.db"), in the database itself on PostgreSQL.
    std::unique_ptr<rsim::db::Driver> auditDatabase() const;
    std::int64_t audited(const std::string& sql, const rsim::db::Row& params = {}) const;

    // rsimd's arguments after the usual ones; a suite sets them in its constructor.
    std::vector<std::string> rsimdArguments_;
    std::unique_ptr<RsimdProcess> server_;
    MResRemoteMgntApp::IResRemoteMgnt remote_;
    MSysSvcApp::ISysMgnt sys_;
    // What a window sends beside a write; rsimd takes the operator from the session.
    MResRemoteMgntApp::SOpInfo info_;
    CBSErrorMsg error_;
};

} // namespace testsupport
