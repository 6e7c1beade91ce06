// The three pages of the inquiry window as data: criteria, columns, operation and texts.
#pragma once

#include "window_declaration.h"

#include <vector>

namespace inquiry {

// The account library's code lists of the window, loaded in this order when it opens: regions,
// counties (loaded, not shown), business halls and operators.
constexpr int kRegions = rsimcatalog::Regions, kCounties = rsimcatalog::Counties,
              kOrgs = rsimcatalog::BusinessHalls, kOperators = rsimcatalog::Operators;
constexpr int kCodeLists[] = {kRegions, kCounties, kOrgs, kOperators};

struct Page {
    const char* title;
    // A criterion without a member is the page's own to read (the log's date span); a span's
    // two editors stand under one box; a combo box that Clear selects the operator's region in
    // is refilled first.
    std::vector<rsimform::CriterionDeclaration> criteria;
    const char* queryButton;
    const char* clearButton;
    const char* closeButton;
    const char* list;
    std::vector<rsimform::ColumnDeclaration> columns;
    rsimform::Operations query; // query only
    const char* waitText;
    const char* failureFormat; // message and hint of the error
    const char* emptyText;
    bool clearEmptiesList; // else Clear keeps the rows
};

enum PageIndex { LogPage, SegmentPage, ImsiPage };
// In the order of the page control.
const std::vector<Page>& Pages();

} // namespace inquiry
