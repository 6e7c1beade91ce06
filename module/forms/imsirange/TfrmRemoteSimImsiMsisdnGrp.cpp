// IMSI ranges of MSISDN groups, per region and province.
#include "maintenance_form.h"

using namespace rsimform;
using Range = MResRemoteMgntDef::SResRemoteImsiMsisdnGrp;

namespace {

constexpr int kRegion = rsimcatalog::TableOf<Range>().codeListOf(Range::idx_REGION_CODE);

// Clear ticks the region and province criteria, so a fresh window queries the operator's region
// and the first province. Modify sends the clicked row's group, region and province with the
// edited range; delete sends the clicked record as it was.
WindowDeclaration ImsiRangeDeclaration()
{
    WindowDeclaration declaration = TableWindow<Range>();
    declaration.criteria = {
        {"ckbQryMsisdnGrp",
         "号　　   群：",
         {{"edtQryMsisdnGrp", TextEdit(7), Range::idx_MSISDN_GROUP, "请输入查询条件[号群]!"}}},
        {"ckbImsi",
         "开始IMSI号：",
         {{.name = "edtQryImsiFirst",
           .kind = TextEdit(20),
           .member = Range::idx_FIRST_IMSI,
           .message = "请输入查询条件[开始IMSI号]!",
           .copiesTo = "edtQryImsiLast"},
          {.name = "edtQryImsiLast",
           .kind = TextEdit(20),
           .member = Range::idx_LAST_IMSI,
           .message = "请输入查询条件[结束IMSI号]!",
           .label = "结束IMSI号："}}},
        {.box = "ckbQryRegionCode",
         .caption = "地 区：",
         .editors = {{.name = "cmbQryRegionCode",
                      .kind = CodeListCombo(kRegion),
                      .member = Range::idx_REGION_CODE,
                      .reset = Reset::OperatorsRegion}},
         .onClear = OnClear::Tick,
         .clickSelectsOperatorsRegion = true},
        {.box = "ckbQryProvince",
         .caption = "省份：",
         .editors = {{.name = "cmbQryProvince",
                      .kind = ProvinceCombo(),
                      .member = Range::idx_PROVINCE_CODE,
                      .reset = Reset::FirstItem}},
         .onClear = OnClear::Tick},
    };
    declaration.fields = {
        {"号      群：", "edtMsisdnGrp", TextEdit(7), Range::idx_MSISDN_GROUP, "请输入[号群]!",
         true},
        {"地市：",
         "cmbRegionCode",
         CodeListCombo(kRegion),
         Range::idx_REGION_CODE,
         {},
         true,
         Reset::OperatorsRegion},
        {"省份：",
         "cmbProvince",
         ProvinceCombo(),
         Range::idx_PROVINCE_CODE,
         {},
         true,
         Reset::FirstItem},
        {.label = "开始IMSI号：",
         .name = "edtImsiFirst",
         .kind = TextEdit(20),
         .member = Range::idx_FIRST_IMSI,
         .message = "请输入[开始IMSI号]!",
         .copiesTo = "edtImsiLast"},
        {"结束IMSI号：", "edtImsiLast", TextEdit(20), Range::idx_LAST_IMSI, "请输入[结束IMSI号]!"},
    };
    declaration.columns = {
        {"号群", 100, Range::idx_MSISDN_GROUP},
        {"地市", 100, Range::idx_REGION_CODE, CodeListCombo(kRegion)},
        {"省份代码", 100, Range::idx_PROVINCE_CODE, ProvinceCombo()},
        {"开始IMSI号", 130, Range::idx_FIRST_IMSI},
        {"结束IMSI号", 130, Range::idx_LAST_IMSI},
    };
    declaration.policies.modifySendsClickedKey = true;
    declaration.policies.deleteSends = DeleteSends::ClickedRecord;
    return declaration;
}

// The window of its table's function code.
const TableWindowRegistration<Range, ImsiRangeDeclaration> registration;

} // namespace
