// The SIM card inventory window against a real rsimd: criteria, cascades, staging, import and
// commit.
#include "TfrmRemoteSimInfo.h"
#include "window_driver.h"

#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

using nlohmann::json;
using namespace MResRemoteMgntDef;

namespace {

class SimForm : public windowtest::OpenedWindow<10150176> {
protected:
    void SetUp() override
    {
        OpenedWindow::SetUp();
        // The demo cards are of several card types: query across them.
        click("ckbQryResCode");
    }
    TListViewEx* rows() const { return list("lstShowDataList"); }
    // Queries the cards of an IMSI range.
    void queryImsis(const QString& first, const QString& last)
    {
        box("ckbQryImsi")->setChecked(true);
        edit("edtQryImsiFirst")->setText(first);
        edit("edtQryImsiLast")->setText(last);
        click("btnQuery");
    }
    TfrmRemoteSimInfo* sim() const { return form<TfrmRemoteSimInfo>(); }

    // Fills the edit area with a valid card.
    void typeCard(const QString& imsi, const QString& iccid)
    {
        edit("edImsi")->setText(imsi);
        edit("edSimId")->setText(iccid);
        edit("edPIN1")->setText("1234");
        edit("edPIN2")->setText("5678");
        edit("edPUK1")->setText("12345678");
        edit("edPUK2")->setText("87654321");
        edit("edKI")->setText("0123456789ABCDEF0123456789ABCDEF");
        edit("edKiKey")->clear();
    }

    QString writeFile(const QByteArray& bytes)
    {
        const QString path = folder_.filePath(QString("cards%1.txt").arg(files_++));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }

    QTemporaryDir folder_;
    int files_ = 0;
};

QStringList items(const QComboBox* combo)
{
    QStringList all;
    for (int i = 0; i < combo->count(); ++i)
        all.append(combo->itemText(i));
    return all;
}

// A fresh window, before the fixture unticks the card type.
TEST_F(SimForm, OpensWithTheDefaultCriteriaAndTheSmsCentreUnderOneWaitBox)
{
    gui_->clear();
    Open(10150176);
    for (const char* name : {"ckbQryResCode", "ckbQrySts", "ckbQryResSts", "ckbQryRegionCode",
                             "ckbQryCountyCode", "ckbQryOrgId", "ckbQryMaxNum"})
        EXPECT_TRUE(box(name)->isChecked()) << name;
    EXPECT_FALSE(box("ckbQryImsi")->isChecked());
    EXPECT_EQ(edit("edtQryMaxNum")->text(), "50");
    EXPECT_EQ(edit("edSmsp")->text(), "+8613800200500");
    EXPECT_EQ(combo("cmbQryCountyCode")->currentText(), "[1001] 广州一区");
    EXPECT_EQ(combo("cmbQryOrgId")->currentText(), "[100101] 广州一区营业厅1");
    EXPECT_EQ(combo("cmbOrgId")->currentText(), "[100101] 广州一区营业厅1");
    EXPECT_FALSE(button("btnCommit")->isEnabled());
}

TEST_F(SimForm, StatusThirteenIsHiddenAndAllIsOnlyInTheCriteria)
{
    const QStringList criteria = items(combo("cmbQrySts"));
    const QStringList edit = items(combo("cmbSts"));
    EXPECT_EQ(criteria.last(), "[0] 全部");
    EXPECT_FALSE(edit.contains("[0] 全部"));
    for (const QString& item : criteria + edit)
        EXPECT_FALSE(item.startsWith("[13]")) << item.toStdString();
    EXPECT_GT(combo("cmbQryResSts")->count(), 0);
}

TEST_F(SimForm, CountyAndBusinessHallCascadeWithIgnoreAndAll)
{
    choose("cmbQryRegionCode", "11");
    const QStringList counties = items(combo("cmbQryCountyCode"));
    EXPECT_EQ(counties.first(), "[-1] 忽略");
    EXPECT_EQ(counties.last(), "[0] 全部");
    EXPECT_TRUE(counties.contains("[1101] 深圳一区"));
    choose("cmbQryCountyCode", "1102");
    const QStringList halls = items(combo("cmbQryOrgId"));
    EXPECT_EQ(halls.first(), "[-1] 忽略");
    EXPECT_EQ(halls.last(), "[0] 全部");
    EXPECT_EQ(halls.size(), 4);
    EXPECT_TRUE(halls.contains("[110201] 深圳二区营业厅1"));
}

TEST_F(SimForm, PlaceBoxesFormAChain)
{
    box("ckbQryRegionCode")->setChecked(false);
    EXPECT_FALSE(box("ckbQryCountyCode")->isChecked());
    EXPECT_FALSE(box("ckbQryOrgId")->isChecked());
    EXPECT_FALSE(combo("cmbQryOrgId")->isEnabled());
    box("ckbQryOrgId")->setChecked(true);
    EXPECT_TRUE(box("ckbQryRegionCode")->isChecked());
    EXPECT_TRUE(box("ckbQryCountyCode")->isChecked());
    box("ckbQryCountyCode")->setChecked(false);
    EXPECT_FALSE(box("ckbQryOrgId")->isChecked());
    EXPECT_TRUE(box("ckbQryRegionCode")->isChecked());
}

// Another window taking the focus is no exit: the IMSI-range window's test covers that.
TEST_F(SimForm, LeavingTheFirstImsiForAnotherControlCopiesItOverTheLast)
{
    click("ckbQryImsi");
    edit("edtQryImsiLast")->setText("460001000000099");
    click("edtQryImsiFirst");
    QTest::keyClicks(edit("edtQryImsiFirst"), "460001000000010");
    click("edtQryMaxNum");
    EXPECT_EQ(edit("edtQryImsiLast")->text(), "460001000000010");
}

TEST_F(SimForm, ACodeWithoutAnItemShowsAsMissingAndIsNotWrittenByModify)
{
    SRemoteSimInfoList cards;
    auto& voided = *static_cast<SRemoteSimInfo*>(cards.append());
    voided.set_IMSI("460007000000001");
    voided.set_SIM_ID("89860070000000000001");
    voided.set_PIN1("1234");
    voided.set_PIN2("5678");
    voided.set_PUK1("12345678");
    voided.set_PUK2("87654321");
    voided.set_KI_CODE("0123456789ABCDEF0123456789ABCDEF");
    voided.set_RES_CODE("C64");
    voided.set_VENDOR_CODE("V01");
    voided.set_STS(13);
    voided.set_PURPOSE(99);
    voided.set_REGION_CODE(10);
    voided.set_COUNTY_CODE(1001);
    voided.set_ORG_ID(100101);
    CResRemoteSim service;
    service.Init(0, operator_.REGION_CODE, operator_.COUNTY_CODE, operator_.ORG_ID,
                 operator_.OP_ID);
    CBSErrorMsg error;
    ASSERT_TRUE(service.add_simInfo(sim()->OpInfo(), cards, error)) << error.message << error.hint;

    // A row of another card first puts its status and purpose into the combo boxes.
    box("ckbQrySts")->setChecked(false);
    box("ckbQryResSts")->setChecked(false);
    box("ckbQryCountyCode")->setChecked(false);
    queryImsis("460001000000001", "460001000000001");
    ASSERT_EQ(rows()->rowCount(), 1);
    clickRow("lstShowDataList", 0);
    ASSERT_GE(combo("cmbSts")->currentIndex(), 0);
    ASSERT_GE(combo("cmbPurpose")->currentIndex(), 0);

    queryImsis("460007000000001", "460007000000001");
    ASSERT_EQ(rows()->rowCount(), 1);
    clickRow("lstShowDataList", 0);
    EXPECT_EQ(combo("cmbSts")->currentIndex(), -1);
    EXPECT_EQ(combo("cmbPurpose")->currentIndex(), -1);

    gui_->clear();
    ASSERT_TRUE(rows()->isChecked(0));
    click("btnModify");
    EXPECT_EQ(gui_->lastMessage().text, "请选择[状态]!");
    EXPECT_EQ(rows()->cellText(0, TfrmRemoteSimInfo::ColSts), "[13] 已作废");
}

TEST_F(SimForm, QueryByImsiRangeSendsTheTickedCriteria)
{
    combo("cmbQrySts")->setCurrentText("[0] 全部");
    queryImsis("460001000000010", "460001000000019");
    const json in = sent("RMOSMQ28")["sIn"];
    EXPECT_EQ(in["START_IMSI"], "460001000000010");
    EXPECT_EQ(in["MAX_NUM"], 50);
    EXPECT_EQ(in["STS"], 0);
    EXPECT_EQ(in["REGION_CODE"], 10);
    EXPECT_FALSE(in.contains("START_SIM_ID"));
    ASSERT_EQ(rows()->rowCount(), 10);
    EXPECT_EQ(rows()->caption(0), "460001000000010");
    EXPECT_EQ(rows()->columnWidth(TfrmRemoteSimInfo::ColUnknown), 0);
    EXPECT_EQ(rows()->cellText(0, TfrmRemoteSimInfo::ColRegion), "[10] 广州");
    EXPECT_FALSE(button("btnCommit")->isEnabled());
    EXPECT_FALSE(gui_->waitBoxOpen());
}

TEST_F(SimForm, KiKeyLengthMustBeAMultipleOfEight)
{
    for (int length : {0, 8, 16, 24, 32, 7, 9}) {
        SCOPED_TRACE(length);
        gui_->clear();
        typeCard("460005000000001", "89860050000000000001");
        edit("edKiKey")->setText(QString(length, 'K'));
        click("btnAdd");
        const bool refused =
            !gui_->messages().empty() && gui_->messages()[0].text == "KI密钥长度必须为8的倍数!";
        EXPECT_EQ(refused, length % 8 != 0);
    }
}

// Sorting the list by a header click changes neither what nor in which order Commit sends.
TEST_F(SimForm, StagedRowsAreCommittedInOneCallLastStagedRowFirst)
{
    for (const char* suffix : {"2", "1", "3"}) {
        typeCard(QString("46000500000000") + suffix, QString("8986005000000000000") + suffix);
        edit("edRemark")->setText("  批次  ");
        click("btnAdd");
    }
    ASSERT_EQ(rows()->rowCount(), 3);
    EXPECT_TRUE(button("btnCommit")->isEnabled());
    EXPECT_TRUE(Calls("RMOSMQ25").empty());
    QHeaderView* header = rows()->header();
    const QPoint imsiHeader(header->sectionViewportPosition(0) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, imsiHeader);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, imsiHeader);
    ASSERT_EQ(rows()->shownRow(0), 2) << "shown by IMSI, descending";
    rows()->setChecked(1, true);
    click("btnCommit");
    const json cards = sent("RMOSMQ25")["listRemoteSimInfo"];
    ASSERT_EQ(cards.size(), 3U);
    EXPECT_EQ(cards[0]["IMSI"], "460005000000003");
    EXPECT_EQ(cards[1]["IMSI"], "460005000000001");
    EXPECT_EQ(cards[2]["IMSI"], "460005000000002");
    EXPECT_EQ(cards[0]["REMARK"], "批次");
    EXPECT_EQ(cards[0]["RES_CODE"], "C128");
    EXPECT_EQ(cards[0]["REGION_CODE"], 10);
    EXPECT_FALSE(cards[0].contains("CREATE_DATE"));
    EXPECT_EQ(gui_->messages().back().text, "提示:远程写卡明细数据新增成功!");
    EXPECT_EQ(gui_->messages().back().caption, "业务提交");
    EXPECT_EQ(rows()->rowCount(), 0);
    EXPECT_FALSE(button("btnCommit")->isEnabled());
}

TEST_F(SimForm, ARefusedCommitKeepsTheStagedRows)
{
    typeCard("460001000000001", "89860050000000000009");
    click("btnAdd");
    click("btnCommit");
    ASSERT_FALSE(gui_->messages().empty());
    EXPECT_TRUE(gui_->messages().back().text.startsWith("异常：调用新增接口失败\n[IMSI已存在]"))
        << gui_->messages().back().text.toStdString();
    EXPECT_EQ(rows()->rowCount(), 1);
    EXPECT_TRUE(button("btnCommit")->isEnabled());
}

TEST_F(SimForm, ModifyStagesCheckedRowsAndCommitsOnlyThem)
{
    queryImsis("460001000000020", "460001000000022");
    ASSERT_EQ(rows()->rowCount(), 3);
    clickRow("lstShowDataList", 0); // ticks the row and offers Modify
    clickRow("lstShowDataList", 0); // unticks it
    gui_->clear();
    click("btnModify");
    EXPECT_TRUE(gui_->messages()[0].text.contains("数据列表中没有选中复选框的数据"));
    clickRow("lstShowDataList", 0);
    rows()->setChecked(2, true);
    typeCard("x", "y");
    edit("edRemark")->setText("  改  ");
    click("btnModify");
    EXPECT_EQ(rows()->cellText(0, TfrmRemoteSimInfo::ColRemark), "  改  ");
    EXPECT_EQ(rows()->caption(0), "460001000000020");
    gui_->answerNext(IDYES);
    click("btnCommit");
    const json cards = sent("RMOSMQ26")["listRemoteSimInfo"];
    ASSERT_EQ(cards.size(), 2U);
    EXPECT_EQ(cards[0]["IMSI"], "460001000000022");
    EXPECT_EQ(cards[1]["IMSI"], "460001000000020");
    EXPECT_EQ(cards[0]["REMARK"], "改");
    EXPECT_EQ(gui_->messages().back().text, "提示:远程写卡明细数据修改成功!");
    EXPECT_EQ(rows()->rowCount(), 3);
}

TEST_F(SimForm, ModifyCommitWithNoCheckedRowAsksAndSendsAnEmptyList)
{
    queryImsis("460001000000030", "460001000000030");
    clickRow("lstShowDataList", 0);
    typeCard("x", "y");
    click("btnModify");
    rows()->setChecked(0, false);
    gui_->clear();
    gui_->answerNext(IDYES);
    click("btnCommit");
    EXPECT_EQ(gui_->messages()[0].caption, "确认操作");
    EXPECT_EQ(sent("RMOSMQ26")["listRemoteSimInfo"], json::array());
}

TEST_F(SimForm, DeleteSendsCheckedRowsAndKeepsTheOthers)
{
    queryImsis("460001000000040", "460001000000042");
    clickRow("lstShowDataList", 0);
    clickRow("lstShowDataList", 0); // selected, and no longer ticked
    gui_->answerNext(IDYES);
    click("btnDelete");
    EXPECT_EQ(sent("RMOSMQ27")["listRemoteSimInfo"], json::array());
    rows()->setChecked(1, true);
    gui_->answerNext(IDYES);
    click("btnDelete");
    EXPECT_EQ(sent("RMOSMQ27")["listRemoteSimInfo"],
              json::parse(R"([{"IMSI":"460001000000041"}])"));
    EXPECT_EQ(rows()->rowCount(), 2);
    EXPECT_EQ(rows()->imageIndex(1), 2);
    EXPECT_EQ(gui_->messages().back().text, "提示:远程写卡明细数据删除成功!");
}

TEST_F(SimForm, ImportedCardsTakeTheSharedFieldsFromTheEditArea)
{
    const QByteArray utf8 = "\xEF\xBB\xBF# 卡商数据\nIMSI SIM PIN1 PIN2 PUK1 PUK2 KI\n"
                            "460006000000001,89860060000000000001,1234,5678,12345678,87654321,"
                            "0123456789ABCDEF0123456789ABCDEF\n"
                            "460006000000002|89860060000000000002|1234|5678|12345678|87654321|附加|"
                            "0123456789ABCDEF0123456789ABCDEF\n";
    box("chkImport")->setChecked(true);
    EXPECT_TRUE(button("btnImport")->isEnabled());
    edit("edRemark")->setText("  导入  ");
    edit("edKiKey")->setText("KEY00001");
    gui_->nextFile(writeFile(utf8));
    click("btnImport");
    ASSERT_EQ(rows()->rowCount(), 2);
    EXPECT_EQ(rows()->cellText(1, TfrmRemoteSimInfo::ColUnknown), "附加");
    click("btnCommit");
    const json cards = sent("RMOSMQ25")["listRemoteSimInfo"];
    ASSERT_EQ(cards.size(), 2U) << gui_->messages().back().text.toStdString();
    EXPECT_EQ(cards[0]["IMSI"], "460006000000002");
    EXPECT_EQ(cards[0]["KI_CODE"], "0123456789ABCDEF0123456789ABCDEF");
    EXPECT_EQ(cards[0]["REMARK"], "  导入  ");
    EXPECT_EQ(cards[1]["KI_KEY"], "KEY00001");
    EXPECT_EQ(cards[1]["SMSP"], "+8613800200500");
    EXPECT_EQ(gui_->messages().back().text, "提示:远程写卡明细数据新增成功!");
    EXPECT_TRUE(gui_->waitEvents().isEmpty()) << "a small import and commit show no wait box";
}

// Reading a large file and committing it show the wait box with a count; every card reaches the
// service in one call, made from its staged row as it is sent.
TEST_F(SimForm, ALargeImportAndCommitShowProgressAndSendEveryCardInOneCall)
{
    constexpr int kCards = 25000;
    QByteArray file;
    for (int i = 0; i < kCards; ++i)
        file += QString("4600063%1 8986006300000%2 1234 5678 12345678 87654321 "
                        "0123456789ABCDEF0123456789ABCDEF\n")
                    .arg(i, 8, 10, QChar('0'))
                    .arg(i, 7, 10, QChar('0'))
                    .toUtf8();
    box("chkImport")->setChecked(true);
    edit("edKiKey")->setText("KEY00001");
    gui_->nextFile(writeFile(file));
    click("btnImport");
    ASSERT_EQ(rows()->rowCount(), kCards);
    EXPECT_EQ(gui_->waitEvents(),
              QStringList({"show:正在读取导入文件，请稍候...",
                           "update:正在导入数据，请稍候...（10000/25000条）",
                           "update:正在导入数据，请稍候...（20000/25000条）",
                           "update:正在导入数据，请稍候...（25000/25000条）", "close"}));
    gui_->clear();
    ClearCalls();
    click("btnCommit");
    EXPECT_EQ(gui_->waitEvents(), QStringList({"show:正在提交数据，请稍候...（0/25000条）",
                                               "update:正在提交数据，请稍候...（10000/25000条）",
                                               "update:正在提交数据，请稍候...（20000/25000条）",
                                               "update:正在保存25000条数据，请稍候...", "close"}));
    EXPECT_FALSE(gui_->waitBoxOpen());
    EXPECT_EQ(gui_->messages().back().text, "提示:远程写卡明细数据新增成功!");
    const auto calls = Calls("RMOSMQ25");
    ASSERT_EQ(calls.size(), 1U);
    const json cards = json::parse(calls.back().encodedIn)["in"]["listRemoteSimInfo"];
    ASSERT_EQ(cards.size(), static_cast<std::size_t>(kCards));
    EXPECT_EQ(cards.front()["IMSI"], "460006300024999");
    EXPECT_EQ(cards.back()["IMSI"], "460006300000000");
    EXPECT_EQ(cards[777]["SIM_ID"], "89860063000000024222");
    EXPECT_EQ(cards[777]["KI_KEY"], "KEY00001");
}

// A commit with every staged row cancelled sends nothing.
TEST_F(SimForm, CancelRemovesTheClickedStagedRowAndAnEmptyCommitIsRefused)
{
    typeCard("460005000000011", "89860050000000000011");
    click("btnAdd");
    clickRow("lstShowDataList", 0);
    click("btnCancel");
    EXPECT_EQ(rows()->rowCount(), 0);
    EXPECT_FALSE(button("btnCancel")->isEnabled());
    gui_->clear();
    click("btnCommit");
    EXPECT_EQ(lastText(), "对不起!\n[列表中没有要新增的数据!!]");
    EXPECT_TRUE(Calls("RMOSMQ25").empty());
}

} // namespace
