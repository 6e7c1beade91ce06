// Drives real windows against a real rsimd.
//
// A FormHarness starts `rsimd` on a fresh SQLite file with the demo data (once per test
// program), logs the process in as an operator, records every message box and wait-box event
// through the GUI interaction seam (answering questions from a script), and records every call
// that reaches the middleware.
#pragma once

#include "TVClient.h"
#include "TVGUICommon.h"
#include "sysmgnt_def_tvd_c.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace formtest {

struct Call {
    std::string interfaceName;
    std::string code;
    std::string encodedIn;
};

// The service of the test program: started on first use, stopped at exit.
const std::string& ServiceAddress();
// Its database, for tests that set up what no operation writes (system parameters).
const std::string& ServiceDatabase();

class FormHarness : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Logs in (admin has every right, viewer only query rights) and keeps the operator.
    void LoginAs(const std::string& login, const std::string& password);
    // The calls that reached the middleware since the last ClearCalls, optionally of one code.
    std::vector<Call> Calls(const std::string& code = {}) const;
    void ClearCalls();

    MSysmgntDef::SOperator operator_;
    std::unique_ptr<RecordingInteraction> gui_;
    std::shared_ptr<std::vector<Call>> calls_ = std::make_shared<std::vector<Call>>();
};

} // namespace formtest
