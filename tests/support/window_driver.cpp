#include "window_driver.h"

#include "rsimd_process.h"

#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace windowtest {

const std::string& ServiceAddress()
{
    return testsupport::sharedRsimd().address();
}

const std::string& ServiceDatabase()
{
    return testsupport::sharedRsimd().database();
}

void WindowDriver::SetUp()
{
    setenv("TAV_BROKER_TAVORINE", ServiceAddress().c_str(), 1);
    gui_ = std::make_unique<RecordingInteraction>();
    setGuiInteraction(gui_.get());
    LoginAs("admin", "admin123");
    auto calls = calls_;
    tvd_setCallObserver(
        [calls](const std::string&, const std::string& code, const std::string& in) {
            calls->push_back({code, in});
        });
}

void WindowDriver::TearDown()
{
    window_.reset();
    tvd_setCallObserver({});
    setGuiInteraction(nullptr);
}

void WindowDriver::LoginAs(const std::string& login, const std::string& password)
{
    CBSErrorMsg error;
    operator_ = MSysmgntDef::SOperator();
    ASSERT_EQ(tvd_login("TAVORINE", login, password, operator_, error), 0) << error.message;
}

void WindowDriver::Open(int functionCode)
{
    window_.reset(CreateBusinessForm(functionCode, &operator_));
    ASSERT_NE(window_, nullptr) << lastText().toStdString();
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    gui_->clear();
    ClearCalls();
}

// A check box takes a click on its box or text only: aim near its left edge.
void WindowDriver::click(const QString& name)
{
    QWidget* target = control<QWidget>(name);
    ASSERT_NE(target, nullptr);
    const QPoint at = qobject_cast<QCheckBox*>(target) != nullptr ? QPoint(5, target->height() / 2)
                                                                  : target->rect().center();
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
}

void WindowDriver::clickRow(const QString& listName, int row)
{
    TListViewEx* view = list(listName);
    const QRect cell = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

void WindowDriver::type(const QString& editName, const QString& text)
{
    QLineEdit* target = edit(editName);
    target->clear();
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        QTest::keyClicks(target, text);
    else
        target->insert(text);
}

void WindowDriver::choose(const QString& comboName, const QString& code)
{
    QComboBox* target = combo(comboName);
    const int index = target->findText("[" + code + "]", Qt::MatchStartsWith);
    ASSERT_GE(index, 0) << comboName.toStdString() << " has no item " << code.toStdString();
    target->setCurrentIndex(index);
    emit target->activated(index);
}

std::vector<Call> WindowDriver::Calls(const std::string& code) const
{
    std::vector<Call> matching;
    for (const auto& call : *calls_)
        if (code.empty() || call.code == code)
            matching.push_back(call);
    return matching;
}

nlohmann::json WindowDriver::sent(const std::string& code) const
{
    const auto calls = Calls(code);
    return calls.empty() ? nlohmann::json() : nlohmann::json::parse(calls.back().encodedIn)["in"];
}

void WindowDriver::expectOnlyMessage(const QString& text, const QString& caption, int flags) const
{
    ASSERT_EQ(gui_->messages().size(), 1U) << lastText().toStdString();
    EXPECT_EQ(gui_->messages()[0].text, text);
    EXPECT_EQ(gui_->messages()[0].caption, caption);
    EXPECT_EQ(gui_->messages()[0].flags, flags);
    EXPECT_FALSE(gui_->waitBoxOpen());
}

} // namespace windowtest
