// What the SIM card window does unlike the other windows: its defaults and cascades, the list as
// a staging area, the import and the one-call commit.
#include "TfrmRemoteSimInfo.h"
#include "window_driver.h"

#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>

using nlohmann::json;

namespace {

class SimForm : public windowtest::OpenedWindow<10150176> {
protected:
    void SetUp() override
    {
        OpenedWindow::SetUp();
        // The demo cards are of several card types: query across them.
        click("ckbQryResCode");
    }
    void queryImsis(const QString& first, const QString& last)
    {
        box("ckbQryImsi")->setChecked(true);
        edit("edtQryImsiFirst")->setText(first);
        edit("edtQryImsiLast")->setText(last);
        click("btnQuery");
    }
    // Fills the edit area with a valid card.
    void typeCard(const QString& imsi, const QString& iccid)
    {
        const QString texts[] = {
            imsi, iccid, "1234", "5678", "12345678", "87654321", "0123456789ABCDEF0123456789ABCDEF",
            ""};
        int i = 0;
        for (const char* name :
             {"edImsi", "edSimId", "edPIN1", "edPIN2", "edPUK1", "edPUK2", "edKI", "edKiKey"})
            edit(name)->setText(texts[i++]);
    }

    QTemporaryDir folder_;
};

QStringList items(const QComboBox* combo)
{
    QStringList all;
    for (int i = 0; i < combo->count(); ++i)
        all.append(combo->itemText(i));
    return all;
}

// The query of a fresh window (before the fixture unticks the card type) sends every criterion
// but the two ranges, with the operator's places; no status combo offers the voided status.
TEST_F(SimForm, TheDefaultCriteriaAreEveryCriterionButTheRangesWithTheOperatorsPlaces)
{
    Open(10150176);
    combo("cmbQrySts")->setCurrentText("[0] 全部");
    click("btnQuery");
    EXPECT_EQ(sent("RMOSMQ28")["sIn"], json::parse(R"({"RES_CODE": "C128", "STS": 0, "RES_STS": 1,
        "REGION_CODE": 10, "COUNTY_CODE": 1001, "ORG_ID": 100101, "MAX_NUM": 50})"));
    ASSERT_EQ(rows()->rowCount(), 50);
    EXPECT_EQ(rows()->cellText(0, TfrmRemoteSimInfo::ColRegion), "[10] 广州");
    EXPECT_EQ(edit("edSmsp")->text(), "+8613800200500");
    EXPECT_FALSE(button("btnCommit")->isEnabled());
    const QStringList criteria = items(combo("cmbQrySts")), edited = items(combo("cmbSts"));
    EXPECT_EQ(criteria.last(), "[0] 全部");
    EXPECT_FALSE(edited.contains("[0] 全部"));
    for (const QString& item : criteria + edited)
        EXPECT_FALSE(item.startsWith("[13]")) << item.toStdString();
}

TEST_F(SimForm, PlacesCascadeWithIgnoreAndAllAndTheirBoxesFormAChain)
{
    choose("cmbQryRegionCode", "11");
    const QStringList counties = items(combo("cmbQryCountyCode"));
    EXPECT_TRUE(counties.contains("[1101] 深圳一区"));
    choose("cmbQryCountyCode", "1102");
    EXPECT_EQ(items(combo("cmbQryOrgId")), QStringList({"[-1] 忽略", "[110201] 深圳二区营业厅1",
                                                        "[110202] 深圳二区营业厅2", "[0] 全部"}));
    EXPECT_EQ(counties.first() + counties.last(), "[-1] 忽略[0] 全部");

    auto ticked = [this] {
        QString marks;
        for (const char* name : {"ckbQryRegionCode", "ckbQryCountyCode", "ckbQryOrgId"})
            marks += box(name)->isChecked() ? '1' : '0';
        return marks;
    };
    box("ckbQryRegionCode")->setChecked(false);
    EXPECT_EQ(ticked(), "000");
    EXPECT_FALSE(combo("cmbQryOrgId")->isEnabled());
    box("ckbQryOrgId")->setChecked(true);
    EXPECT_EQ(ticked(), "111");
    box("ckbQryCountyCode")->setChecked(false);
    EXPECT_EQ(ticked(), "100");
}

// Another window taking the focus is no exit: the IMSI-range window's test covers that.
TEST_F(SimForm, LeavingTheFirstOfARangeForAnotherControlCopiesItOverTheLast)
{
    for (const auto& [range, first, last] :
         {std::tuple{"ckbQryImsi", "edtQryImsiFirst", "edtQryImsiLast"},
          {"ckbQrySim", "edtQrySimFirst", "edtQrySimLast"}}) {
        click(range);
        edit(last)->setText("89860001000000000099");
        click(first);
        QTest::keyClicks(edit(first), "460001000000010");
        click("edtQryMaxNum");
        EXPECT_EQ(edit(last)->text(), "460001000000010") << last;
    }
}

// The voided card is committed from a staged row that holds codes no item of the window shows.
TEST_F(SimForm, ACodeWithoutAnItemShowsAsMissingAndIsNotWrittenByModify)
{
    typeCard("460007000000001", "89860070000000000001");
    click("btnAdd");
    rows()->setCellText(0, TfrmRemoteSimInfo::ColSts, "[13] 已作废");
    rows()->setCellText(0, TfrmRemoteSimInfo::ColPurpose, "[99] 未知");
    click("btnCommit");
    for (const char* any : {"ckbQrySts", "ckbQryResSts", "ckbQryCountyCode"})
        box(any)->setChecked(false);
    queryImsis("460007000000001", "460007000000001");
    ASSERT_EQ(rows()->rowCount(), 1);
    EXPECT_EQ(rows()->cellText(0, TfrmRemoteSimInfo::ColSts), "[13] 已作废");
    clickRow("lstShowDataList", 0);
    EXPECT_EQ(combo("cmbSts")->currentIndex(), -1);
    EXPECT_EQ(combo("cmbPurpose")->currentIndex(), -1);
    click("btnModify"); // on the clicked, so ticked, row
    EXPECT_EQ(lastText(), "请选择[状态]!");
    EXPECT_EQ(rows()->cellText(0, TfrmRemoteSimInfo::ColSts), "[13] 已作废");
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
    EXPECT_EQ(cards[0], json::parse(R"({"IMSI": "460005000000003",
        "SIM_ID": "89860050000000000003", "PIN1": "1234", "PIN2": "5678", "PUK1": "12345678",
        "PUK2": "87654321", "KI_CODE": "0123456789ABCDEF0123456789ABCDEF", "KI_KEY": "",
        "RES_CODE": "C128", "STS": 1, "PURPOSE": 1, "SMSP": "+8613800200500", "VENDOR_CODE": "V01",
        "REGION_CODE": 10, "COUNTY_CODE": 1001, "ORG_ID": 100101, "REMARK": "批次"})"));
    EXPECT_EQ(cards[1]["IMSI"], "460005000000001");
    EXPECT_EQ(cards[2]["IMSI"], "460005000000002");
    EXPECT_EQ(lastText(), "提示:远程写卡明细数据新增成功!");
    EXPECT_EQ(gui_->messages().back().caption, "业务提交");
    EXPECT_TRUE(gui_->waitEvents().isEmpty()) << "a small commit shows no wait box";
    EXPECT_EQ(rows()->rowCount(), 0);
    EXPECT_FALSE(button("btnCommit")->isEnabled());
}

// The commit asks first, sends the checked rows only, and sends an empty list when none is.
TEST_F(SimForm, ModifyStagesCheckedRowsAndCommitsOnlyThem)
{
    queryImsis("460001000000020", "460001000000022");
    ASSERT_EQ(rows()->rowCount(), 3);
    clickRow("lstShowDataList", 0); // ticks the row and offers Modify
    clickRow("lstShowDataList", 0); // unticks it
    gui_->clear();
    click("btnModify");
    EXPECT_TRUE(lastText().contains("数据列表中没有选中复选框的数据"));
    clickRow("lstShowDataList", 0);
    rows()->setChecked(2, true);
    typeCard("x", "y");
    edit("edRemark")->setText("  改  ");
    click("btnModify");
    EXPECT_EQ(rows()->cellText(0, TfrmRemoteSimInfo::ColRemark), "  改  ");
    EXPECT_EQ(rows()->caption(0), "460001000000020");
    gui_->clear();
    gui_->answerNext(IDYES);
    click("btnCommit");
    EXPECT_EQ(gui_->messages()[0].caption, "确认操作");
    const json cards = sent("RMOSMQ26")["listRemoteSimInfo"];
    ASSERT_EQ(cards.size(), 2U);
    EXPECT_EQ(cards[0]["IMSI"], "460001000000022");
    EXPECT_EQ(cards[1]["IMSI"], "460001000000020");
    EXPECT_EQ(cards[0]["REMARK"], "改");
    EXPECT_EQ(lastText(), "提示:远程写卡明细数据修改成功!");
    EXPECT_EQ(rows()->rowCount(), 3);

    click("btnModify"); // the same rows again, then none of them ticked
    for (int row : {0, 2})
        rows()->setChecked(row, false);
    gui_->clear();
    gui_->answerNext(IDYES);
    click("btnCommit");
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
    EXPECT_EQ(rows()->caption(1), "460001000000042");
    EXPECT_EQ(lastText(), "提示:远程写卡明细数据删除成功!");
}

// Reading a large file and committing it show the wait box with a count; every card reaches the
// service in one call, made from its staged row as it is sent, with the nine shared fields and the
// KI key of the edit area. A file's eighth field shows in the unknown column and is not sent.
TEST_F(SimForm, ImportedCardsAreSentInOneCallWithTheEditAreasSharedFieldsAndProgress)
{
    constexpr int kCards = 25000;
    QByteArray file;
    for (int i = 0; i < kCards; ++i)
        file += QString("4600063%1 8986006300000%2 1234 5678 12345678 87654321 %3\n")
                    .arg(i, 8, 10, QChar('0'))
                    .arg(i, 7, 10, QChar('0'))
                    .arg(QString(i == 0 ? "附加 " : "") + "0123456789ABCDEF0123456789ABCDEF")
                    .toUtf8();
    QFile written(folder_.filePath("cards.txt"));
    ASSERT_TRUE(written.open(QIODevice::WriteOnly) && written.write(file) == file.size());
    written.close();
    edit("edRemark")->setText("  导入  ");
    edit("edKiKey")->setText("KEY00001");
    box("chkImport")->setChecked(true);
    gui_->nextFile(written.fileName());
    click("btnImport");
    ASSERT_EQ(rows()->rowCount(), kCards);
    EXPECT_EQ(rows()->cellText(0, TfrmRemoteSimInfo::ColUnknown), "附加");
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
    EXPECT_EQ(lastText(), "提示:远程写卡明细数据新增成功!");
    ASSERT_EQ(Calls("RMOSMQ25").size(), 1U);
    const json cards = sent("RMOSMQ25")["listRemoteSimInfo"];
    ASSERT_EQ(cards.size(), static_cast<std::size_t>(kCards));
    EXPECT_EQ(cards.front()["IMSI"], "460006300024999");
    EXPECT_EQ(cards[777]["SIM_ID"], "89860063000000024222");
    EXPECT_EQ(cards.back(), json::parse(R"({"IMSI": "460006300000000",
        "SIM_ID": "89860063000000000000", "PIN1": "1234", "PIN2": "5678", "PUK1": "12345678",
        "PUK2": "87654321", "KI_CODE": "0123456789ABCDEF0123456789ABCDEF", "KI_KEY": "KEY00001",
        "RES_CODE": "C128", "STS": 1, "PURPOSE": 1, "SMSP": "+8613800200500", "VENDOR_CODE": "V01",
        "REGION_CODE": 10, "COUNTY_CODE": 1001, "ORG_ID": 100101, "REMARK": "  导入  "})"));
}

// A refused commit keeps what was staged; a commit with every staged row cancelled sends nothing.
TEST_F(SimForm, ARefusedCommitKeepsTheStagedRowsAndCancelRemovesTheClickedOne)
{
    typeCard("460001000000001", "89860050000000000009");
    click("btnAdd");
    click("btnCommit");
    EXPECT_TRUE(lastText().startsWith("异常：调用新增接口失败\n[IMSI已存在]"))
        << lastText().toStdString();
    EXPECT_EQ(rows()->rowCount(), 1);
    EXPECT_TRUE(button("btnCommit")->isEnabled());
    clickRow("lstShowDataList", 0);
    click("btnCancel");
    EXPECT_EQ(rows()->rowCount(), 0);
    EXPECT_FALSE(button("btnCancel")->isEnabled());
    ClearCalls();
    click("btnCommit");
    EXPECT_EQ(lastText(), "对不起!\n[列表中没有要新增的数据!!]");
    EXPECT_TRUE(Calls("RMOSMQ25").empty());
}

} // namespace
