// Drives the module's windows against a real rsimd, as an operator would.
//
// The test program's rsimd starts on first use on a fresh SQLite file with the demo data and
// stops at exit. Each test logs the process in (admin by default), records every message box,
// wait-box event and middleware call, answers questions from a script, opens a window through
// the module's entry point and shows it as the active window. Controls are found by their
// objectName and driven with real mouse and key events.
#pragma once

#include "CreateBusinessForm.h"
#include "RecordingInteraction.h"
#include "TListViewEx.h"
#include "TVClient.h"
#include "TVGUICommon.h"
#include "sysmgnt_def_tvd_c.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text.toStdString();
}

namespace windowtest {

struct Call {
    std::string code;
    std::string encodedIn;
};

// The test program's service and its database (for what no operation writes).
const std::string& ServiceAddress();
const std::string& ServiceDatabase();

class WindowDriver : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // admin holds every right, viewer only the query rights.
    void LoginAs(const std::string& login, const std::string& password);
    // Opens the window of a function code as the active window and forgets what its opening
    // showed and called; fails the test when the window refuses to open.
    void Open(int functionCode);
    template <class T>
    T* control(const QString& name) const
    {
        T* found = window_->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QLineEdit* edit(const QString& name) const { return control<QLineEdit>(name); }
    QComboBox* combo(const QString& name) const { return control<QComboBox>(name); }
    QCheckBox* box(const QString& name) const { return control<QCheckBox>(name); }
    QPushButton* button(const QString& name) const { return control<QPushButton>(name); }
    TListViewEx* list(const QString& name) const { return control<TListViewEx>(name); }
    // The window's first result list, and a cell of it.
    TListViewEx* rows() const { return window_->findChild<TListViewEx*>(); }
    QString cell(int row, int column) const { return rows()->cellText(row, column); }

    // A mouse click on a button, check box or edit of that name.
    void click(const QString& name);
    // A click on the first cell of a row, as shown.
    void clickRow(const QString& listName, int row);
    // Types ASCII text key by key into an emptied edit; other text arrives whole, as an input
    // method delivers it.
    void type(const QString& editName, const QString& text);
    // Selects the item whose bracketed code is `code`, as the operator's choice.
    void choose(const QString& comboName, const QString& code);

    // The middleware calls since the window opened, optionally of one operation code.
    std::vector<Call> Calls(const std::string& code = {}) const;
    void ClearCalls() { calls_->clear(); }
    // The in-object of the last call of an operation code; null when there was none.
    nlohmann::json sent(const std::string& code) const;
    QString lastText() const { return gui_->lastMessage().text; }
    // The one message box shown since the recorder was cleared, and no wait box left open.
    void expectOnlyMessage(const QString& text, const QString& caption, int flags) const;
    int lastFlags() const { return gui_->lastMessage().flags; }

    MSysmgntDef::SOperator operator_;
    std::unique_ptr<RecordingInteraction> gui_;
    std::unique_ptr<TfrmMDIChild> window_;

private:
    std::shared_ptr<std::vector<Call>> calls_ = std::make_shared<std::vector<Call>>();
};

// The tests of one window, opened afresh for each test as the admin.
template <int FunctionCode>
class OpenedWindow : public WindowDriver {
protected:
    void SetUp() override
    {
        WindowDriver::SetUp();
        Open(FunctionCode);
    }
};

} // namespace windowtest
