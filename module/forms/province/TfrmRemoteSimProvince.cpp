// Province codes: a code and a name per province.
#include "maintenance_form.h"

using namespace rsimform;
using Province = MResRemoteMgntDef::SResRemoteProvCode;

namespace {

WindowDeclaration ProvinceDeclaration()
{
    WindowDeclaration declaration = TableWindow<Province>();
    declaration.criteria = {
        {"ckbQryProvinceCode",
         "省份代码 ：",
         {{"edtQryProvinceCode", TextEdit(4), Province::idx_PROVINCE_CODE,
           "请输入查询条件[省份代码]!"}}},
        {"ckbQryProvinceName",
         "省份名称：",
         {{"edtQryProvinceName", TextEdit(20), Province::idx_PROVINCE_NAME,
           "请输入查询条件[省份名称]!"}}},
    };
    declaration.fields = {
        {"省份代码：", "edtProvinceCode", TextEdit(4), Province::idx_PROVINCE_CODE,
         "请输入[省份代码]!", true},
        {"省份名称：", "edtProvinceName", TextEdit(20), Province::idx_PROVINCE_NAME,
         "请输入[省份名称]!"},
    };
    declaration.columns = {
        {"省份代码", 100, Province::idx_PROVINCE_CODE},
        {"省份名称", 100, Province::idx_PROVINCE_NAME},
    };
    declaration.policies.starsRequired = true;
    return declaration;
}

// The window of its table's function code.
const TableWindowRegistration<Province, ProvinceDeclaration> registration;

} // namespace
