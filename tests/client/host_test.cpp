// The host against fixture modules: loader failures, windows landing in the MDI area, what the
// operator is told when a window does not open, and closing.
#include "client_settings.h"
#include "main_window.h"
#include "module_loader.h"
#include "unattended.h"

#include "ResRemoteSimTables.h"

#include "TVGUICommon.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text.toStdString();
}

namespace {

MSysmgntDef::SOperator demoOperator()
{
    MSysmgntDef::SOperator op;
    op.set_OP_NAME("测试员");
    op.set_LOGIN_NAME("tester");
    return op;
}

// The action of a menu bar or menu with that title.
QAction* actionTitled(QWidget* menu, const QString& title)
{
    for (QAction* action : menu->actions())
        if (action->text() == title)
            return action;
    return nullptr;
}

void deleteClosedWindows()
{
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Ignores every close request of the widget it watches.
class RefuseClose : public QObject {
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Close)
            return false;
        event->ignore();
        return true;
    }
};

} // namespace

TEST(ModuleLoaderTest, AMissingLibraryOrEntryIsNamedAndTheHostRunsWithTheMenuDisabled)
{
    ModuleLoader loader;
    for (const auto& [path, why] :
         {std::pair<QString, QString>{"/nonexistent/libresremotesim.so", "无法加载业务模块 "},
          {NO_ENTRY_MODULE, "没有导出 CreateBusinessForm"}}) {
        EXPECT_FALSE(loader.load(path));
        EXPECT_FALSE(loader.loaded());
        EXPECT_TRUE(loader.error().contains(path)) << loader.error().toStdString();
        EXPECT_TRUE(loader.error().contains(why)) << loader.error().toStdString();
        MSysmgntDef::SOperator op = demoOperator();
        EXPECT_EQ(loader.createForm(10150173, &op), nullptr);
    }
    MainWindow window(demoOperator(), "http://127.0.0.1:1", loader);
    EXPECT_FALSE(actionTitled(window.menuBar(), "远程写卡(&R)")->menu()->isEnabled());
    auto* notice = window.statusBar()->findChild<QLabel*>("module");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), "业务模块未加载");
    EXPECT_EQ(notice->toolTip(), loader.error());
}

class HostWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder_.path());
        ASSERT_TRUE(loader_.load(PLAIN_FORM_MODULE)) << loader_.error().toStdString();
        previous_ = setGuiInteraction(&recorder_);
        window_ = std::make_unique<MainWindow>(demoOperator(), "http://127.0.0.1:7411", loader_);
        window_->show();
    }
    void TearDown() override
    {
        window_.reset();
        setGuiInteraction(previous_);
    }
    QStringList messages() const
    {
        QStringList texts;
        for (const auto& message : recorder_.messages())
            texts << message.text;
        return texts;
    }
    bool windowActionsEnabled()
    {
        QMenu* windows = actionTitled(window_->menuBar(), "窗口(&W)")->menu();
        return actionTitled(windows, "全部关闭(&A)")->isEnabled();
    }

    QTemporaryDir settingsFolder_;
    ModuleLoader loader_;
    RecordingInteraction recorder_;
    GuiInteraction* previous_ = nullptr;
    std::unique_ptr<MainWindow> window_;
};

// The menu is the module's; each window lands in the MDI area under its title and the operator;
// the window actions are offered while one is open. The fixture refuses its last entry silently.
TEST_F(HostWindowTest, EveryMenuEntryOpensItsOwnFunctionCode)
{
    EXPECT_FALSE(windowActionsEnabled());
    QMenu* functions = actionTitled(window_->menuBar(), "远程写卡(&R)")->menu();
    const auto& offered = loader_.functions();
    ASSERT_EQ(offered.size(), rsimcatalog::Windows().size());
    for (const auto& function : offered) {
        recorder_.clear();
        actionTitled(functions, function.caption)->trigger();
        QMdiSubWindow* active = window_->mdiArea()->activeSubWindow();
        if (function.code == offered.back().code) {
            EXPECT_EQ(messages(), QStringList{QString("无法打开功能窗口 %1").arg(function.code)});
            continue;
        }
        ASSERT_NE(active, nullptr) << function.code;
        EXPECT_EQ(active->windowTitle(), QString("%1 tester").arg(function.code));
        EXPECT_TRUE(recorder_.messages().empty()) << function.code;
    }
    EXPECT_EQ(window_->mdiArea()->subWindowList().size(), offered.size() - 1);
    EXPECT_TRUE(windowActionsEnabled());
    window_->mdiArea()->closeAllSubWindows();
    EXPECT_FALSE(windowActionsEnabled());
}

TEST_F(HostWindowTest, RefusalIsExplainedOnceByWhoeverKnowsWhy)
{
    // Code 1's module says why, and the host adds nothing.
    for (const auto& [code, shown] : std::vector<std::pair<int, QString>>{
             {1, "夹具拒绝打开 1"}, {12345, "无法打开功能窗口 12345：没有这个功能代码。"}}) {
        recorder_.clear();
        EXPECT_EQ(window_->openFunction(code), nullptr);
        EXPECT_EQ(messages(), QStringList{shown}) << code;
    }
    EXPECT_TRUE(window_->mdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(&guiInteraction(), &recorder_) << "the host's watch is gone after the call";
}

TEST_F(HostWindowTest, ClosingTheMainWindowClosesItsChildrenFirst)
{
    RefuseClose refuse;
    QMdiSubWindow* stubborn = window_->openFunction(10150173);
    stubborn->installEventFilter(&refuse);
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(window_->mdiArea()->subWindowList().size(), 1);
    stubborn->removeEventFilter(&refuse);

    QPointer<QWidget> first = stubborn->widget();
    QPointer<QWidget> second = window_->openFunction(10150174)->widget();
    EXPECT_TRUE(window_->close());
    deleteClosedWindows();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
}

TEST_F(HostWindowTest, ColumnWidthsPerWindowAndTheGeometryAreRemembered)
{
    auto listOf = [](QMdiSubWindow* frame) {
        return frame->widget()->findChild<TListViewEx*>("lstShowDataList");
    };
    QMdiSubWindow* frame = window_->openFunction(10150175);
    ASSERT_NE(listOf(frame), nullptr);
    EXPECT_EQ(listOf(frame)->columnWidth(1), 80);
    listOf(frame)->setColumnWidth(1, 234);
    frame->close();
    deleteClosedWindows();

    EXPECT_EQ(listOf(window_->openFunction(10150175))->columnWidth(1), 234);
    EXPECT_EQ(listOf(window_->openFunction(10150176))->columnWidth(1), 80) << "each window its own";

    window_->resize(900, 640);
    ASSERT_TRUE(window_->close());
    MainWindow again(demoOperator(), "http://127.0.0.1:7411", loader_);
    EXPECT_EQ(again.size(), QSize(900, 640));
}

TEST(ClientSettingsTest, LastLoginAndServiceAreRememberedAndNothingElse)
{
    QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    EXPECT_EQ(ClientSettings().lastLogin(), "");
    ClientSettings().rememberLogin("admin", "http://10.0.0.5:7411");
    ClientSettings settings;
    EXPECT_EQ(settings.lastLogin(), "admin");
    EXPECT_EQ(settings.lastService(), "http://10.0.0.5:7411");
    QSettings file(QSettings::IniFormat, QSettings::UserScope, "resremotesim", "rsimclient");
    EXPECT_EQ(file.allKeys(), (QStringList{"login/name", "login/service"}));
}

TEST_F(HostWindowTest, ScreenshotsShowLargeWindowsWholeAndFailWhenAWindowDoesNotOpen)
{
    QTemporaryDir folder;
    EXPECT_EQ(WriteScreenshots(*window_, folder.path()), 1);
    const int refused = loader_.functions().back().code;
    EXPECT_EQ(messages(), QStringList{QString("无法打开功能窗口 %1").arg(refused)});
    const QStringList written = QDir(folder.path()).entryList(QDir::Files);
    EXPECT_EQ(written.size(), std::ssize(loader_.functions()) - 1);
    EXPECT_FALSE(written.contains(QString("%1.png").arg(refused)));
    const QImage large(folder.filePath("10150186.png"));
    EXPECT_GE(large.width(), 1400);
    EXPECT_GE(large.height(), 1000);
    EXPECT_TRUE(window_->mdiArea()->subWindowList().isEmpty())
        << "each window is closed after its picture";
}
