// Drives one registry window, opened through the entry point, against the test program's rsimd:
// controls found by name, clicks and keys sent as real input events, and what reached the service.
#pragma once

#include "CreateBusinessForm.h"
#include "TListViewEx.h"
#include "form_harness.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <nlohmann/json.hpp>

template <class Form, int FunctionCode>
class RegistryFormTest : public formtest::FormHarness {
protected:
    void SetUp() override
    {
        FormHarness::SetUp();
        Open();
    }
    void Open()
    {
        form_.reset(static_cast<Form*>(CreateBusinessForm(FunctionCode, &operator_)));
        ASSERT_NE(form_, nullptr) << gui_->lastMessage().text.toStdString();
        form_->show();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
        gui_->clear();
        ClearCalls();
    }

    template <class T>
    T* control(const char* name)
    {
        T* found = form_->template findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(name); }
    QComboBox* combo(const char* name) { return control<QComboBox>(name); }
    QCheckBox* box(const char* name) { return control<QCheckBox>(name); }
    QPushButton* button(const char* name) { return control<QPushButton>(name); }
    TListViewEx* list() { return control<TListViewEx>("lstvShowList"); }

    void click(QAbstractButton* target) { QTest::mouseClick(target, Qt::LeftButton); }
    void click(const char* buttonName) { click(button(buttonName)); }
    void clickRow(int row)
    {
        const QRect rect = list()->visualRect(list()->model()->index(row, 0));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // Types ASCII text key by key; Chinese text arrives whole, as an input method delivers it.
    void type(const char* editName, const QString& text)
    {
        QLineEdit* target = edit(editName);
        target->clear();
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii)
            QTest::keyClicks(target, text);
        else
            target->insert(text);
    }
    // Selects the item whose bracketed code is `code`.
    void choose(const char* comboName, const QString& code)
    {
        QComboBox* target = combo(comboName);
        const int index = target->findText("[" + code + "]", Qt::MatchStartsWith);
        ASSERT_GE(index, 0) << comboName << " has no item " << code.toStdString();
        target->setCurrentIndex(index);
    }

    // The "in" of the last call of an operation; null when there was none.
    nlohmann::json sent(const std::string& code)
    {
        const auto calls = Calls(code);
        return calls.empty() ? nlohmann::json()
                             : nlohmann::json::parse(calls.back().encodedIn)["in"];
    }
    QString lastText() const { return gui_->lastMessage().text; }
    int lastFlags() const { return gui_->lastMessage().flags; }
    QString cell(int row, int column) { return list()->cellText(row, column); }

    std::unique_ptr<Form> form_;
};
