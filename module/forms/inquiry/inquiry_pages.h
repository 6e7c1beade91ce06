// The three pages of the inquiry window as data: criteria, columns, operation and texts.
#pragma once

#include "maintenance_form.h"

#include <vector>

namespace inquiry {

// The account library's code lists of the window, loaded in this order when it opens: regions,
// counties (loaded, not shown), business halls and operators.
constexpr int kRegions = rsimcatalog::Regions, kCounties = rsimcatalog::Counties,
              kOrgs = rsimcatalog::BusinessHalls, kOperators = rsimcatalog::Operators;
constexpr int kCodeLists[] = {kRegions, kCounties, kOrgs, kOperators};

struct Criterion {
    const char* box;
    const char* caption;
    const char* editor;
    rsimform::Kind kind;
    int member = -1;          // none: the page reads the criterion itself (the log's date span)
    const char* message = ""; // when ticked and empty; empty: not checked
    // What Clear selects in a combo box: its first item, or the operator's region after a refill.
    rsimform::Reset reset = rsimform::Reset::Default;
    const char* endEditor = ""; // a span's second editor, of the same kind
    const char* linkedBox = ""; // ticks and unticks together with this box
};

struct Page {
    const char* title;
    std::vector<Criterion> criteria;
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
