// Card types: code, name, status and whether a card carries two numbers.
#include "maintenance_form.h"

using namespace rsimform;
using Card = MResRemoteMgntDef::SResRemoteCardType;

namespace {

constexpr int kStatus = rsimcatalog::TableOf<Card>().codeListOf(Card::idx_STS);
constexpr int kTwoNumbers = rsimcatalog::TableOf<Card>().codeListOf(Card::idx_IS_DOUBLE);

// The status and two-numbers combos of the criteria are filled but not read by the query.
WindowDeclaration CardTypeDeclaration()
{
    WindowDeclaration declaration = TableWindow<Card>();
    declaration.criteria = {
        {"ckbQryCardType",
         "卡类型代码：",
         {{"edtQryCardType", TextEdit(4), Card::idx_CARD_TYPE, "请输入查询条件[卡类型代码]!"}}},
        {"ckbQryCardName",
         "卡类型名称：",
         {{"edtQryCardName", TextEdit(20), Card::idx_CARD_NAME, "请输入查询条件[卡类型名称]!"}}},
        {{}, "状　　　态：", {{"cmbQrySts", CodeListCombo(kStatus, "[0] 全部")}}},
        {{}, "是否一卡双号：", {{"cmbQryISDouble", CodeListCombo(kTwoNumbers)}}},
    };
    declaration.fields = {
        {"卡类型代码：", "edtCardType", TextEdit(4), Card::idx_CARD_TYPE, "请输入[卡类型代码]!",
         true},
        {"卡 类 型 名 称：", "edtCardName", TextEdit(20), Card::idx_CARD_NAME,
         "请输入[卡类型名称]!"},
        {"状　　　态：", "cmbEditSts", CodeListCombo(kStatus), Card::idx_STS},
        {"是否一卡双号：", "cmbEditIsDouble", CodeListCombo(kTwoNumbers), Card::idx_IS_DOUBLE},
    };
    declaration.columns = {
        {"卡类型代码", 100, Card::idx_CARD_TYPE},
        {"卡类型名称", 100, Card::idx_CARD_NAME},
        {"状态", 100, Card::idx_STS, CodeListCombo(kStatus)},
        {"是否一卡双号", 100, Card::idx_IS_DOUBLE, CodeListCombo(kTwoNumbers)},
    };
    declaration.texts.addOk = "提示：新增信息成功!";
    declaration.texts.deleteOk = "提示:信息删除成功!";
    return declaration;
}

// The window of its table's function code.
const TableWindowRegistration<Card, CardTypeDeclaration> registration;

} // namespace
