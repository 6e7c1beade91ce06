// What the frameworks give every window, tested once over the list of windows: opening, the
// rights, the criterion check, a failed query, the row click that locks the key, Clear, the
// required-field check and the No answer to a confirmation. Each window's own test file keeps
// only what that window declares differently.
#include "form_base.h"
#include "window_driver.h"

#include <QLabel>
#include <QTest>

using windowtest::WindowDriver;

namespace {

const QString kQueryFailed = "异常：调用查询接口失败\n[";

// Which of its writes a window asks about first.
enum class Asks { ModifyAndDelete, DeleteOnly, Nothing };

// One window: what it shows and does; its list and buttons are found by the names it publishes.
// Lists of names are separated by blanks.
struct Window {
    const char* name;
    int code;
    const char* caption;
    Asks asks;
    bool queryWaits;                    // the query shows a wait box
    const char* box;                    // an unticked criterion whose editor is empty after opening
    QString boxMessage;                 // shown by a query with that box ticked
    QString keys;                       // locked by a row click
    QString required;                   // Add on a cleared edit area
    int starred = 0;                    // labels marked "＊" as required
    QString queryFailed = kQueryFailed; // how a failed query's message begins
};

// A parameter prints as its window's name.
void PrintTo(const Window& window, std::ostream* out)
{
    *out << window.name;
}

constexpr Asks kBoth = Asks::ModifyAndDelete;
constexpr bool kWaits = true;

const std::vector<Window> kEditingWindows = {
    {"Province", 10150173, "远程写卡省份代码维护", kBoth, kWaits, "ckbQryProvinceName",
     "请输入查询条件[省份名称]!", "edtProvinceCode", "请输入[省份代码]!", 2},
    {"CardType", 10150174, "远程写卡卡类型维护", kBoth, kWaits, "ckbQryCardType",
     "请输入查询条件[卡类型代码]!", "edtCardType", "请输入[卡类型代码]!"},
    {"Vendor", 10150175, "远程写卡卡商维护", kBoth, kWaits, "ckbQryVendorCode",
     "请输入查询条件[卡类型代码]!", "edtVendorCode", "请输入[卡类型代码]!"},
    {"ImsiRange", 10150177, "远程写卡号群与IMSI关系维护", kBoth, kWaits, "ckbQryMsisdnGrp",
     "请输入查询条件[号群]!", "edtMsisdnGrp cmbRegionCode cmbProvince", "请输入[号群]!"},
    {"MsisdnRange", 10150178, "远程写卡号群与号段关系维护", kBoth, kWaits, "ckbQryMsisdnGrp",
     "请输入查询条件[号群]!", "edtMsisdn cmbRegionCode cmbProvince", "请输入[号群]!"},
    {"MsisdnGroup", 10150179, "远程写卡号群维护", kBoth, kWaits, "ckbQryMsisdnName",
     "请输入查询条件[号群名称]!", "edtMsisdnGroup cmbRegionCode cmbProvince", "请输入[号群]!"},
    {"SimInfo", 10150176, "远程写卡_SIM卡信息维护", Asks::DeleteOnly, kWaits, "ckbQrySim",
     "请输入查询条件[开始SIM号]!", "edImsi edSimId", "请输入[IMSI号]!"},
    {"VendorDll", 10150182, "远程写卡卡商/卡类型/写卡组件维护", Asks::Nothing, !kWaits,
     "chkDLLName", "请输入[组件文件名]!", "cmb_Province cmb_Vendor cmbCard_Type edDLL_Name",
     "[鉴权密钥]不能为空，请输入!"},
    {"ErrMsg", 10150183, "远程写卡错误代码表维护", Asks::Nothing, !kWaits, "chkErrorCode",
     "请输入[错误代码]!", "cmb_Vendor cmbCard_Type edDLL_Name edError_Code",
     "[错误代码]不能为空，请输入!"},
    {"AucRole", 10150185, "远程写卡鉴权卡权限信息维护", Asks::Nothing, !kWaits, "chkSimSeq",
     "请输入[SIM卡序列号]!", "cmbEnt_Type edEnt_Code edSimSequence", "[实体编码]不能为空，请选择!"},
    {"AucVerify", 10150186, "远程写卡鉴权卡登陆校验信息维护", Asks::Nothing, !kWaits, "chkSimSeq",
     "请输入[SIM卡序列号]!", "cmb_Vendor cmbCard_Type cmb_Province edSimSequence",
     "[SIM卡序列号]不能为空，请输入!"},
};

std::vector<Window> AllWindows()
{
    std::vector<Window> all = kEditingWindows;
    all.push_back({"Inquiry", 10150187, "远程写卡信息查询", Asks::Nothing, kWaits, "chkMsisdnSeg",
                   "勾选了[号段]复选框时必须输入[号段]，请输入!", "", "", 0,
                   "异常：调用开通平台号段信息查询接口失败\n["});
    return all;
}

std::vector<Window> ConfirmingWindows()
{
    std::vector<Window> confirming;
    for (const Window& window : kEditingWindows)
        if (window.asks != Asks::Nothing)
            confirming.push_back(window);
    return confirming;
}

bool Locked(QWidget* control)
{
    auto* edit = qobject_cast<QLineEdit*>(control);
    return edit != nullptr ? edit->isReadOnly() : !control->isEnabled();
}

class EveryWindow : public WindowDriver, public ::testing::WithParamInterface<Window> {
protected:
    const Window& window() const { return GetParam(); }
    void OpenIt() { Open(window().code); }
    // The names the opened window publishes for its list and buttons.
    const rsimform::ControlNames& names() const
    {
        return dynamic_cast<const TfrmRemoteSimBase&>(*window_).Names();
    }
    // Queries with the criteria of a fresh window and clicks the first row.
    void QueryAndClickARow()
    {
        click(names().query);
        ASSERT_GT(list(names().list)->rowCount(), 0) << lastText().toStdString();
        clickRow(names().list, 0);
        gui_->clear();
        ClearCalls();
    }
};

class EditingWindow : public EveryWindow {};
class ConfirmingWindow : public EveryWindow {};

// The viewer holds the query role: every window answers its queries and offers no write, not
// even on a clicked row.
TEST_P(EveryWindow, OpensUnderItsCaptionAndOffersAddOnlyWithTheAddRight)
{
    OpenIt();
    EXPECT_EQ(window_->Caption(), window().caption);
    EXPECT_FALSE(gui_->waitBoxOpen());
    if (auto* add = window_->findChild<QPushButton*>("btnAdd")) {
        EXPECT_TRUE(add->isEnabled());
    }
    LoginAs("viewer", "viewer123");
    OpenIt();
    QueryAndClickARow();
    for (const QString& write : {QString("btnAdd"), names().modify, names().remove}) {
        if (auto* button = write.isEmpty() ? nullptr : window_->findChild<QPushButton*>(write)) {
            EXPECT_FALSE(button->isEnabled()) << write.toStdString();
        }
    }
}

TEST_P(EveryWindow, ATickedEmptyCriterionStopsTheQueryWithItsMessage)
{
    OpenIt();
    ASSERT_FALSE(box(window().box)->isChecked());
    click(window().box);
    click(names().query);
    expectOnlyMessage(window().boxMessage, "提示", MB_OK);
    EXPECT_TRUE(Calls().empty());
}

// The refusal shows while the wait box still says what was being done; the box closes after.
TEST_P(EveryWindow, AFailedQueryShowsItsMessageAndThenClosesTheWaitBox)
{
    OpenIt();
    tvd_setProcessSession("not-a-session");
    click(names().query);
    ASSERT_EQ(gui_->messages().size(), 1U);
    const auto& shown = gui_->messages()[0];
    EXPECT_TRUE(shown.text.startsWith(window().queryFailed)) << shown.text.toStdString();
    EXPECT_TRUE(shown.text.contains("会话无效")) << shown.text.toStdString();
    EXPECT_EQ(shown.flags, MB_ICONINFORMATION);
    EXPECT_EQ(shown.overWaitBox, window().queryWaits);
    EXPECT_FALSE(gui_->waitBoxOpen());
    EXPECT_EQ(list(names().list)->rowCount(), 0);
}

TEST_P(EditingWindow, ARowClickLocksTheKeyClearBaseUnlocksItAndClearEmptiesEverything)
{
    OpenIt();
    QueryAndClickARow();
    for (const QString& key : window().keys.split(' '))
        EXPECT_TRUE(Locked(control<QWidget>(key))) << key.toStdString();
    EXPECT_FALSE(button("btnAdd")->isEnabled());
    EXPECT_TRUE(button(names().modify)->isEnabled());
    EXPECT_TRUE(button(names().remove)->isEnabled());
    EXPECT_TRUE(Calls().empty()) << "a row click calls nothing";

    click("btnClearBase");
    for (const QString& key : window().keys.split(' '))
        EXPECT_FALSE(Locked(control<QWidget>(key))) << key.toStdString();
    EXPECT_EQ(list(names().list)->rowCount(), 0);
    EXPECT_TRUE(button("btnAdd")->isEnabled());
    EXPECT_FALSE(button(names().modify)->isEnabled());
    EXPECT_FALSE(button(names().remove)->isEnabled());

    // Clear unticks the text criteria and empties the list and the edit area.
    QueryAndClickARow();
    click(window().box);
    click("btnClear");
    EXPECT_FALSE(box(window().box)->isChecked());
    EXPECT_EQ(list(names().list)->rowCount(), 0);
    for (const QString& key : window().keys.split(' ')) {
        if (auto* edit = qobject_cast<QLineEdit*>(control<QWidget>(key))) {
            EXPECT_TRUE(edit->text().isEmpty()) << key.toStdString();
        }
    }
    EXPECT_TRUE(button("btnAdd")->isEnabled());
    EXPECT_FALSE(button(names().modify)->isEnabled());
}

TEST_P(EditingWindow, AddOnAClearedEditAreaNamesTheFirstRequiredFieldAndSendsNothing)
{
    OpenIt();
    click("btnClearBase");
    click("btnAdd");
    expectOnlyMessage(window().required, "提示", MB_OK);
    EXPECT_TRUE(Calls().empty());
    int starred = 0;
    for (const QLabel* label : window_->findChildren<QLabel*>())
        starred += label->text().startsWith("＊") ? 1 : 0;
    EXPECT_EQ(starred, window().starred);
}

TEST_P(ConfirmingWindow, AnsweringNoSendsNothingAndChangesNothing)
{
    OpenIt();
    QueryAndClickARow();
    const int rows = list(names().list)->rowCount();
    QStringList asking{names().remove};
    if (window().asks == Asks::ModifyAndDelete)
        asking.prepend(names().modify);
    for (const QString& name : asking) {
        gui_->clear();
        gui_->answerNext(IDNO);
        click(name);
        ASSERT_EQ(gui_->messages().size(), 1U) << name.toStdString();
        EXPECT_EQ(gui_->messages()[0].caption, "确认操作") << name.toStdString();
        EXPECT_EQ(gui_->messages()[0].flags, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2)
            << name.toStdString();
    }
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(gui_->waitEvents().isEmpty());
    EXPECT_EQ(list(names().list)->rowCount(), rows);
}

const auto byName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Windows, EveryWindow, ::testing::ValuesIn(AllWindows()), byName);
INSTANTIATE_TEST_SUITE_P(Windows, EditingWindow, ::testing::ValuesIn(kEditingWindows), byName);
INSTANTIATE_TEST_SUITE_P(Windows, ConfirmingWindow, ::testing::ValuesIn(ConfirmingWindows()),
                         byName);

} // namespace
