// The three pages of the inquiry window as data: criteria, columns, operation and texts.
#pragma once

#include "maintenance_form.h"

#include <vector>

namespace inquiry {

// The window's five code lists, in the order the preparation step loads them.
enum Lookup { CardFlag, Regions, Counties, Orgs, Operators, LookupCount };
// The account library's categories of the four lists after the card flag.
constexpr int kLookupCategories[LookupCount] = {0, 57, 58, 59, 285};

enum class Editor {
    Edit,     // QLineEdit; an integer member takes the text as a decimal number
    Combo,    // QComboBox of a lookup; the member is the decimal text of the chosen code
    DateSpan, // two date pickers; the member and the one after it take the day's first and last
              // second
};
// What Clear selects in a combo box: its first item, or the operator's region after a refill.
enum class ComboReset { FirstItem, OperatorsRegion };

struct Criterion {
    const char* box;
    const char* caption;
    const char* editor;
    Editor kind = Editor::Edit;
    int maxLength = 0;
    int member = -1;
    const char* message = ""; // when ticked and empty
    Lookup lookup = CardFlag; // of a combo box
    ComboReset reset = ComboReset::FirstItem;
    const char* endEditor = ""; // of a date span
    const char* linkedBox = ""; // ticks and unticks together with this box
};

enum class Shown {
    AsIs,   // text as stored, integers in decimal, dates "%Y/%M/%D %H:%N:%S"
    Lookup, // ItemOfCode of the code; a text that is no decimal integer is shown as it is
};

struct Column {
    const char* caption;
    int width;
    int member;
    Shown shown = Shown::AsIs;
    Lookup lookup = CardFlag;
};

struct Page {
    const char* title;
    std::vector<Criterion> criteria;
    const char* queryButton;
    const char* clearButton;
    const char* closeButton;
    const char* list;
    std::vector<Column> columns;
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
