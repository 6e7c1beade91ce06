// The IMSI-range window: Clear ticks region and province, leaving a start IMSI copies it, a
// refused range says why, modify keeps the clicked row's key and delete sends the clicked record.
#include "window_driver.h"

#include <QTest>

using nlohmann::json;

namespace {

using ImsiRangeForm = windowtest::OpenedWindow<10150177>;

TEST_F(ImsiRangeForm, AFreshWindowQueriesTheOperatorsPlaceAndLeavingAStartImsiCopiesIt)
{
    click("btnQuery");
    EXPECT_EQ(
        sent("RMOSMQ20"),
        json::parse(R"({"sResRemoteImsiMsisdnGrp":{"REGION_CODE":10,"PROVINCE_CODE":"11"}})"));
    ASSERT_GT(rows()->rowCount(), 0);
    EXPECT_EQ(cell(0, 1), "[10] 广州");
    EXPECT_EQ(cell(0, 2), "[11] 北京");
    EXPECT_EQ(combo("cmbProvince")->currentText(), "[11] 北京");

    // Leaving a start IMSI for another control of the window copies it over the end.
    click("btnClearBase");
    click("ckbImsi");
    edit("edtQryImsiLast")->setText("460009999999999");
    click("edtQryImsiFirst");
    QTest::keyClicks(edit("edtQryImsiFirst"), "460001");
    click("cmbQryRegionCode");
    EXPECT_EQ(edit("edtQryImsiLast")->text(), "460001");

    // Another application taking the focus is no exit from the field.
    click("edtImsiFirst");
    QTest::keyClicks(edit("edtImsiFirst"), "460002");
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_TRUE(edit("edtImsiLast")->text().isEmpty());
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    click("edtImsiLast");
    EXPECT_EQ(edit("edtImsiLast")->text(), "460002");

    edit("edtMsisdnGrp")->setText("G01");
    combo("cmbProvince")->setCurrentText("[44] 广东");
    edit("edtImsiFirst")->setText("460008000000099");
    edit("edtImsiLast")->setText("460008000000000");
    click("btnAdd");
    EXPECT_EQ(sent("RMOSMQ17")["listResRemoteImsiMsisdnGrp"][0]["FIRST_IMSI"], "460008000000099");
    EXPECT_TRUE(lastText().startsWith("异常：调用接口失败\n[号段起始值大于结束值]"))
        << lastText().toStdString();
    EXPECT_EQ(rows()->rowCount(), 0);
    EXPECT_FALSE(gui_->waitBoxOpen());

    edit("edtImsiFirst")->setText("460008000000000");
    edit("edtImsiLast")->setText("460008000000099");
    click("btnAdd");
    ASSERT_EQ(rows()->rowCount(), 1) << lastText().toStdString();

    edit("edtMsisdnGrp")->setText("G02");
    edit("edtImsiLast")->setText("460008000000199");
    click("btnModify");
    EXPECT_EQ(sent("RMOSMQ18")["listResRemoteImsiMsisdnGrp"],
              json::parse(R"([{"MSISDN_GROUP":"G01","REGION_CODE":10,"PROVINCE_CODE":"44",
                               "FIRST_IMSI":"460008000000000","LAST_IMSI":"460008000000199"}])"));

    edit("edtImsiFirst")->setText("460008000000050");
    click("btnDelete");
    EXPECT_EQ(sent("RMOSMQ19")["listResRemoteImsiMsisdnGrp"],
              json::parse(R"([{"MSISDN_GROUP":"G01","REGION_CODE":10,"PROVINCE_CODE":"44",
                               "FIRST_IMSI":"460008000000000","LAST_IMSI":"460008000000199"}])"));
    EXPECT_EQ(lastText(), "提示：信息删除成功!");
}

} // namespace
