// Card vendors: code, name and whether the vendor's cards use KI encryption.
#include "maintenance_form.h"

using namespace rsimform;
using Vendor = MResRemoteMgntDef::SResRemoteVendorCode;

namespace {

constexpr int kKiEncrypted = rsimcatalog::TableOf<Vendor>().codeListOf(Vendor::idx_IS_KI);

// Clear leaves the KI criterion as it is: ticked in the layout, every query sends IS_KI until
// the user unticks it. The vendor messages name the card type, as the window always has.
WindowDeclaration VendorDeclaration()
{
    WindowDeclaration declaration = TableWindow<Vendor>();
    declaration.criteria = {
        {"ckbQryVendorCode",
         "卡商代码：",
         {{"edtQryVendorCode", TextEdit(4), Vendor::idx_VENDOR_CODE,
           "请输入查询条件[卡类型代码]!"}}},
        {"ckbQryVendorName",
         "卡商名称：",
         {{"edtQryVendorName", TextEdit(20), Vendor::idx_VENDOR_NAME,
           "请输入查询条件[卡类型名称]!"}}},
        {.box = "chkIsKI",
         .caption = "是否KI加密：",
         .editors = {{"cmbQryIsKI", CodeListCombo(kKiEncrypted), Vendor::idx_IS_KI}},
         .onClear = OnClear::Keep},
    };
    declaration.fields = {
        {"卡商代码：", "edtVendorCode", TextEdit(4), Vendor::idx_VENDOR_CODE, "请输入[卡类型代码]!",
         true},
        {"卡商名称：", "edtVendorName", TextEdit(20), Vendor::idx_VENDOR_NAME,
         "请输入[卡类型名称]!"},
        {"是否IK加密：", "cmbEditIsKI", CodeListCombo(kKiEncrypted), Vendor::idx_IS_KI},
    };
    declaration.columns = {
        {"卡商代码", 100, Vendor::idx_VENDOR_CODE},
        {"卡商名称", 100, Vendor::idx_VENDOR_NAME},
        {"是否KI加密", 100, Vendor::idx_IS_KI, CodeListCombo(kKiEncrypted)},
    };
    return declaration;
}

// The window of its table's function code.
const TableWindowRegistration<Vendor, VendorDeclaration> registration;

} // namespace
