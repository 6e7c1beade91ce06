// The host's menu configuration: the module's business functions, in menu order.
#pragma once

#include <QString>

#include <vector>

struct BusinessFunction {
    int code;
    QString caption;
};

const std::vector<BusinessFunction>& BusinessFunctions();
// The caption of a function code of the menu; empty for a code that is not there.
QString BusinessFunctionCaption(int code);
