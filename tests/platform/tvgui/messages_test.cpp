// ShowGUIMessage, the wait box and the interaction seam: recorded, and on the real dialogs.
#include "TVGUICommon.h"
#include "dialog_interaction.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The confirmation the windows ask: Yes and No, the question icon, No the default.
constexpr int kConfirm = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

TEST(Recorded, MessagesAreFormattedOnceAndAnsweredFromTheScriptThenByDefault)
{
    RecordingInteraction gui;
    GuiInteraction* previous = setGuiInteraction(&gui);
    ShowGUIMessage("异常：调用接口失败\r\n[%s]\r\n[%s]!", "提示", MB_ICONINFORMATION,
                   "100% 失败 %s %d", "hint");
    EXPECT_EQ(gui.lastMessage().text, "异常：调用接口失败\n[100% 失败 %s %d]\n[hint]!");

    ShowGUIMessage("%d条记录, %05.1f", "", 0, 12, 3.14159);
    EXPECT_EQ(gui.lastMessage().text, "12条记录, 003.1");
    EXPECT_EQ(gui.messages().size(), 2U);

    gui.answerNext(IDNO);
    gui.answerNext(IDCANCEL);
    EXPECT_EQ(ShowGUIMessage("q1", "确认操作", kConfirm), IDNO);
    EXPECT_EQ(ShowGUIMessage("q2", "确认操作", kConfirm), IDCANCEL);
    EXPECT_EQ(ShowGUIMessage("q3", "确认操作", kConfirm), IDYES);
    EXPECT_EQ(ShowGUIMessage("note", "提示", MB_ICONHAND), IDOK);
    EXPECT_EQ(ShowGUIMessage("ok?", "提示", MB_OKCANCEL), IDOK); // IDYES is not offered there

    gui.answerNext(IDNO);
    gui.clear();
    EXPECT_TRUE(gui.messages().empty());
    EXPECT_EQ(gui.lastMessage().flags, -1);
    EXPECT_EQ(ShowGUIMessage("q5", "确认操作", kConfirm), IDYES)
        << "clear() drops scripted answers";

    ShowWaitBox("正在查询信息中，请稍候...");
    EXPECT_TRUE(gui.waitBoxOpen());
    UpdateWaitBox("正在更新控件界面中，请稍候...");
    gui.clear();
    EXPECT_TRUE(gui.waitBoxOpen()) << "clear() keeps whether the box is open";
    CloseWaitBox();
    CloseWaitBox();
    EXPECT_FALSE(gui.waitBoxOpen());
    EXPECT_EQ(gui.waitEvents(), QStringList({"close", "close"}));
    setGuiInteraction(previous);
}

// Unknown icon bits show no icon; a default button that is not offered falls back to the first.
TEST(MessageBoxStyle, DecodesButtonsDefaultAndIcon)
{
    using Buttons = std::vector<int>;
    for (const auto& [flags, buttons, defaultButton, icon] :
         std::vector<std::tuple<int, Buttons, int, int>>{
             {kConfirm, {IDYES, IDNO}, IDNO, MB_ICONQUESTION},
             {0, {IDOK}, IDOK, 0},
             {16, {IDOK}, IDOK, MB_ICONHAND},
             {48, {IDOK}, IDOK, MB_ICONEXCLAMATION},
             {64, {IDOK}, IDOK, MB_ICONINFORMATION},
             {0x70, {IDOK}, IDOK, 0},
             {MB_YESNOCANCEL | MB_DEFBUTTON3, {IDYES, IDNO, IDCANCEL}, IDCANCEL, 0},
             {MB_OK | MB_DEFBUTTON3, {IDOK}, IDOK, 0},
             {MB_OKCANCEL, {IDOK, IDCANCEL}, IDOK, 0},
             {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, IDRETRY, 0},
             {0xE, {IDOK}, IDOK, 0}}) {
        const MessageBoxStyle style = MessageBoxStyleOf(flags);
        EXPECT_EQ(style.buttons, buttons) << flags;
        EXPECT_EQ(style.defaultButton, defaultButton) << flags;
        EXPECT_EQ(style.icon, icon) << flags;
    }
    EXPECT_EQ(MessageBoxStyleOf(MB_YESNOCANCEL | MB_DEFBUTTON3).escapeButton, IDCANCEL);
}

QWidget* waitBoxWidget()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "waitBox")
            return widget;
    return nullptr;
}

// Runs `inspect` on the modal message box as soon as it is up.
void whenModal(std::function<void(QMessageBox&)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspect(*box);
    });
}

TEST(RealDialogs, TheMessageBoxShowsTheFlagsAndTheWaitBoxIsShownChangedAndRemoved)
{
    ASSERT_EQ(setGuiInteraction(nullptr), nullptr);
    QString shown;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModal([&](QMessageBox& box) {
        shown = box.text();
        icon = box.icon();
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        EXPECT_EQ(box.buttons().size(), 2);
        box.button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(ShowGUIMessage("<b>%s</b>\r\n确认?", "确认操作", kConfirm, "A&B"), IDYES);
    EXPECT_EQ(shown, "<b>A&B</b>\n确认?");
    EXPECT_EQ(icon, QMessageBox::Question);

    whenModal([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(ShowGUIMessage("no?", "", kConfirm), IDNO);

    ASSERT_EQ(setGuiInteraction(nullptr), nullptr);
    CloseWaitBox(); // nothing shown: harmless
    ShowWaitBox("正在查询信息中，请稍候...");
    QWidget* box = waitBoxWidget();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->findChild<QLabel*>()->text(), "正在查询信息中，请稍候...");

    UpdateWaitBox("正在更新控件界面中，请稍候...");
    EXPECT_EQ(box->findChild<QLabel*>()->text(), "正在更新控件界面中，请稍候...");
    ShowWaitBox("again");
    EXPECT_EQ(waitBoxWidget(), box) << "at most one wait box";

    bool hiddenDuringMessage = false;
    whenModal([&](QMessageBox& box2) {
        hiddenDuringMessage = !box->isVisible();
        box2.accept();
    });
    ShowGUIMessage("失败", "提示", MB_ICONINFORMATION);
    EXPECT_TRUE(hiddenDuringMessage);
    EXPECT_TRUE(box->isVisible()) << "the wait box comes back after the message";
    EXPECT_EQ(box->findChild<QLabel*>()->text(), "again");

    CloseWaitBox();
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    UpdateWaitBox("closed");
    EXPECT_FALSE(box->isVisible());
}

} // namespace
