// The read-only inquiry window: the remote card-writing log, and the number segments and IMSI
// ranges of the provisioning platform, one page each. Nothing is added, changed or deleted.
#pragma once

#include "form_base.h"
#include "inquiry_pages.h"
#include "record_rows.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>

#include <array>
#include <memory>
#include <vector>

class TfrmRemoteInfoQuery : public TfrmRemoteSimBase {
public:
    explicit TfrmRemoteInfoQuery(QWidget* owner);
    ~TfrmRemoteInfoQuery() override;

    // The write-log page.
    void btnQueryClick();
    void btnClearClick();
    // The number-segment page.
    void btnQryMsisdnClick();
    void btnClearMsisdnClick();
    // The IMSI-range page.
    void btnQryPsIMSIClick();
    void btnClearIMSIClick();

protected:
    // The code lists, the combo boxes' items, the Clear of every page.
    void Prepare() override;

private:
    struct PageView {
        const inquiry::Page* page = nullptr;
        std::vector<QCheckBox*> boxes; // one per criterion, in declaration order
        TListViewEx* list = nullptr;
        rsimform::RecordRows* rows = nullptr; // what list shows: the records of result
        std::unique_ptr<CTvdBasicListObject> result;
    };

    QWidget* BuildPage(PageView& view);
    QWidget* BuildCriteria(PageView& view, QWidget* parent);
    void CriterionClicked(const rsimform::CriterionDeclaration& criterion, bool ticked);

    void Clear(PageView& view);
    void Query(PageView& view);
    // The first ticked criterion whose editor is empty or not a number its member takes: its
    // message is shown and its editor focused.
    bool CheckCriteria(PageView& view);
    // The log page's span check; false (the wait box closed, the message shown) when over a year.
    bool CheckLogSpan();
    // The log page's query always carries the operator's region and id and the span's two ends.
    void ScopeLogQuery(CTvdBasicStructObject& criteria) const;
    void ReadCriteria(const PageView& view, CTvdBasicStructObject& criteria);
    CBSDateTime Today() const;
    CBSDateTime DayEdge(const char* picker, bool last) const;

    QTabWidget* pgctrlQrySimInfo = nullptr;
    std::array<PageView, 3> views_;
};
