// The note beside a result list that the service stopped its answer at the row cap, so that a
// cut list does not look complete. Every window that fills a list from a query calls it.
#pragma once

class TListViewEx;

namespace rsimform {

// Rows a query answers at most unless it asks for a limit of its own.
constexpr int kServiceRowCap = 1000;
constexpr const char* kCutListNotice = "只显示前1000条，请缩小查询条件";

// Shows the note under the list when the answer holds exactly the cap, hides it otherwise. The note
// is a label named after the list ("<list>CutNotice"), put into the list's layout on first use.
void NoteCutList(TListViewEx* list, int answered);

} // namespace rsimform
