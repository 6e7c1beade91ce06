#include "business_functions.h"

const std::vector<BusinessFunction>& BusinessFunctions()
{
    static const std::vector<BusinessFunction> functions = {
        {10150173, "远程写卡省份代码维护"},
        {10150174, "远程写卡卡类型维护"},
        {10150175, "远程写卡卡商维护"},
        {10150176, "远程写卡_SIM卡信息维护"},
        {10150177, "远程写卡号群与IMSI关系维护"},
        {10150178, "远程写卡号群与号段关系维护"},
        {10150179, "远程写卡号群维护"},
        {10150182, "远程写卡卡商/卡类型/写卡组件维护"},
        {10150183, "远程写卡错误代码表维护"},
        {10150185, "远程写卡鉴权卡权限信息维护"},
        {10150186, "远程写卡鉴权卡登陆校验信息维护"},
        {10150187, "远程写卡信息查询"},
    };
    return functions;
}

QString BusinessFunctionCaption(int code)
{
    for (const auto& function : BusinessFunctions())
        if (function.code == code)
            return function.caption;
    return {};
}
