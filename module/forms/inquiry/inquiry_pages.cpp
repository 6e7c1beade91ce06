#include "inquiry_pages.h"

namespace inquiry {
namespace {

using namespace MResRemoteMgntDef;
using rsimform::CodeListCombo;
using rsimform::Reset;
using rsimform::TextEdit;

// Whether a card carries two numbers: code 0 "否", code 1 "是".
rsimform::Kind CardFlags()
{
    static const rsimform::Kind kind = rsimform::FixedListCombo({{0, "否"}, {1, "是"}});
    return kind;
}

Page logPage()
{
    using In = SQryRemoteSimLogIn;
    using Rec = SRemoteSimLog;
    return {"写卡日志查询",
            {{"chkSoNbr",
              "工  单  号：",
              {{"edSoNbr", TextEdit(6), In::idx_SO_NBR,
                "勾选了[工单号]复选框时必须输入[工单号]，请输入!"}}},
             {"chkSimID",
              "SIM  卡号：",
              {{"edSimID", TextEdit(6), In::idx_SIM_ID,
                "勾选了[SIM卡号]复选框时必须输入[SIM卡号]，请输入!"}}},
             {"chkIMSI",
              "IMSI   号 ：",
              {{"edIMSI", TextEdit(32), In::idx_IMSI,
                "勾选[IMSI号]复选框时必须输入[IMSI号]，请选择!"}}},
             {"chkMainMsisdn",
              "主  号  码：",
              {{"edMainMsisdn", TextEdit(6), In::idx_PHONE1,
                "勾选[主号码]复选框时必须输入[主号码]，请输入!"}}},
             {"chkSubMsisdn",
              "从  号  码：",
              {{"edSubMsisdn", TextEdit(6), In::idx_PHONE2,
                "勾选了[从号码]复选框时必须输入[从号码]，请输入!"}}},
             {"chkCardFlag",
              "一卡双号：",
              {{"cmbCardFlag",
                CardFlags(),
                In::idx_CARD_FLAG,
                "勾选了[一卡双号]复选框时必须选择[一卡双号]，请选择!",
                {},
                Reset::FirstItem}}},
             {"chkOperDate",
              "操作日期：",
              {{"dtpBgnOperDate", rsimform::DatePicker("yyyy/MM/dd")},
               {"dtpEndOperDate", rsimform::DatePicker("yyyy/MM/dd"), -1, {}, "至"}}}},
            "btnQuery",
            "btnClear",
            "btnClose",
            "lstvWriteCardLogShowList",
            {{"工单号", 100, Rec::idx_SO_NBR},
             {"SIM卡号", 100, Rec::idx_SIM_ID},
             {"IMSI号", 100, Rec::idx_IMSI},
             {"主号码", 100, Rec::idx_PHONE1},
             {"从号码", 100, Rec::idx_PHONE2},
             {"操作日期", 100, Rec::idx_OP_TIME},
             {"是否一卡双号", 100, Rec::idx_CARD_FLAG, CardFlags()},
             {"地市", 100, Rec::idx_REGION_CODE, CodeListCombo(kRegions)},
             {"操作员", 100, Rec::idx_OP_ID, CodeListCombo(kOperators)},
             {"备注", 100, Rec::idx_REMARK}},
            rsimform::QueryOnly(&CResRemoteSim::qry_remoteSimLog),
            "正在查询写卡日志信息，请稍后...",
            "异常：调用写卡日志查询接口失败\n[%s]\n[%s]!",
            "提示：没有查到写卡日志信息!",
            true};
}

Page segmentPage()
{
    using In = SQryPsNetNumberIn;
    using Rec = SPsNetNumber;
    return {"开通平台号段查询",
            {{"chkMsisdnSeg",
              "号       段：",
              {{"edMsisdnSeg", TextEdit(6), In::idx_NUMBER_SEGMENT,
                "勾选了[号段]复选框时必须输入[号段]，请输入!"}}},
             {"chkHLRCode",
              "HLR编号：",
              {{"edHLRCode", TextEdit(6), In::idx_PS_NET_CODE,
                "勾选了[HLR编号]复选框时必须输入[HLR编号]，请输入!"}}},
             {"chkRegionCode",
              "地      市：",
              {{"cmbRegionCode",
                CodeListCombo(kRegions),
                In::idx_REGION_CODE,
                "勾选[地市]复选框时必须选择[地市]，请选择!",
                {},
                Reset::OperatorsRegion}}}},
            "btnQryMsisdn",
            "btnClearMsisdn",
            "btnCloseMsisdnSeg",
            "lstvMsisdnSegList",
            {{"号段", 100, Rec::idx_NUMBER_SEGMENT},
             {"HLR编号", 100, Rec::idx_PS_NET_CODE},
             {"地市", 100, Rec::idx_REGION_CODE, CodeListCombo(kRegions)},
             {"营业厅", 100, Rec::idx_ORG_ID, CodeListCombo(kOrgs)},
             {"操作员", 100, Rec::idx_OPER_ID, CodeListCombo(kOperators)},
             {"受理日期", 180, Rec::idx_DONE_DATE},
             {"受理编号", 100, Rec::idx_DONE_CODE},
             {"备注", 100, Rec::idx_REMARK}},
            rsimform::QueryOnly(&CResRemoteSim::qry_psNetNumber),
            "正在查询开通平台号段信息，请稍后...",
            "异常：调用开通平台号段信息查询接口失败\n[%s]\n[%s]!",
            "提示：没有查到开通平台号段信息!",
            false};
}

Page imsiPage()
{
    using In = SQryPsNetImsiIn;
    using Rec = SPsNetImsi;
    return {"开通平台IMSI查询",
            {{.box = "chkBgnIMSI",
              .caption = "开始 IMSI：",
              .editors = {{"edBgnIMSI", TextEdit(6), In::idx_START_IMSI,
                           "勾选了[开始IMSI]复选框时必须输入[开始IMSI]，请输入!"}},
              .linkedBox = "chkEndIMSI"},
             {.box = "chkEndIMSI",
              .caption = "结束 IMSI：",
              .editors = {{"edEndIMSI", TextEdit(6), In::idx_END_IMSI,
                           "勾选了[结束IMSI]复选框时必须输入[结束IMSI]，请输入!"}},
              .linkedBox = "chkBgnIMSI"},
             {"chkHLR_Code",
              "HLR 编号：",
              {{"edHlR_Code", TextEdit(32), In::idx_PS_NET_CODE,
                "勾选了[HLR编号]复选框时必须输入[HLR编号]，请输入!"}}},
             {"chkRegion_Code",
              "地       市：",
              {{"cmbRegion_Code",
                CodeListCombo(kRegions),
                In::idx_REGION_CODE,
                "勾选[地市]复选框时必须选择[地市]，请选择!",
                {},
                Reset::OperatorsRegion}}}},
            "btnQryPsIMSI",
            "btnClearIMSI",
            "btnCloseIMSI",
            "lstvPsIMSIList",
            {{"开始IMSI", 100, Rec::idx_START_IMSI},
             {"结束IMSI", 100, Rec::idx_END_IMSI},
             {"HLR编号", 100, Rec::idx_PS_NET_CODE},
             {"地市", 100, Rec::idx_REGION_CODE, CodeListCombo(kRegions)},
             {"备注", 100, Rec::idx_REMARK}},
            rsimform::QueryOnly(&CResRemoteSim::qry_psNetImsiList),
            "正在查询开通平台IMSI信息，请稍后...",
            "异常：调用开通平台IMSI信息查询接口失败\n[%s]\n[%s]!",
            "提示：没有查到开通平台IMSI信息!",
            false};
}

} // namespace

const std::vector<Page>& Pages()
{
    static const std::vector<Page> pages{logPage(), segmentPage(), imsiPage()};
    return pages;
}

} // namespace inquiry
