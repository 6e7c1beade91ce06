// The number-edit key and paste filters on a real QLineEdit.
#include "TVGUICommon.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class NumberEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        edit_.show();
        QApplication::setActiveWindow(&edit_);
        edit_.setFocus();
    }

    void paste(const QString& clipboard,
               const QKeySequence& keys = QKeySequence(Qt::CTRL | Qt::Key_V))
    {
        QApplication::clipboard()->setText(clipboard);
        QTest::keySequence(&edit_, keys);
    }

    QLineEdit edit_;
};

TEST_F(NumberEdit, KeyFilterLetsDigitsAndEditingKeysThroughFromKeysAndInputMethods)
{
    TfrmMDIChild::OnEditKeyPress(&edit_);
    QTest::keyClicks(&edit_, "12a3 -4b.5");
    EXPECT_EQ(edit_.text(), "12345");

    QTest::keyClick(&edit_, Qt::Key_Backspace);
    QTest::keyClick(&edit_, Qt::Key_Home);
    QTest::keyClick(&edit_, Qt::Key_Delete);
    QTest::keyClick(&edit_, Qt::Key_Right);
    QTest::keyClicks(&edit_, "9x");
    EXPECT_EQ(edit_.text(), "2934");

    QTest::keyClick(&edit_, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&edit_, "7");
    EXPECT_EQ(edit_.text(), "7") << "ctrl+A selected all, the digit replaced it";
    QTest::keyClick(&edit_, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit_.text(), "2934") << "ctrl+Z undid it";

    QSignalSpy returned(&edit_, &QLineEdit::returnPressed);
    QTest::keyClick(&edit_, Qt::Key_Return);
    EXPECT_EQ(returned.count(), 1);

    // Text from an input method is reduced to its digits too.
    edit_.clear();
    QInputMethodEvent commit;
    commit.setCommitString("1３8号9");
    QApplication::sendEvent(&edit_, &commit);
    EXPECT_EQ(edit_.text(), "189");
}

TEST_F(NumberEdit, PasteFilterInsertsOnlyTheDigits)
{
    TfrmMDIChild::OnEditPaste(&edit_);
    TfrmMDIChild::OnEditPaste(&edit_); // installed twice, still one paste
    edit_.setText("00");
    paste("138 0013-8000");
    EXPECT_EQ(edit_.text(), "0013800138000");

    edit_.clear();
    paste("abc");
    EXPECT_EQ(edit_.text(), "");
    paste(" 46 0", QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    EXPECT_EQ(edit_.text(), "460");

    edit_.setMaxLength(5);
    paste("123456789");
    EXPECT_EQ(edit_.text(), "46012") << "the length limit still holds";

    MakeReadOnly(&edit_);
    paste("9");
    EXPECT_EQ(edit_.text(), "46012");
}

TEST_F(NumberEdit, ContextMenuPasteGoesThroughTheFilter)
{
    TfrmMDIChild::OnEditPaste(&edit_);
    QApplication::clipboard()->setText("A1B2C3");
    QContextMenuEvent menuRequest(QContextMenuEvent::Mouse, QPoint(2, 2),
                                  edit_.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&edit_, &menuRequest);

    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* pasteAction = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().contains("Paste"))
            pasteAction = action;
    ASSERT_NE(pasteAction, nullptr);
    pasteAction->trigger();
    menu->close();
    EXPECT_EQ(edit_.text(), "123");
}

} // namespace
