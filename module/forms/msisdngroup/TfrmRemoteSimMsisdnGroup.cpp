// MSISDN groups: code, name, region and province of each group.
#include "maintenance_form.h"

using namespace rsimform;
using Group = MResRemoteMgntDef::SResRemoteMsisdnGroup;

namespace {

constexpr int kRegion = rsimcatalog::TableOf<Group>().codeListOf(Group::idx_REGION_CODE);

// Group, region and province are the key: modify sends them from the clicked row with the
// edited name, delete sends only them.
WindowDeclaration GroupDeclaration()
{
    WindowDeclaration declaration = TableWindow<Group>();
    declaration.criteria = {
        {"ckbQryMsisdnGroup",
         "号　　群：",
         {{"edtQryMsisdnGroup", TextEdit(7), Group::idx_MSISDN_GROUP, "请输入查询条件[号群]!"}}},
        {"ckbQryMsisdnName",
         "号群名称：",
         {{"edtQryMsisdnName", TextEdit(20), Group::idx_MSISDN_NAME, "请输入查询条件[号群名称]!"}}},
        {.box = "ckbQryRegionCode",
         .caption = "地    区：",
         .editors = {{.name = "cmbQryRegionCode",
                      .kind = CodeListCombo(kRegion),
                      .member = Group::idx_REGION_CODE,
                      .reset = Reset::OperatorsRegion}},
         .clickSelectsOperatorsRegion = true},
        {"ckbQryProvince",
         "省    份：",
         {{.name = "cmbQryProvince",
           .kind = ProvinceCombo(),
           .member = Group::idx_PROVINCE_CODE,
           .reset = Reset::FirstItem}}},
    };
    declaration.fields = {
        {"号　　群：", "edtMsisdnGroup", TextEdit(7), Group::idx_MSISDN_GROUP, "请输入[号群]!",
         true},
        {"号群名称：", "edtMsisdnName", TextEdit(20), Group::idx_MSISDN_NAME, "请输入[号群名称]!"},
        {"地　　市：",
         "cmbRegionCode",
         CodeListCombo(kRegion),
         Group::idx_REGION_CODE,
         {},
         true,
         Reset::OperatorsRegion},
        {"省　　份：",
         "cmbProvince",
         ProvinceCombo(),
         Group::idx_PROVINCE_CODE,
         {},
         true,
         Reset::FirstItem},
    };
    declaration.columns = {
        {"号群", 100, Group::idx_MSISDN_GROUP},
        {"号群名称", 100, Group::idx_MSISDN_NAME},
        {"地市", 100, Group::idx_REGION_CODE, CodeListCombo(kRegion)},
        {"省份", 100, Group::idx_PROVINCE_CODE, ProvinceCombo()},
    };
    declaration.texts.addOk = "提示：新增信息成功!";
    declaration.policies.modifySendsClickedKey = true;
    declaration.policies.deleteSends = DeleteSends::ClickedKey;
    return declaration;
}

// The group window, whose Clear of the edit area also selects the first province of the
// criteria.
class TfrmRemoteSimMsisdnGroup : public TfrmMaintenance {
public:
    using TfrmMaintenance::TfrmMaintenance;

    void btnClearBaseClick() override
    {
        auto* provinces = findChild<QComboBox*>("cmbQryProvince");
        provinces->setCurrentIndex(provinces->count() > 0 ? 0 : -1);
        TfrmMaintenance::btnClearBaseClick();
    }
};

// The window of its table's function code.
const TableWindowRegistration<Group, GroupDeclaration, TfrmRemoteSimMsisdnGroup> registration;

} // namespace
