// A reference-table window opened through the entry point against the test program's rsimd,
// with its controls found by name and real input events to drive them.
#pragma once

#include "CreateBusinessForm.h"
#include "form_harness.h"
#include "maintenance_form.h"

#include <QApplication>
#include <QTest>

#include <nlohmann/json.hpp>

namespace formtest {

class ReferenceForm : public FormHarness {
protected:
    void Open(int functionCode)
    {
        form_.reset(static_cast<TfrmMaintenance*>(CreateBusinessForm(functionCode, &operator_)));
        ASSERT_NE(form_, nullptr);
        gui_->clear();
        ClearCalls();
    }

    template <class T>
    T* control(const char* name)
    {
        T* found = form_->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(name); }
    QComboBox* combo(const char* name) { return control<QComboBox>(name); }
    QCheckBox* box(const char* name) { return control<QCheckBox>(name); }
    TListViewEx* list() { return control<TListViewEx>("lstShowDataList"); }

    // The in-object of the last call of that operation code.
    nlohmann::json sent(const std::string& code)
    {
        auto calls = Calls(code);
        return calls.empty() ? nlohmann::json()
                             : nlohmann::json::parse(calls.back().encodedIn)["in"];
    }

    // Shows the window as the active one, so that clicks move the focus as on a screen.
    void ShowActive()
    {
        form_->show();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    }
    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void clickRow(int row)
    {
        list()->setSelectedRow(row);
        list()->Click();
    }
    void confirmNext() { gui_->answerNext(IDYES); }

    std::unique_ptr<TfrmMaintenance> form_;
};

} // namespace formtest
