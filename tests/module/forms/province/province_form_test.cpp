// The province window end to end, and through it the behaviour every maintenance window shares.
#include "CreateBusinessForm.h"
#include "TfrmRemoteSimProvince.h"
#include "form_harness.h"

#include <nlohmann/json.hpp>

using formtest::FormHarness;
using nlohmann::json;

namespace {

class ProvinceForm : public FormHarness {
protected:
    void SetUp() override
    {
        FormHarness::SetUp();
        form_.reset(static_cast<TfrmRemoteSimProvince*>(CreateBusinessForm(10150173, &operator_)));
        ASSERT_NE(form_, nullptr);
        gui_->clear();
        ClearCalls();
    }

    template <class T>
    T* control(const char* name)
    {
        return form_->findChild<T*>(name);
    }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(name); }
    QCheckBox* box(const char* name) { return control<QCheckBox>(name); }
    QPushButton* button(const char* name) { return control<QPushButton>(name); }
    TListViewEx* list() { return control<TListViewEx>("lstShowDataList"); }
    json sent(const std::string& code)
    {
        auto calls = Calls(code);
        return calls.empty() ? json() : json::parse(calls.back().encodedIn)["in"];
    }

    void queryAll() { form_->btnQueryClick(); }
    void addProvince(const QString& code, const QString& name)
    {
        form_->btnClearBaseClick();
        edit("edtProvinceCode")->setText(code);
        edit("edtProvinceName")->setText(name);
        form_->btnAddClick();
    }

    std::unique_ptr<TfrmRemoteSimProvince> form_;
};

TEST_F(ProvinceForm, OpensInItsFirstState)
{
    EXPECT_EQ(form_->Caption(), "远程写卡省份代码维护");
    EXPECT_FALSE(box("ckbQryProvinceCode")->isChecked());
    EXPECT_FALSE(box("ckbQryProvinceName")->isChecked());
    EXPECT_TRUE(edit("edtQryProvinceCode")->isReadOnly());
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_TRUE(button("btnAdd")->isEnabled());
    EXPECT_FALSE(button("btnModify")->isEnabled());
    EXPECT_FALSE(button("btnDelete")->isEnabled());
    EXPECT_FALSE(edit("edtProvinceCode")->isReadOnly());
    EXPECT_EQ(edit("edtProvinceCode")->maxLength(), 4);
    EXPECT_EQ(edit("edtQryProvinceCode")->maxLength(), 4);
    EXPECT_FALSE(gui_->waitBoxOpen());
}

TEST_F(ProvinceForm, OperationInfoCarriesTheOperatorNarrowedTo16Bits)
{
    const auto& info = form_->OpInfo();
    EXPECT_EQ(info.REGION_CODE, static_cast<std::int16_t>(operator_.REGION_CODE));
    EXPECT_EQ(info.COUNTY_CODE, static_cast<std::int16_t>(operator_.COUNTY_CODE));
    EXPECT_EQ(info.ORG_ID, operator_.ORG_ID);
    EXPECT_EQ(info.OP_ID, operator_.OP_ID);
    EXPECT_EQ(info.mask(0), 0xFU);
}

TEST_F(ProvinceForm, CriteriaAreCheckedInScreenOrderAndNothingIsCalled)
{
    box("ckbQryProvinceCode")->setChecked(true);
    box("ckbQryProvinceName")->setChecked(true);
    EXPECT_FALSE(edit("edtQryProvinceName")->isReadOnly());
    edit("edtQryProvinceCode")->setText("44");
    form_->btnQueryClick();
    ASSERT_EQ(gui_->messages().size(), 1U);
    EXPECT_EQ(gui_->messages()[0].text, "请输入查询条件[省份名称]!");
    EXPECT_EQ(gui_->messages()[0].caption, "提示");
    EXPECT_EQ(gui_->messages()[0].flags, 0);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ProvinceForm, QueryWithNoCriterionSendsAnEmptyRecordAndShowsTheFirstRow)
{
    queryAll();
    EXPECT_EQ(sent("RMOSMQ04"), json::parse(R"({"sResRemoteProvCode":{}})"));
    ASSERT_GT(list()->rowCount(), 1);
    EXPECT_EQ(list()->selectedRow(), 0);
    EXPECT_EQ(edit("edtProvinceCode")->text(), list()->caption(0));
    EXPECT_EQ(edit("edtProvinceName")->text(), list()->cellText(0, 1));
    EXPECT_TRUE(edit("edtProvinceCode")->isReadOnly());
    EXPECT_FALSE(button("btnAdd")->isEnabled());
    EXPECT_FALSE(button("btnModify")->isEnabled());
    EXPECT_FALSE(button("btnDelete")->isEnabled());
    EXPECT_FALSE(gui_->waitBoxOpen());
}

TEST_F(ProvinceForm, TickedCriteriaAreTrimmedAndAQueryWithoutRowsSaysSo)
{
    box("ckbQryProvinceName")->setChecked(true);
    edit("edtQryProvinceName")->setText("  没有这个省  ");
    form_->btnQueryClick();
    EXPECT_EQ(sent("RMOSMQ04"),
              json::parse(R"({"sResRemoteProvCode":{"PROVINCE_NAME":"没有这个省"}})"));
    ASSERT_EQ(gui_->messages().size(), 1U);
    EXPECT_EQ(gui_->messages()[0].text, "没有查询到数据!");
    EXPECT_EQ(gui_->messages()[0].flags, 16);
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_TRUE(button("btnAdd")->isEnabled());
}

TEST_F(ProvinceForm, RowClickEnablesModifyAndDeleteAndLocksTheKey)
{
    queryAll();
    MakeDefault(edit("edtProvinceCode"));
    list()->setSelectedRow(1);
    list()->Click();
    EXPECT_EQ(edit("edtProvinceCode")->text(), list()->caption(1));
    EXPECT_TRUE(edit("edtProvinceCode")->isReadOnly());
    EXPECT_FALSE(button("btnAdd")->isEnabled());
    EXPECT_TRUE(button("btnModify")->isEnabled());
    EXPECT_TRUE(button("btnDelete")->isEnabled());
}

TEST_F(ProvinceForm, AddListsOnlyTheAddedRecord)
{
    addProvince("91", "测试省");
    EXPECT_EQ(sent("RMOSMQ01")["listResRemoteProvCode"],
              json::parse(R"([{"PROVINCE_CODE":"91","PROVINCE_NAME":"测试省"}])"));
    ASSERT_EQ(list()->rowCount(), 1);
    EXPECT_EQ(list()->caption(0), "91");
    EXPECT_EQ(gui_->messages().back().text, "提示：信息新增成功!");
    EXPECT_FALSE(button("btnAdd")->isEnabled());
    EXPECT_TRUE(button("btnModify")->isEnabled());
    EXPECT_FALSE(gui_->waitBoxOpen());
}

TEST_F(ProvinceForm, AddChecksRequiredFieldsFirst)
{
    edit("edtProvinceCode")->setText("92");
    form_->btnAddClick();
    EXPECT_EQ(gui_->messages().back().text, "请输入[省份名称]!");
    EXPECT_TRUE(Calls("RMOSMQ01").empty());
}

TEST_F(ProvinceForm, AServerMessageWithPercentSignsIsShownUnchanged)
{
    addProvince("%s%d", "百分号");
    gui_->clear();
    addProvince("%s%d", "百分号");
    ASSERT_EQ(gui_->messages().size(), 1U);
    const auto& shown = gui_->messages()[0];
    EXPECT_EQ(shown.flags, 64);
    EXPECT_TRUE(shown.text.startsWith("异常：调用接口失败\n[")) << shown.text.toStdString();
    EXPECT_TRUE(shown.text.contains("%s%d")) << shown.text.toStdString();
    EXPECT_FALSE(gui_->waitBoxOpen());
}

TEST_F(ProvinceForm, ModifySendsTheRowsKeyWithTheEditedName)
{
    addProvince("93", "旧名");
    edit("edtProvinceName")->setText("新名");
    gui_->answerNext(6);
    form_->btnModifyClick();
    EXPECT_EQ(sent("RMOSMQ02")["listResRemoteProvCode"],
              json::parse(R"([{"PROVINCE_CODE":"93","PROVINCE_NAME":"新名"}])"));
    EXPECT_EQ(gui_->messages().back().text, "提示：信息修改成功!");
    EXPECT_EQ(list()->cellText(0, 1), "新名");
}

TEST_F(ProvinceForm, ModifyAnsweredNoOrWithoutASelectedRowDoesNothing)
{
    addProvince("94", "名");
    gui_->clear();
    ClearCalls();
    gui_->answerNext(7);
    form_->btnModifyClick();
    EXPECT_EQ(gui_->messages().size(), 1U);
    list()->setSelectedRow(-1);
    gui_->answerNext(6);
    form_->btnModifyClick();
    EXPECT_EQ(gui_->messages().size(), 2U);
    EXPECT_EQ(gui_->messages()[1].caption, "确认操作");
    EXPECT_EQ(gui_->messages()[1].flags, 292);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ProvinceForm, DeleteSendsTheEditedRecordAndEmptiesTheList)
{
    addProvince("95", "待删");
    edit("edtProvinceName")->setText("编辑过");
    gui_->answerNext(6);
    form_->btnDeleteClick();
    EXPECT_EQ(sent("RMOSMQ03")["listResRemoteProvCode"],
              json::parse(R"([{"PROVINCE_CODE":"95","PROVINCE_NAME":"编辑过"}])"));
    EXPECT_EQ(gui_->messages().back().text, "提示：信息删除成功!");
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(form_->ResultList().count(), 0);
}

TEST_F(ProvinceForm, ClearResetsCriteriaListAndEditArea)
{
    box("ckbQryProvinceCode")->setChecked(true);
    edit("edtQryProvinceCode")->setText("44");
    queryAll();
    form_->btnClearClick();
    EXPECT_FALSE(box("ckbQryProvinceCode")->isChecked());
    EXPECT_TRUE(edit("edtQryProvinceCode")->text().isEmpty());
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_TRUE(edit("edtProvinceCode")->text().isEmpty());
    EXPECT_FALSE(edit("edtProvinceCode")->isReadOnly());
    EXPECT_TRUE(button("btnAdd")->isEnabled());
    EXPECT_FALSE(button("btnModify")->isEnabled());
}

TEST_F(ProvinceForm, AnOperatorWithoutWriteRightsCannotAdd)
{
    LoginAs("viewer", "viewer123");
    std::unique_ptr<TfrmMDIChild> form(CreateBusinessForm(10150173, &operator_));
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->findChild<QPushButton*>("btnAdd")->isEnabled());
}

} // namespace
