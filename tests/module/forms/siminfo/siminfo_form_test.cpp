// The SIM card inventory window against a real rsimd: criteria, cascades, staging, import and
// commit.
#include "CreateBusinessForm.h"
#include "TfrmRemoteSimInfo.h"
#include "form_harness.h"

#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

using formtest::FormHarness;
using nlohmann::json;
using namespace MResRemoteMgntDef;

namespace {

class SimForm : public FormHarness {
protected:
    void SetUp() override
    {
        FormHarness::SetUp();
        form_.reset(static_cast<TfrmRemoteSimInfo*>(CreateBusinessForm(10150176, &operator_)));
        ASSERT_NE(form_, nullptr);
        // The demo cards are of several card types: query across them.
        form_->ckbQryResCode->setChecked(false);
        gui_->clear();
        ClearCalls();
    }

    json sent(const std::string& code)
    {
        auto calls = Calls(code);
        return calls.empty() ? json() : json::parse(calls.back().encodedIn)["in"];
    }

    // Fills the edit area with a valid card.
    void typeCard(const QString& imsi, const QString& iccid)
    {
        form_->edImsi->setText(imsi);
        form_->edSimId->setText(iccid);
        form_->edPIN1->setText("1234");
        form_->edPIN2->setText("5678");
        form_->edPUK1->setText("12345678");
        form_->edPUK2->setText("87654321");
        form_->edKI->setText("0123456789ABCDEF0123456789ABCDEF");
        form_->edKiKey->clear();
    }

    QString writeFile(const QByteArray& bytes)
    {
        const QString path = folder_.filePath(QString("cards%1.txt").arg(files_++));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }

    std::unique_ptr<TfrmRemoteSimInfo> form_;
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

TEST_F(SimForm, OpensWithTheDefaultCriteriaAndTheSmsCentreUnderOneWaitBox)
{
    gui_->clear();
    std::unique_ptr<TfrmRemoteSimInfo> fresh(
        static_cast<TfrmRemoteSimInfo*>(CreateBusinessForm(10150176, &operator_)));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(gui_->waitEvents(), QStringList({"show:正在初始化控件界面中，请稍候...", "close"}));
    EXPECT_FALSE(fresh->ckbQryImsi->isChecked());
    EXPECT_FALSE(fresh->ckbQrySim->isChecked());
    for (QCheckBox* box :
         {fresh->ckbQryResCode, fresh->ckbQrySts, fresh->ckbQryResSts, fresh->ckbQryRegionCode,
          fresh->ckbQryCountyCode, fresh->ckbQryOrgId, fresh->ckbQryMaxNum})
        EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_EQ(fresh->edtQryMaxNum->text(), "50");
    EXPECT_TRUE(fresh->edtQryImsiFirst->isReadOnly());
    EXPECT_EQ(fresh->edSmsp->text(), "+8613800200500");
    EXPECT_EQ(fresh->cmbQryRegionCode->currentText(), "[10] 广州");
    EXPECT_EQ(fresh->cmbQryCountyCode->currentText(), "[1001] 广州一区");
    EXPECT_EQ(fresh->cmbQryOrgId->currentText(), "[100101] 广州一区营业厅1");
    EXPECT_EQ(fresh->cmbRegionCode->currentText(), "[10] 广州");
    EXPECT_EQ(fresh->cmbOrgId->currentText(), "[100101] 广州一区营业厅1");
    EXPECT_EQ(fresh->PendingMode(), TfrmRemoteSimInfo::Pending::None);
    EXPECT_TRUE(fresh->btnAdd->isEnabled());
    EXPECT_FALSE(fresh->btnCommit->isEnabled());
}

TEST_F(SimForm, StatusThirteenIsHiddenAndAllIsOnlyInTheCriteria)
{
    const QStringList criteria = items(form_->cmbQrySts);
    const QStringList edit = items(form_->cmbSts);
    EXPECT_EQ(criteria.last(), "[0] 全部");
    EXPECT_FALSE(edit.contains("[0] 全部"));
    for (const QString& item : criteria + edit)
        EXPECT_FALSE(item.startsWith("[13]")) << item.toStdString();
    EXPECT_GT(form_->cmbQryResSts->count(), 0);
}

TEST_F(SimForm, CountyAndBusinessHallCascadeWithIgnoreAndAll)
{
    form_->cmbQryRegionCode->setCurrentText("[11] 深圳");
    form_->cmbQryRegionCodeChange();
    const QStringList counties = items(form_->cmbQryCountyCode);
    EXPECT_EQ(counties.first(), "[-1] 忽略");
    EXPECT_EQ(counties.last(), "[0] 全部");
    EXPECT_TRUE(counties.contains("[1101] 深圳一区"));
    form_->cmbQryCountyCode->setCurrentText("[1102] 深圳二区");
    form_->cmbQryCountyCodeChange();
    const QStringList halls = items(form_->cmbQryOrgId);
    EXPECT_EQ(halls.first(), "[-1] 忽略");
    EXPECT_EQ(halls.last(), "[0] 全部");
    EXPECT_EQ(halls.size(), 4);
    EXPECT_TRUE(halls.contains("[110201] 深圳二区营业厅1"));
}

TEST_F(SimForm, PlaceBoxesFormAChain)
{
    form_->ckbQryRegionCode->setChecked(false);
    EXPECT_FALSE(form_->ckbQryCountyCode->isChecked());
    EXPECT_FALSE(form_->ckbQryOrgId->isChecked());
    EXPECT_FALSE(form_->cmbQryOrgId->isEnabled());
    form_->ckbQryOrgId->setChecked(true);
    EXPECT_TRUE(form_->ckbQryRegionCode->isChecked());
    EXPECT_TRUE(form_->ckbQryCountyCode->isChecked());
    form_->ckbQryCountyCode->setChecked(false);
    EXPECT_FALSE(form_->ckbQryOrgId->isChecked());
    EXPECT_TRUE(form_->ckbQryRegionCode->isChecked());
}

TEST_F(SimForm, LeavingTheFirstImsiForAnotherControlCopiesItOverTheLast)
{
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    QTest::mouseClick(form_->ckbQryImsi, Qt::LeftButton);
    form_->edtQryImsiLast->setText("460001000000099");
    QTest::mouseClick(form_->edtQryImsiFirst, Qt::LeftButton);
    QTest::keyClicks(form_->edtQryImsiFirst, "460001000000010");

    // Another window taking the focus is not leaving the field.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(form_->edtQryImsiLast->text(), "460001000000099");

    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    QTest::mouseClick(form_->edtQryMaxNum, Qt::LeftButton);
    EXPECT_EQ(form_->edtQryImsiLast->text(), "460001000000010");
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
    ASSERT_TRUE(service.add_simInfo(form_->OpInfo(), cards, error)) << error.message << error.hint;

    // A row of another card first puts its status and purpose into the combo boxes.
    form_->ckbQryImsi->setChecked(true);
    form_->ckbQrySts->setChecked(false);
    form_->ckbQryResSts->setChecked(false);
    form_->ckbQryCountyCode->setChecked(false);
    form_->edtQryImsiFirst->setText("460001000000001");
    form_->edtQryImsiLast->setText("460001000000001");
    form_->btnQueryClick();
    ASSERT_EQ(form_->lstShowDataList->rowCount(), 1);
    form_->lstShowDataList->setSelectedRow(0);
    form_->lstShowDataList->Click();
    ASSERT_GE(form_->cmbSts->currentIndex(), 0);
    ASSERT_GE(form_->cmbPurpose->currentIndex(), 0);

    form_->edtQryImsiFirst->setText("460007000000001");
    form_->edtQryImsiLast->setText("460007000000001");
    form_->btnQueryClick();
    ASSERT_EQ(form_->lstShowDataList->rowCount(), 1);
    form_->lstShowDataList->setSelectedRow(0);
    form_->lstShowDataList->Click();
    EXPECT_EQ(form_->cmbSts->currentIndex(), -1);
    EXPECT_EQ(form_->cmbPurpose->currentIndex(), -1);

    gui_->clear();
    ASSERT_TRUE(form_->lstShowDataList->isChecked(0));
    form_->btnModifyClick();
    EXPECT_EQ(gui_->lastMessage().text, "请选择[状态]!");
    EXPECT_EQ(form_->lstShowDataList->cellText(0, TfrmRemoteSimInfo::ColSts), "[13] 已作废");
}

TEST_F(SimForm, QueryByImsiRangeSendsTheTickedCriteria)
{
    form_->ckbQryImsi->setChecked(true);
    form_->edtQryImsiFirst->setText("460001000000010");
    form_->edtQryImsiLast->setText("460001000000019");
    form_->cmbQrySts->setCurrentText("[0] 全部");
    form_->btnQueryClick();
    const json in = sent("RMOSMQ28")["sIn"];
    EXPECT_EQ(in["START_IMSI"], "460001000000010");
    EXPECT_EQ(in["MAX_NUM"], 50);
    EXPECT_EQ(in["STS"], 0);
    EXPECT_EQ(in["REGION_CODE"], 10);
    EXPECT_FALSE(in.contains("START_SIM_ID"));
    ASSERT_EQ(form_->lstShowDataList->rowCount(), 10);
    EXPECT_EQ(form_->lstShowDataList->caption(0), "460001000000010");
    EXPECT_EQ(form_->lstShowDataList->columnWidth(TfrmRemoteSimInfo::ColUnknown), 0);
    EXPECT_EQ(form_->lstShowDataList->cellText(0, TfrmRemoteSimInfo::ColRegion), "[10] 广州");
    EXPECT_FALSE(form_->btnCommit->isEnabled());
    EXPECT_FALSE(gui_->waitBoxOpen());
}

TEST_F(SimForm, AnEmptyTickedCriterionStopsTheQuery)
{
    form_->ckbQrySim->setChecked(true);
    form_->btnQueryClick();
    ASSERT_EQ(gui_->messages().size(), 1U);
    EXPECT_EQ(gui_->messages()[0].text, "请输入查询条件[开始SIM号]!");
    EXPECT_TRUE(Calls("RMOSMQ28").empty());
}

TEST_F(SimForm, KiKeyLengthMustBeAMultipleOfEight)
{
    for (int length : {0, 8, 16, 24, 32, 7, 9}) {
        SCOPED_TRACE(length);
        gui_->clear();
        typeCard("460005000000001", "89860050000000000001");
        form_->edKiKey->setText(QString(length, 'K'));
        form_->btnAddClick();
        const bool refused =
            !gui_->messages().empty() && gui_->messages()[0].text == "KI密钥长度必须为8的倍数!";
        EXPECT_EQ(refused, length % 8 != 0);
    }
}

TEST_F(SimForm, StagedRowsAreCommittedInOneCallLastRowFirst)
{
    for (const char* suffix : {"1", "2", "3"}) {
        typeCard(QString("46000500000000") + suffix, QString("8986005000000000000") + suffix);
        form_->edRemark->setText("  批次  ");
        form_->btnAddClick();
    }
    ASSERT_EQ(form_->lstShowDataList->rowCount(), 3);
    EXPECT_TRUE(form_->btnCommit->isEnabled());
    EXPECT_TRUE(Calls("RMOSMQ25").empty());
    form_->lstShowDataList->setChecked(1, true);
    form_->btnCommitClick();
    const json cards = sent("RMOSMQ25")["listRemoteSimInfo"];
    ASSERT_EQ(cards.size(), 3U);
    EXPECT_EQ(cards[0]["IMSI"], "460005000000003");
    EXPECT_EQ(cards[2]["IMSI"], "460005000000001");
    EXPECT_EQ(cards[0]["REMARK"], "批次");
    EXPECT_EQ(cards[0]["RES_CODE"], "C128");
    EXPECT_EQ(cards[0]["REGION_CODE"], 10);
    EXPECT_FALSE(cards[0].contains("CREATE_DATE"));
    EXPECT_EQ(gui_->messages().back().text, "提示:远程写卡明细数据新增成功!");
    EXPECT_EQ(gui_->messages().back().caption, "业务提交");
    EXPECT_EQ(form_->lstShowDataList->rowCount(), 0);
    EXPECT_FALSE(form_->btnCommit->isEnabled());
}

TEST_F(SimForm, SortingTheListByAHeaderClickChangesNeitherWhatNorInWhichOrderCommitSends)
{
    for (const char* suffix : {"2", "1", "3"}) {
        typeCard(QString("46000500000000") + suffix, QString("8986005000000000000") + suffix);
        form_->btnAddClick();
    }
    TListViewEx* list = form_->lstShowDataList;
    list->show();
    QHeaderView* header = list->header();
    const QPoint imsiHeader(header->sectionViewportPosition(0) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, imsiHeader);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, imsiHeader);
    ASSERT_EQ(list->shownRow(0), 2) << "shown by IMSI, descending";
    form_->btnCommitClick();
    const json cards = sent("RMOSMQ25")["listRemoteSimInfo"];
    ASSERT_EQ(cards.size(), 3U);
    EXPECT_EQ(cards[0]["IMSI"], "460005000000003");
    EXPECT_EQ(cards[1]["IMSI"], "460005000000001");
    EXPECT_EQ(cards[2]["IMSI"], "460005000000002") << "last staged row first, as before any sort";
}

TEST_F(SimForm, ARefusedCommitKeepsTheStagedRows)
{
    typeCard("460001000000001", "89860050000000000009");
    form_->btnAddClick();
    form_->btnCommitClick();
    ASSERT_FALSE(gui_->messages().empty());
    EXPECT_TRUE(gui_->messages().back().text.startsWith("异常：调用新增接口失败\n[IMSI已存在]"))
        << gui_->messages().back().text.toStdString();
    EXPECT_EQ(form_->lstShowDataList->rowCount(), 1);
    EXPECT_TRUE(form_->btnCommit->isEnabled());
}

TEST_F(SimForm, ModifyStagesCheckedRowsAndCommitsOnlyThem)
{
    form_->ckbQryImsi->setChecked(true);
    form_->edtQryImsiFirst->setText("460001000000020");
    form_->edtQryImsiLast->setText("460001000000022");
    form_->btnQueryClick();
    ASSERT_EQ(form_->lstShowDataList->rowCount(), 3);
    gui_->clear();
    form_->btnModifyClick();
    EXPECT_TRUE(gui_->messages()[0].text.contains("数据列表中没有选中复选框的数据"));
    form_->lstShowDataList->setChecked(0, true);
    form_->lstShowDataList->setChecked(2, true);
    typeCard("x", "y");
    form_->edRemark->setText("  改  ");
    form_->btnModifyClick();
    EXPECT_EQ(form_->lstShowDataList->cellText(0, TfrmRemoteSimInfo::ColRemark), "  改  ");
    EXPECT_EQ(form_->lstShowDataList->caption(0), "460001000000020");
    gui_->answerNext(IDYES);
    form_->btnCommitClick();
    const json cards = sent("RMOSMQ26")["listRemoteSimInfo"];
    ASSERT_EQ(cards.size(), 2U);
    EXPECT_EQ(cards[0]["IMSI"], "460001000000022");
    EXPECT_EQ(cards[1]["IMSI"], "460001000000020");
    EXPECT_EQ(cards[0]["REMARK"], "改");
    EXPECT_EQ(gui_->messages().back().text, "提示:远程写卡明细数据修改成功!");
    EXPECT_EQ(form_->lstShowDataList->rowCount(), 3);
}

TEST_F(SimForm, ModifyCommitWithNoCheckedRowAsksAndSendsAnEmptyList)
{
    form_->ckbQryImsi->setChecked(true);
    form_->edtQryImsiFirst->setText("460001000000030");
    form_->edtQryImsiLast->setText("460001000000030");
    form_->btnQueryClick();
    form_->lstShowDataList->setChecked(0, true);
    typeCard("x", "y");
    form_->btnModifyClick();
    form_->lstShowDataList->setChecked(0, false);
    gui_->clear();
    gui_->answerNext(IDYES);
    form_->btnCommitClick();
    EXPECT_EQ(gui_->messages()[0].caption, "确认操作");
    EXPECT_EQ(sent("RMOSMQ26")["listRemoteSimInfo"], json::array());
}

TEST_F(SimForm, DeleteSendsCheckedRowsAndKeepsTheOthers)
{
    form_->ckbQryImsi->setChecked(true);
    form_->edtQryImsiFirst->setText("460001000000040");
    form_->edtQryImsiLast->setText("460001000000042");
    form_->btnQueryClick();
    form_->lstShowDataList->setSelectedRow(0);
    gui_->answerNext(IDYES);
    form_->btnDeleteClick();
    EXPECT_EQ(sent("RMOSMQ27")["listRemoteSimInfo"], json::array());
    form_->lstShowDataList->setChecked(1, true);
    gui_->answerNext(IDYES);
    form_->btnDeleteClick();
    EXPECT_EQ(sent("RMOSMQ27")["listRemoteSimInfo"],
              json::parse(R"([{"IMSI":"460001000000041"}])"));
    EXPECT_EQ(form_->lstShowDataList->rowCount(), 2);
    EXPECT_EQ(form_->lstShowDataList->imageIndex(1), 2);
    EXPECT_EQ(gui_->messages().back().text, "提示:远程写卡明细数据删除成功!");
}

TEST_F(SimForm, ImportedCardsTakeTheSharedFieldsFromTheEditArea)
{
    const QByteArray utf8 = "\xEF\xBB\xBF# 卡商数据\nIMSI SIM PIN1 PIN2 PUK1 PUK2 KI\n"
                            "460006000000001,89860060000000000001,1234,5678,12345678,87654321,"
                            "0123456789ABCDEF0123456789ABCDEF\n"
                            "460006000000002|89860060000000000002|1234|5678|12345678|87654321|附加|"
                            "0123456789ABCDEF0123456789ABCDEF\n";
    form_->chkImport->setChecked(true);
    EXPECT_TRUE(form_->btnImport->isEnabled());
    form_->edRemark->setText("  导入  ");
    form_->edKiKey->setText("KEY00001");
    gui_->nextFile(writeFile(utf8));
    form_->btnImportClick();
    ASSERT_EQ(form_->lstShowDataList->rowCount(), 2);
    EXPECT_EQ(form_->lstShowDataList->cellText(1, TfrmRemoteSimInfo::ColUnknown), "附加");
    form_->btnCommitClick();
    const json cards = sent("RMOSMQ25")["listRemoteSimInfo"];
    ASSERT_EQ(cards.size(), 2U) << gui_->messages().back().text.toStdString();
    EXPECT_EQ(cards[0]["IMSI"], "460006000000002");
    EXPECT_EQ(cards[0]["KI_CODE"], "0123456789ABCDEF0123456789ABCDEF");
    EXPECT_EQ(cards[0]["REMARK"], "  导入  ");
    EXPECT_EQ(cards[1]["KI_KEY"], "KEY00001");
    EXPECT_EQ(cards[1]["SMSP"], "+8613800200500");
    EXPECT_EQ(gui_->messages().back().text, "提示:远程写卡明细数据新增成功!");
}

TEST_F(SimForm, GbkFilesImportAndMalformedFilesStageNothing)
{
    // "备注" in GBK on a comment line, then one card.
    const QByteArray gbk = "# \xB1\xB8\xD7\xA2\n460006100000001 89860061000000000001 1234 5678 "
                           "12345678 87654321 0123456789ABCDEF0123456789ABCDEF\n";
    form_->chkImport->setChecked(true);
    gui_->nextFile(writeFile(gbk));
    form_->btnImportClick();
    EXPECT_EQ(form_->lstShowDataList->rowCount(), 1);

    gui_->nextFile(
        writeFile("460006100000002 1 2\n460006100000003 a b c d e f\n460006100000004 1\n"));
    form_->btnImportClick();
    EXPECT_EQ(form_->lstShowDataList->rowCount(), 0);
    EXPECT_TRUE(gui_->messages().back().text.contains("第1、3行不符合"))
        << gui_->messages().back().text.toStdString();
}

TEST_F(SimForm, ABatchWithOneBadCardIsRefusedWholeAndNothingIsStored)
{
    QByteArray file;
    for (int i = 0; i < 300; ++i)
        file += QString("4600062%1 8986006200000%2 1234 5678 12345678 87654321 "
                        "0123456789ABCDEF0123456789ABCDEF\n")
                    .arg(i, 8, 10, QChar('0'))
                    .arg(i, 7, 10, QChar('0'))
                    .toUtf8();
    file.replace("460006200000150", "46000620000015X");
    form_->chkImport->setChecked(true);
    gui_->nextFile(writeFile(file));
    form_->btnImportClick();
    ASSERT_EQ(form_->lstShowDataList->rowCount(), 300);
    form_->btnCommitClick();
    EXPECT_TRUE(gui_->messages().back().text.contains("IMSI格式错误"))
        << gui_->messages().back().text.toStdString();
    EXPECT_TRUE(gui_->messages().back().text.contains("第150条记录 IMSI=46000620000015X"));
    form_->chkImport->setChecked(false);
    form_->ckbQryImsi->setChecked(true);
    form_->edtQryImsiFirst->setText("460006200000000");
    form_->edtQryImsiLast->setText("460006299999999");
    gui_->clear();
    form_->btnQueryClick();
    EXPECT_EQ(gui_->messages().back().text, "没有查询到数据!");
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
    form_->chkImport->setChecked(true);
    form_->edKiKey->setText("KEY00001");
    gui_->nextFile(writeFile(file));
    form_->btnImportClick();
    ASSERT_EQ(form_->lstShowDataList->rowCount(), kCards);
    EXPECT_EQ(gui_->waitEvents(),
              QStringList({"show:正在读取导入文件，请稍候...",
                           "update:正在导入数据，请稍候...（10000/25000条）",
                           "update:正在导入数据，请稍候...（20000/25000条）",
                           "update:正在导入数据，请稍候...（25000/25000条）", "close"}));
    gui_->clear();
    ClearCalls();
    form_->btnCommitClick();
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

// A small file and a small commit show no wait box.
TEST_F(SimForm, ASmallImportAndCommitShowNoWaitBox)
{
    form_->chkImport->setChecked(true);
    gui_->nextFile(writeFile("460006400000001 89860064000000000001 1234 5678 12345678 87654321 "
                             "0123456789ABCDEF0123456789ABCDEF\n"));
    form_->btnImportClick();
    form_->btnCommitClick();
    EXPECT_TRUE(gui_->waitEvents().isEmpty()) << gui_->waitEvents().join(" | ").toStdString();
    EXPECT_EQ(gui_->messages().back().text, "提示:远程写卡明细数据新增成功!");
}

TEST_F(SimForm, CancelRemovesTheFocusedStagedRow)
{
    form_->btnCancelClick();
    EXPECT_TRUE(gui_->messages().back().text.contains("请选择要取消的数据"));
    typeCard("460005000000011", "89860050000000000011");
    form_->btnAddClick();
    form_->lstShowDataList->setFocusedRow(0);
    form_->btnCancelClick();
    EXPECT_EQ(form_->lstShowDataList->rowCount(), 0);
    EXPECT_FALSE(form_->btnCancel->isEnabled());
}

} // namespace
