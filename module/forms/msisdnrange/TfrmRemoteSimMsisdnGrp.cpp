// MSISDN ranges of MSISDN groups, per region and province.
#include "maintenance_form.h"

using namespace rsimform;
using Range = MResRemoteMgntDef::SResRemoteMsisdnGrp;

namespace {

constexpr int kRegion = rsimcatalog::TableOf<Range>().codeListOf(Range::idx_REGION_CODE);

// Clear leaves the province criterion as it is. A click on the number-range box empties both
// its editors. The two numbers of the edit area take only digits; leaving the first copies it
// over the last (the criteria range has no such copy). Modify sends the clicked row's group,
// region and province with the edited range; delete sends the edit area. The labels read
// "MISIDN" as the window always has.
WindowDeclaration MsisdnRangeDeclaration()
{
    WindowDeclaration declaration = TableWindow<Range>();
    declaration.criteria = {
        {"ckbQryMsisdnGrp",
         "号　　    群：",
         {{"edtQryMsisdnGrp", TextEdit(7), Range::idx_MSISDN_GROUP, "请输入查询条件[号群]!"}}},
        {.box = "ckbQryMsisdn",
         .caption = "开始MSISDN号：",
         .editors = {{"edtQryMsisdnFirst", TextEdit(20), Range::idx_FIRST_MSISDN,
                      "请输入查询条件[开始MSISDN号]!"},
                     {"edtQryMsisdnLast", TextEdit(20), Range::idx_LAST_MSISDN,
                      "请输入查询条件[结束MSISDN号]!", "结束MISIDN号："}},
         .clickEmptiesEditors = true},
        {.box = "ckbQryRegionCode",
         .caption = "地    区：",
         .editors = {{.name = "cmbQryRegionCode",
                      .kind = CodeListCombo(kRegion),
                      .member = Range::idx_REGION_CODE,
                      .reset = Reset::OperatorsRegion}},
         .clickSelectsOperatorsRegion = true},
        {.box = "ckbQryProvince",
         .caption = "省  份：",
         .editors = {{.name = "cmbQryProvince",
                      .kind = ProvinceCombo(),
                      .member = Range::idx_PROVINCE_CODE,
                      .reset = Reset::FirstItem}},
         .onClear = OnClear::Keep},
    };
    declaration.fields = {
        {"号        群：", "edtMsisdn", TextEdit(7), Range::idx_MSISDN_GROUP, "请输入[号群]!",
         true},
        {"地   市：",
         "cmbRegionCode",
         CodeListCombo(kRegion),
         Range::idx_REGION_CODE,
         {},
         true,
         Reset::OperatorsRegion},
        {"省  份：",
         "cmbProvince",
         ProvinceCombo(),
         Range::idx_PROVINCE_CODE,
         {},
         true,
         Reset::FirstItem},
        {.label = "开始MISIDN号：",
         .name = "edtMsisdnFirst",
         .kind = NumberEdit(11),
         .member = Range::idx_FIRST_MSISDN,
         .message = "请输入[开始MSISDN号]!",
         .copiesTo = "edtMsisdnLast"},
        {"结束MISIDN号：", "edtMsisdnLast", NumberEdit(11), Range::idx_LAST_MSISDN,
         "请输入[结束MSISDN号]!"},
    };
    declaration.columns = {
        {"号群", 100, Range::idx_MSISDN_GROUP},
        {"地市", 100, Range::idx_REGION_CODE, CodeListCombo(kRegion)},
        {"省份", 100, Range::idx_PROVINCE_CODE, ProvinceCombo()},
        {"开始MISIDN号", 130, Range::idx_FIRST_MSISDN},
        {"结束MISIDN号", 130, Range::idx_LAST_MSISDN},
    };
    declaration.policies.modifySendsClickedKey = true;
    return declaration;
}

// The window of its table's function code.
const TableWindowRegistration<Range, MsisdnRangeDeclaration> registration;

} // namespace
