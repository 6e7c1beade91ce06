// The rights of the authentication cards: which entity of which right type a card serves.
#include "maintenance_form.h"

using namespace rsimform;
using AucRight = MResRemoteMgntDef::SResRemoteSysAuc;

namespace {

constexpr int kRightTypes = rsimcatalog::TableOf<AucRight>().codeListOf(AucRight::idx_ENT_TYPE);

WindowDeclaration AucRoleDeclaration()
{
    WindowDeclaration declaration = InPlaceEditing(TableWindow<AucRight>());
    declaration.codeLists = true;
    declaration.criteria = {
        TickedByClear({"chkEntType",
                       "权 限 类 型：",
                       {{"cmbEntType", CodeListCombo(kRightTypes), AucRight::idx_ENT_TYPE,
                         "请选择[权限类型]!"}}}),
        {"chkEntCode",
         "实体编码：",
         {{"edEntCode",
           TextEdit(6),
           AucRight::idx_ENT_CODE,
           "请输入[实体编码]!",
           {},
           Reset::Default,
           {},
           true}}},
        {"chkEntName",
         "实体名称：",
         {{"edEntName",
           TextEdit(32),
           AucRight::idx_ENT_NAME,
           "请输入[实体名称]!",
           {},
           Reset::Default,
           {},
           true}}},
        {"chkSimSeq",
         "SIM卡序列号：",
         {{"edSimSeq", TextEdit(30), AucRight::idx_SIM_SEQUENCE, "请输入[SIM卡序列号]!"}}},
    };
    declaration.fields = {
        {"权 限 类 型：",
         "cmbEnt_Type",
         CodeListCombo(kRightTypes),
         AucRight::idx_ENT_TYPE,
         {},
         true},
        {"实体编码：", "edEnt_Code", NumberEdit(6), AucRight::idx_ENT_CODE, {}, true},
        {"实体名称：", "edEnt_Name", TextEdit(32), AucRight::idx_ENT_NAME},
        {"SIM卡序列号：", "edSimSequence", TextEdit(30), AucRight::idx_SIM_SEQUENCE, {}, true},
    };
    declaration.checks = {
        {"cmbEnt_Type", "[权限类型]不能为空，请选择!"},
        {"edEnt_Code", "[实体编码]不能为空，请选择!"},
        {"edEnt_Name", "[试题名称]不能为空，请选择!"},
        {"edSimSequence", "[SIM卡序列号]不能为空，请输入!"},
    };
    declaration.columns = {
        {"权限类型", 100, AucRight::idx_ENT_TYPE, CodeListCombo(kRightTypes)},
        {"实体编码", 100, AucRight::idx_ENT_CODE},
        {"实体名称", 100, AucRight::idx_ENT_NAME},
        {"SIM卡序列号", 100, AucRight::idx_SIM_SEQUENCE},
    };
    declaration.modifyRefreshes = {2};
    return declaration;
}

// The window of its table's function code.
const TableWindowRegistration<AucRight, AucRoleDeclaration> registration;

} // namespace
