// The IMSI-range window: Clear ticks region and province, leaving a start IMSI copies it,
// modify keeps the clicked row's key and delete sends the clicked record.
#include "reference_form.h"

#include <QTest>

using formtest::ReferenceForm;
using nlohmann::json;

namespace {

class ImsiRangeForm : public ReferenceForm {
protected:
    void SetUp() override
    {
        ReferenceForm::SetUp();
        Open(10150177);
    }
};

TEST_F(ImsiRangeForm, AFreshWindowQueriesTheOperatorsRegionAndTheFirstProvince)
{
    EXPECT_FALSE(box("ckbQryMsisdnGrp")->isChecked());
    EXPECT_FALSE(box("ckbImsi")->isChecked());
    EXPECT_TRUE(box("ckbQryRegionCode")->isChecked());
    EXPECT_TRUE(box("ckbQryProvince")->isChecked());
    form_->btnQueryClick();
    EXPECT_EQ(
        sent("RMOSMQ20"),
        json::parse(R"({"sResRemoteImsiMsisdnGrp":{"REGION_CODE":10,"PROVINCE_CODE":"11"}})"));
    ASSERT_GT(list()->rowCount(), 0);
    EXPECT_EQ(list()->cellText(0, 1), "[10] 广州");
    EXPECT_EQ(list()->cellText(0, 2), "[11] 北京");
    EXPECT_EQ(combo("cmbProvince")->currentText(), "[11] 北京");
}

TEST_F(ImsiRangeForm, LeavingAStartImsiForAnotherControlCopiesItOverTheEnd)
{
    ShowActive();
    click(box("ckbImsi"));
    edit("edtQryImsiLast")->setText("460009999999999");
    click(edit("edtQryImsiFirst"));
    QTest::keyClicks(edit("edtQryImsiFirst"), "460001");
    click(combo("cmbQryRegionCode"));
    EXPECT_EQ(edit("edtQryImsiLast")->text(), "460001");

    // Another application taking the focus is no exit from the field.
    click(edit("edtImsiFirst"));
    QTest::keyClicks(edit("edtImsiFirst"), "460002");
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_TRUE(edit("edtImsiLast")->text().isEmpty());
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    click(edit("edtImsiLast"));
    EXPECT_EQ(edit("edtImsiLast")->text(), "460002");
}

TEST_F(ImsiRangeForm, ModifyKeepsTheRowsKeyAndDeleteSendsTheClickedRecord)
{
    edit("edtMsisdnGrp")->setText("G01");
    combo("cmbProvince")->setCurrentText("[44] 广东");
    edit("edtImsiFirst")->setText("460008000000000");
    edit("edtImsiLast")->setText("460008000000099");
    form_->btnAddClick();
    ASSERT_EQ(list()->rowCount(), 1) << gui_->lastMessage().text.toStdString();

    edit("edtMsisdnGrp")->setText("G02");
    edit("edtImsiLast")->setText("460008000000199");
    confirmNext();
    form_->btnModifyClick();
    EXPECT_EQ(sent("RMOSMQ18")["listResRemoteImsiMsisdnGrp"],
              json::parse(R"([{"MSISDN_GROUP":"G01","REGION_CODE":10,"PROVINCE_CODE":"44",
                               "FIRST_IMSI":"460008000000000","LAST_IMSI":"460008000000199"}])"));

    edit("edtImsiFirst")->setText("460008000000050");
    confirmNext();
    form_->btnDeleteClick();
    EXPECT_EQ(sent("RMOSMQ19")["listResRemoteImsiMsisdnGrp"],
              json::parse(R"([{"MSISDN_GROUP":"G01","REGION_CODE":10,"PROVINCE_CODE":"44",
                               "FIRST_IMSI":"460008000000000","LAST_IMSI":"460008000000199"}])"));
    EXPECT_EQ(gui_->lastMessage().text, "提示：信息删除成功!");
}

TEST_F(ImsiRangeForm, TheWindowSendsARangeAsTypedAndShowsWhyTheServiceRefusesIt)
{
    edit("edtMsisdnGrp")->setText("G01");
    edit("edtImsiFirst")->setText("460001500000099");
    edit("edtImsiLast")->setText("460001500000000");
    form_->btnAddClick();
    EXPECT_EQ(sent("RMOSMQ17")["listResRemoteImsiMsisdnGrp"][0]["FIRST_IMSI"], "460001500000099");
    EXPECT_TRUE(gui_->lastMessage().text.startsWith("异常：调用接口失败\n[号段起始值大于结束值]"))
        << gui_->lastMessage().text.toStdString();

    edit("edtImsiFirst")->setText("460001500000000");
    edit("edtImsiLast")->setText("460001500000099");
    form_->btnAddClick();
    EXPECT_TRUE(
        gui_->lastMessage().text.contains("[号段与已有号段重叠：460001000000000-460001999999999]"))
        << gui_->lastMessage().text.toStdString();
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_FALSE(gui_->waitBoxOpen());
}

} // namespace
