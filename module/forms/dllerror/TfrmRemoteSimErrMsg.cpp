// The error codes of the vendors' card-writing libraries, with the text shown for each.
#include "maintenance_form.h"

using namespace rsimform;
using ErrMsg = MResRemoteMgntDef::SResRemoteDllErrMsg;

namespace {

WindowDeclaration ErrMsgDeclaration()
{
    WindowDeclaration declaration = InPlaceEditing(TableWindow<ErrMsg>());
    declaration.serviceLists = {&Vendors(), &CardTypes()};
    declaration.criteria = {
        TickedByClear({"chkVendor",
                       "SIM卡商 ：",
                       {{"cmbVendor", ServiceCombo(Vendors()), ErrMsg::idx_VENDOR_CODE,
                         "请选择[SIM卡商]!"}}}),
        TickedByClear({"chkCardType",
                       "卡 类 型：",
                       {{"cmbCardType", ServiceCombo(CardTypes()), ErrMsg::idx_CARD_TYPE,
                         "请选择[卡类型]!"}}}),
        {"chkDLLName",
         "组件文件名：",
         {{"edDLLName", TextEdit(32), ErrMsg::idx_DLL_NAME, "请输入[组件文件名]!"}}},
        {"chkErrorCode",
         "错误代码：",
         {{"edErrorCode", TextEdit(32), ErrMsg::idx_ERR_CODE, "请输入[错误代码]!"}}},
        {"chkErrorMsg",
         "错误信息：",
         {{"edErrorMsg", TextEdit(20), ErrMsg::idx_ERR_MESSAGE, "请输入[错误信息]!"}}},
    };
    declaration.fields = {
        {"SIM卡商 ：", "cmb_Vendor", ServiceCombo(Vendors()), ErrMsg::idx_VENDOR_CODE, {}, true},
        {"卡 类 型：", "cmbCard_Type", ServiceCombo(CardTypes()), ErrMsg::idx_CARD_TYPE, {}, true},
        {"组件文件名：", "edDLL_Name", TextEdit(32), ErrMsg::idx_DLL_NAME, {}, true},
        {"错误代码：", "edError_Code", TextEdit(32), ErrMsg::idx_ERR_CODE, {}, true},
        {"错误信息：", "edError_Msg", TextEdit(20), ErrMsg::idx_ERR_MESSAGE},
    };
    declaration.checks = {
        {"cmb_Vendor", "[SIM卡商]不能为空，请选择!"},
        {"cmbCard_Type", "[卡类型]不能为空，请选择!"},
        {"edError_Code", "[错误代码]不能为空，请输入!"},
        {"edDLL_Name", "[组件文件名]不能为空，请输入!"},
        {"edError_Msg", "[错误信息]不能为空，请输入!"},
    };
    declaration.columns = {
        {"SIM卡商", 100, ErrMsg::idx_VENDOR_CODE, ServiceCombo(Vendors())},
        {"卡类型", 100, ErrMsg::idx_CARD_TYPE, ServiceCombo(CardTypes())},
        {"组件文件名", 100, ErrMsg::idx_DLL_NAME},
        {"错误代码", 100, ErrMsg::idx_ERR_CODE},
        {"错误信息", 100, ErrMsg::idx_ERR_MESSAGE},
    };
    declaration.modifyRefreshes = {3, 4};
    declaration.texts.addOk = "提示：信息新增成功!";
    return declaration;
}

// The window of its table's function code.
const TableWindowRegistration<ErrMsg, ErrMsgDeclaration> registration;

} // namespace
