// The login check data of the authentication cards: function code, password and status per
// province, vendor, card type and card serial number. Every record the window sends carries the
// operator's own region, county and business hall.
#include "maintenance_form.h"
#include "record_access.h"

using namespace rsimform;
using AucInfo = MResRemoteMgntDef::SResRemoteAucInfo;

namespace {

constexpr int kRegions = rsimcatalog::TableOf<AucInfo>().codeListOf(AucInfo::idx_REGION_CODE);
constexpr int kCounties = rsimcatalog::TableOf<AucInfo>().codeListOf(AucInfo::idx_COUNTY_CODE);
constexpr int kHalls = rsimcatalog::TableOf<AucInfo>().codeListOf(AucInfo::idx_ORG_ID);
constexpr int kOperators = rsimcatalog::TableOf<AucInfo>().codeListOf(AucInfo::idx_OP_ID);
constexpr int kStatuses = rsimcatalog::TableOf<AucInfo>().codeListOf(AucInfo::idx_STS);

WindowDeclaration AucVerifyDeclaration()
{
    WindowDeclaration declaration = InPlaceEditing(TableWindow<AucInfo>());
    declaration.serviceLists = {&Vendors(), &CardTypes(), &Provinces()};
    declaration.codeLists = true;
    declaration.criteria = {
        TickedByClear({"chkVendor",
                       "SIM 卡 商  ：",
                       {{"cmbVendor", ServiceCombo(Vendors()), AucInfo::idx_VENDOR_CODE,
                         "请选择[SIM卡商]!"}}}),
        TickedByClear({"chkCardType",
                       "卡 类 型：",
                       {{"cmbCardType", ServiceCombo(CardTypes()), AucInfo::idx_CARD_TYPE,
                         "请选择[卡类型]!"}}}),
        TickedByClear(
            {"chkProvince",
             "省   份：",
             {{"cmbProvince", ProvinceCombo(), AucInfo::idx_PROVINCE_CODE, "请输入[省份]!"}}}),
        {"chkSimSeq",
         "SIM卡序列号：",
         {{"edSimSeq", TextEdit(20), AucInfo::idx_SIM_SEQUENCE, "请输入[SIM卡序列号]!"}}},
        TickedByClear({"chkSts",
                       "状    态：",
                       {{"cmbSts", CodeListCombo(kStatuses), AucInfo::idx_STS, "请选择[状态]!"}}}),
    };
    declaration.fields = {
        {"SIM 卡 商  ：",
         "cmb_Vendor",
         ServiceCombo(Vendors()),
         AucInfo::idx_VENDOR_CODE,
         {},
         true},
        {"卡 类 型：", "cmbCard_Type", ServiceCombo(CardTypes()), AucInfo::idx_CARD_TYPE, {}, true},
        {"省   份：",
         "cmb_Province",
         ProvinceCombo(),
         AucInfo::idx_PROVINCE_CODE,
         {},
         true,
         Reset::Default,
         {},
         false,
         true},
        {"SIM卡序列号：", "edSimSequence", TextEdit(20), AucInfo::idx_SIM_SEQUENCE, {}, true},
        {"功 能 码：", "edFunctionCode", TextEdit(64), AucInfo::idx_FUNCTION_CODE},
        {"密   码：", "edPwd", TextEdit(64), AucInfo::idx_PWD},
        {"状       态：",
         "cmb_Sts",
         CodeListCombo(kStatuses),
         AucInfo::idx_STS,
         {},
         false,
         Reset::Default,
         {},
         false,
         true},
    };
    declaration.checks = {
        {"cmb_Vendor", "[SIM卡商]不能为空，请选择!"},
        {"cmbCard_Type", "[卡类型]不能为空，请选择!"},
        {"cmb_Province", "[省份]不能为空，请选择!"},
        {"edSimSequence", "[SIM卡序列号]不能为空，请输入!"},
        {"edFunctionCode", "[功能码]不能为空，请输入!"},
        {"edPwd", "[密码]不能为空，请输入!"},
        {"cmb_Sts", "[状态]不能为空，请选择!"},
    };
    declaration.columns = {
        {"SIM卡商", 100, AucInfo::idx_VENDOR_CODE, ServiceCombo(Vendors())},
        {"卡类型", 100, AucInfo::idx_CARD_TYPE, ServiceCombo(CardTypes())},
        {"省份", 100, AucInfo::idx_PROVINCE_CODE, ProvinceCombo()},
        {"SIM卡序列号", 100, AucInfo::idx_SIM_SEQUENCE},
        {"功能码", 100, AucInfo::idx_FUNCTION_CODE},
        {"密码", 100, AucInfo::idx_PWD},
        {"地市", 100, AucInfo::idx_REGION_CODE, CodeListCombo(kRegions)},
        {"县区", 100, AucInfo::idx_COUNTY_CODE, CodeListCombo(kCounties)},
        {"营业厅", 100, AucInfo::idx_ORG_ID, CodeListCombo(kHalls)},
        {"操作员", 100, AucInfo::idx_OP_ID, CodeListCombo(kOperators)},
        {"操作时间", 100, AucInfo::idx_OPER_DATE},
        {"状态", 100, AucInfo::idx_STS, CodeListCombo(kStatuses)},
    };
    declaration.modifyRefreshes = {4, 5, 11};
    return declaration;
}

class TfrmAucVerifyInfo : public TfrmMaintenance {
public:
    using TfrmMaintenance::TfrmMaintenance;

protected:
    void Stamp(CTvdBasicStructObject& record) const override
    {
        setMemberInteger(record, AucInfo::idx_REGION_CODE, remoteSim_.GetRegionCode());
        setMemberInteger(record, AucInfo::idx_COUNTY_CODE, remoteSim_.GetCountyCode());
        setMemberInteger(record, AucInfo::idx_ORG_ID, remoteSim_.GetOrgId());
    }
    // The appended row names the operator as well, though the record sent does not carry it.
    QStringList AppendedCells(CTvdBasicStructObject& sent) override
    {
        AucInfo shown = static_cast<AucInfo&>(sent);
        shown.set_OP_ID(remoteSim_.GetOpId());
        return TfrmMaintenance::AppendedCells(shown);
    }
};

// The window of its table's function code.
const TableWindowRegistration<AucInfo, AucVerifyDeclaration, TfrmAucVerifyInfo> registration;

} // namespace
