// The inquiry window end to end: its three pages against the demo service.
#include "cut_notice.h"
#include "window_driver.h"

#include <QDate>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

constexpr int kInquiry = 10150187;

class InquiryForm : public windowtest::OpenedWindow<kInquiry> {
protected:
    // Shows a page as the operator would before using its controls.
    void showPage(int index) { control<QTabWidget>("pgctrlQrySimInfo")->setCurrentIndex(index); }
    TFlatDateTimePicker* picker(const char* name) { return control<TFlatDateTimePicker>(name); }
    // The criteria record of the last call of an operation code.
    json criteria(const std::string& code) { return sent(code)["sIn"]; }
    void setSpan(QDate begin, QDate end)
    {
        picker("dtpBgnOperDate")->setDate(begin);
        picker("dtpEndOperDate")->setDate(end);
    }
};

TEST_F(InquiryForm, OpensOnTheSegmentPageWithEveryCriterionUntickedAndItsEditorLocked)
{
    auto* pages = control<QTabWidget>("pgctrlQrySimInfo");
    EXPECT_EQ(pages->currentIndex(), 1);
    const auto boxes = window_->findChildren<QCheckBox*>();
    EXPECT_EQ(boxes.size(), 14);
    for (const QCheckBox* criterion : boxes)
        EXPECT_FALSE(criterion->isChecked()) << criterion->objectName().toStdString();
    for (QWidget* editor : window_->findChildren<QWidget*>(QRegularExpression("^(ed|cmb|dtp)"))) {
        auto* text = qobject_cast<QLineEdit*>(editor);
        EXPECT_TRUE(text != nullptr ? text->isReadOnly() : !editor->isEnabled())
            << editor->objectName().toStdString();
    }
    EXPECT_EQ(combo("cmbCardFlag")->currentText(), "[0] 否");
    EXPECT_EQ(picker("dtpBgnOperDate")->date(), QDate::currentDate());
    EXPECT_EQ(picker("dtpEndOperDate")->date(), QDate::currentDate());
    EXPECT_EQ(combo("cmbRegionCode")->currentText(), "[10] 广州");
}

TEST_F(InquiryForm, TheSpanAndTheLogCriteriaAreCheckedInOrderBeforeAnyCall)
{
    showPage(0);
    const QDate begin(2025, 3, 1);
    setSpan(begin, begin.addDays(365));
    click("btnQuery");
    EXPECT_EQ(Calls("RMOSMQ52").size(), 1U);
    EXPECT_FALSE(criteria("RMOSMQ52").contains("BEGIN_OP_TIME")) << "the date box is unticked";

    gui_->clear();
    ClearCalls();
    setSpan(begin, begin.addDays(366));
    click("btnQuery");
    expectOnlyMessage("提示：对不起!操作日期查询跨度不能超过1年！", "提示", MB_ICONHAND);
    EXPECT_TRUE(Calls("RMOSMQ52").empty());

    gui_->clear();
    click("chkOperDate");
    setSpan(QDate(2026, 3, 11), QDate(2026, 3, 9));
    click("btnQuery");
    EXPECT_EQ(criteria("RMOSMQ52")["BEGIN_OP_TIME"], "2026-03-11 00:00:00")
        << "a backwards span is sent as it is";
    EXPECT_EQ(criteria("RMOSMQ52")["END_OP_TIME"], "2026-03-09 23:59:59");

    // Ticked criteria are checked in order, and a work order must be a number.
    gui_->clear();
    ClearCalls();
    click("chkOperDate");
    click("chkIMSI");
    click("chkSimID");
    edit("edIMSI")->setText("   ");
    click("btnQuery");
    expectOnlyMessage("勾选了[SIM卡号]复选框时必须输入[SIM卡号]，请输入!", "提示", MB_OK);
    gui_->clear();
    edit("edSimID")->setText("8986");
    click("btnQuery");
    expectOnlyMessage("勾选[IMSI号]复选框时必须输入[IMSI号]，请选择!", "提示", MB_OK);
    gui_->clear();
    click("chkSoNbr");
    edit("edSoNbr")->setText("12a");
    click("btnQuery");
    expectOnlyMessage("[工单号]必须是整数，请重新输入!", "提示", MB_OK);
    EXPECT_TRUE(Calls("RMOSMQ52").empty());
}

TEST_F(InquiryForm, TheLogListsTheNewestFirstCutAtTheCapAndEveryQueryCarriesTheOperator)
{
    showPage(0);
    click("btnQuery");
    auto* log = list("lstvWriteCardLogShowList");
    ASSERT_EQ(log->rowCount(), rsimform::kServiceRowCap);
    EXPECT_FALSE(control<QLabel>("lstvWriteCardLogShowListCutNotice")->isHidden());
    EXPECT_TRUE(gui_->messages().empty()) << "the note is no message box";
    const QRegularExpression date("^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}$");
    for (int row : {0, 999}) {
        EXPECT_TRUE(date.match(log->cellText(row, 5)).hasMatch())
            << log->cellText(row, 5).toStdString();
        EXPECT_TRUE(log->cellText(row, 6) == "[0] 否" || log->cellText(row, 6) == "[1] 是");
        EXPECT_EQ(log->cellText(row, 7), "[10] 广州");
        EXPECT_EQ(log->cellText(row, 8), "[1] 系统管理员");
    }
    EXPECT_GT(log->cellText(0, 5), log->cellText(999, 5));

    click("chkOperDate");
    setSpan(QDate::currentDate().addDays(-30), QDate::currentDate());
    click("btnQuery");
    EXPECT_GT(log->rowCount(), 0);
    EXPECT_LT(log->rowCount(), rsimform::kServiceRowCap);
    EXPECT_TRUE(control<QLabel>("lstvWriteCardLogShowListCutNotice")->isHidden());
    click("btnClear");
    EXPECT_EQ(log->rowCount(), 0);
    EXPECT_FALSE(box("chkOperDate")->isChecked());

    showPage(0);
    click("btnQuery");
    EXPECT_EQ(criteria("RMOSMQ52"),
              json({{"REGION_CODE", operator_.REGION_CODE}, {"OP_ID", operator_.OP_ID}}));

    for (const char* name : {"chkSoNbr", "chkSimID", "chkIMSI", "chkMainMsisdn", "chkSubMsisdn",
                             "chkCardFlag", "chkOperDate"})
        click(name);
    QTest::keyClicks(edit("edSoNbr"), "1234567");
    edit("edSimID")->setText(" 8986");
    edit("edIMSI")->setText("46000 ");
    edit("edMainMsisdn")->setText("138");
    edit("edSubMsisdn")->setText(" 147");
    combo("cmbCardFlag")->setCurrentIndex(1);
    setSpan(QDate(2026, 11, 1), QDate(2026, 11, 30));
    click("btnQuery");
    EXPECT_EQ(criteria("RMOSMQ52"),
              json::parse(R"({"REGION_CODE":10,"OP_ID":1,"SO_NBR":123456,"SIM_ID":" 8986",
                  "IMSI":"46000 ","PHONE1":"138","PHONE2":" 147","CARD_FLAG":"1",
                  "BEGIN_OP_TIME":"2026-11-01 00:00:00","END_OP_TIME":"2026-11-30 23:59:59"})"));
    expectOnlyMessage("提示：没有查到写卡日志信息!", "提示", MB_ICONINFORMATION);
    EXPECT_EQ(list("lstvWriteCardLogShowList")->rowCount(), 0);
}

TEST_F(InquiryForm, SegmentAndImsiQueriesSendTheTickedTextsAndClearRefillsTheRegions)
{
    click("btnQryMsisdn");
    EXPECT_EQ(criteria("RMOSMQ49"), json::object());
    auto* segments = list("lstvMsisdnSegList");
    ASSERT_EQ(segments->rowCount(), 5);
    EXPECT_EQ(segments->caption(0), "1380000");
    EXPECT_EQ(segments->cellText(0, 2), "[10] 广州");
    EXPECT_EQ(segments->cellText(0, 3), "[100101] 广州一区营业厅1");
    EXPECT_EQ(segments->cellText(0, 4), "[1] 系统管理员");
    EXPECT_EQ(segments->cellText(0, 5), "2026/09/01 12:00:00");
    EXPECT_EQ(segments->cellText(0, 6), "90000");

    click("chkMsisdnSeg");
    click("chkHLRCode");
    click("chkRegionCode");
    edit("edMsisdnSeg")->setText(" 138 ");
    edit("edHLRCode")->setText("HLR1 ");
    combo("cmbRegionCode")->setCurrentIndex(1);
    gui_->clear();
    click("btnQryMsisdn");
    EXPECT_EQ(criteria("RMOSMQ49"),
              json({{"NUMBER_SEGMENT", " 138 "}, {"PS_NET_CODE", "HLR1 "}, {"REGION_CODE", "11"}}));
    expectOnlyMessage("提示：没有查到开通平台号段信息!", "提示", MB_ICONINFORMATION);
    EXPECT_EQ(segments->rowCount(), 0);

    click("btnClearMsisdn");
    gui_->clear();
    showPage(2);
    click("btnQryPsIMSI");
    ASSERT_EQ(list("lstvPsIMSIList")->rowCount(), 5);
    click("btnClearIMSI");
    click("btnClearIMSI");
    showPage(1);
    click("btnQryMsisdn");
    click("chkRegionCode");
    combo("cmbRegionCode")->setCurrentIndex(2);
    click("btnClearMsisdn");
    click("btnClearMsisdn");
    for (const char* name : {"cmbRegionCode", "cmbRegion_Code"}) {
        EXPECT_EQ(combo(name)->count(), 3) << name;
        EXPECT_EQ(combo(name)->currentText(), "[10] 广州") << name;
    }
    EXPECT_FALSE(box("chkRegionCode")->isChecked());
    EXPECT_EQ(list("lstvMsisdnSegList")->rowCount(), 5);
    EXPECT_EQ(list("lstvPsIMSIList")->rowCount(), 5);

    // The two IMSI boxes tick and untick each other.
    showPage(2);
    click("chkBgnIMSI");
    EXPECT_TRUE(box("chkEndIMSI")->isChecked());
    EXPECT_FALSE(edit("edBgnIMSI")->isReadOnly());
    EXPECT_FALSE(edit("edEndIMSI")->isReadOnly());
    edit("edBgnIMSI")->setText("46000");
    click("btnQryPsIMSI");
    expectOnlyMessage("勾选了[结束IMSI]复选框时必须输入[结束IMSI]，请输入!", "提示", MB_OK);

    click("chkEndIMSI");
    EXPECT_FALSE(box("chkBgnIMSI")->isChecked());
    EXPECT_TRUE(edit("edBgnIMSI")->isReadOnly());
    EXPECT_TRUE(edit("edEndIMSI")->isReadOnly());

    click("chkEndIMSI");
    click("chkHLR_Code");
    click("chkRegion_Code");
    edit("edEndIMSI")->setText(" 46001");
    edit("edHlR_Code")->setText(" HLR");
    gui_->clear();
    click("btnQryPsIMSI");
    EXPECT_EQ(criteria("RMOSMQ50"), json::parse(R"({"START_IMSI":"46000","END_IMSI":" 46001",
                                                    "PS_NET_CODE":" HLR","REGION_CODE":"10"})"));
    expectOnlyMessage("提示：没有查到开通平台IMSI信息!", "提示", MB_ICONINFORMATION);
}

} // namespace
