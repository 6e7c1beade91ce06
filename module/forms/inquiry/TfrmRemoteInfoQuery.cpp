#include "TfrmRemoteInfoQuery.h"

#include "cut_notice.h"
#include "form_registry.h"
#include "record_access.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace inquiry;
using namespace rsimform;

namespace {

// End minus begin of a span of operation dates, at most a year of 366 days.
constexpr std::int64_t kMaxSpanSeconds = 31622400;
constexpr int kCriteriaPerRow = 3;

void focusIfPossible(QWidget* editor)
{
    if (editor != nullptr && editor->isEnabled() && editor->focusPolicy() != Qt::NoFocus)
        editor->setFocus();
}

// The window of the inquiry function, whose catalog row is the write log's: it maintains no
// table.
const rsimform::FormRegistration<TfrmRemoteInfoQuery>
    registration(rsimcatalog::TableOf<MResRemoteMgntDef::SRemoteSimLog>().functionCode);

} // namespace

TfrmRemoteInfoQuery::TfrmRemoteInfoQuery(QWidget* owner)
    : TfrmRemoteSimBase(owner, {},
                        {.waitBox = false, .sysMgntRequired = false, .checkRights = false})
{
    setCaption(CaptionOf<MResRemoteMgntDef::SRemoteSimLog>());
    setFont(FormFont());
    resize(1060, 560);
    auto* layout = new QVBoxLayout(this);
    pgctrlQrySimInfo = new QTabWidget(this);
    pgctrlQrySimInfo->setObjectName("pgctrlQrySimInfo");
    layout->addWidget(pgctrlQrySimInfo);
    for (std::size_t i = 0; i < views_.size(); ++i) {
        views_[i].page = &Pages()[i];
        views_[i].result = Pages()[i].query.listType->createList();
        pgctrlQrySimInfo->addTab(BuildPage(views_[i]), QString::fromUtf8(Pages()[i].title));
    }
    pgctrlQrySimInfo->setCurrentIndex(SegmentPage);
    // It publishes the list and query of the page it opens on; it has no writes.
    names_ = {.list = Pages()[SegmentPage].list,
              .query = Pages()[SegmentPage].queryButton,
              .modify = {},
              .remove = {}};
}

TfrmRemoteInfoQuery::~TfrmRemoteInfoQuery() = default;

QWidget* TfrmRemoteInfoQuery::BuildPage(PageView& view)
{
    auto* page = new QWidget(pgctrlQrySimInfo);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(BuildCriteria(view, page));
    view.rows = new RecordRows(view.page->columns, *this, page);
    view.list = AddListArea(layout, page, QString::fromUtf8(view.page->list), view.page->columns,
                            view.rows);
    layout->addLayout(ButtonRow(
        nullptr, {NewButton(page, view.page->clearButton, "清空", [this, &view] { Clear(view); }),
                  NewButton(page, view.page->closeButton, "关闭", [this] { Close(); })}));
    return page;
}

QWidget* TfrmRemoteInfoQuery::BuildCriteria(PageView& view, QWidget* parent)
{
    auto* group = MakeGroupBox(parent, "查询条件");
    auto* grid = new QGridLayout(group);
    int position = 0;
    for (const auto& criterion : view.page->criteria) {
        auto* cell = new QHBoxLayout;
        auto* box = new QCheckBox(criterion.caption, group);
        box->setObjectName(criterion.box);
        box->setChecked(true);
        cell->addWidget(box);
        for (const EditorDeclaration& editor : criterion.editors) {
            if (!editor.label.isEmpty())
                cell->addWidget(new QLabel(editor.label, group));
            cell->addWidget(editor.kind->Create(group, editor.name), 1);
        }
        const bool span = criterion.editors.size() > 1;
        const int width = span ? 2 : 1;
        if (position % kCriteriaPerRow + width > kCriteriaPerRow)
            position += kCriteriaPerRow - position % kCriteriaPerRow;
        grid->addLayout(cell, position / kCriteriaPerRow, position % kCriteriaPerRow, 1, width);
        position += width;
        view.boxes.push_back(box);
        QObject::connect(box, &QCheckBox::toggled, this,
                         [this, &criterion](bool ticked) { CriterionClicked(criterion, ticked); });
    }
    auto* query = NewButton(group, view.page->queryButton, "查询", [this, &view] { Query(view); });
    grid->addWidget(query, 0, kCriteriaPerRow, Qt::AlignRight);
    grid->setColumnStretch(kCriteriaPerRow, 1);
    return group;
}

void TfrmRemoteInfoQuery::Prepare()
{
    for (int category : kCodeLists)
        CodeList(category);
    for (const PageView& view : views_) {
        for (const CriterionDeclaration& criterion : view.page->criteria)
            for (const EditorDeclaration& editor : criterion.editors) {
                editor.kind->Load(*this);
                editor.kind->Fill(Control(editor.name), *this);
            }
        for (const ColumnDeclaration& column : view.page->columns)
            if (column.shownAs)
                column.shownAs->Load(*this);
    }
    btnClearClick();
    btnClearMsisdnClick();
    btnClearIMSIClick();
}

void TfrmRemoteInfoQuery::CriterionClicked(const CriterionDeclaration& criterion, bool ticked)
{
    for (const EditorDeclaration& editor : criterion.editors)
        ticked ? MakeDefault(Control(editor.name)) : MakeReadOnly(Control(editor.name));
    if (!criterion.linkedBox.isEmpty())
        Control<QCheckBox>(criterion.linkedBox)->setChecked(ticked);
}

void TfrmRemoteInfoQuery::btnClearClick()
{
    Clear(views_[LogPage]);
}
void TfrmRemoteInfoQuery::btnClearMsisdnClick()
{
    Clear(views_[SegmentPage]);
}
void TfrmRemoteInfoQuery::btnClearIMSIClick()
{
    Clear(views_[ImsiPage]);
}
void TfrmRemoteInfoQuery::btnQueryClick()
{
    Query(views_[LogPage]);
}
void TfrmRemoteInfoQuery::btnQryMsisdnClick()
{
    Query(views_[SegmentPage]);
}
void TfrmRemoteInfoQuery::btnQryPsIMSIClick()
{
    Query(views_[ImsiPage]);
}

// A span's two pickers show today; a combo box's declared reset is refilled first when it
// selects the operator's region.
void TfrmRemoteInfoQuery::Clear(PageView& view)
{
    if (view.page->clearEmptiesList) {
        view.rows->Show(nullptr);
        view.result->resize(0);
        NoteCutList(view.list, 0);
    }
    for (std::size_t i = 0; i < view.page->criteria.size(); ++i) {
        const CriterionDeclaration& criterion = view.page->criteria[i];
        view.boxes[i]->setChecked(false);
        if (criterion.editors.size() > 1) {
            const double today = Today().toTDateTime();
            for (const EditorDeclaration& picker : criterion.editors)
                Control<TFlatDateTimePicker>(picker.name)->setDateTime(today);
            continue;
        }
        const EditorDeclaration& declared = criterion.editors.front();
        QWidget* editor = Control(declared.name);
        declared.kind->Empty(editor);
        if (declared.reset == Reset::OperatorsRegion)
            declared.kind->Fill(editor, *this);
        ResetControl(editor, declared.kind, declared.member, declared.reset,
                     remoteSim_.GetRegionCode(), *view.page->query.criteriaType, *this);
    }
}

void TfrmRemoteInfoQuery::Query(PageView& view)
{
    const Page& page = *view.page;
    if (!CheckCriteria(view))
        return;
    view.rows->Show(nullptr);
    view.result->resize(0);
    NoteCutList(view.list, 0);
    ShowWaitBox(page.waitText);
    const bool log = &view == &views_[LogPage];
    if (log && !CheckLogSpan())
        return;
    auto criteria = page.query.criteriaType->createRecord();
    if (log)
        ScopeLogQuery(*criteria);
    ReadCriteria(view, *criteria);
    if (!CallService(page.failureFormat, [&](CBSErrorMsg& error) {
            return page.query.query(remoteSim_, *criteria, *view.result, error);
        }))
        return;
    if (view.result->count() == 0) {
        ShowGUIMessage(page.emptyText, "提示", MB_ICONINFORMATION);
        return;
    }
    view.rows->Show(view.result.get());
    NoteCutList(view.list, view.result->count());
}

bool TfrmRemoteInfoQuery::CheckCriteria(PageView& view)
{
    const auto sample = view.page->query.criteriaType->createRecord();
    for (std::size_t i = 0; i < view.page->criteria.size(); ++i) {
        const EditorDeclaration& declared = view.page->criteria[i].editors.front();
        if (!view.boxes[i]->isChecked() || declared.message.isEmpty())
            continue;
        QWidget* editor = Control(declared.name);
        const QString text = declared.kind->Text(editor).trimmed();
        bool number = true;
        if (!text.isEmpty() && !isTextMember(*sample, declared.member))
            text.toLongLong(&number);
        if (!text.isEmpty() && number)
            continue;
        const QString message =
            text.isEmpty() ? declared.message
                           : QString("[%1]必须是整数，请重新输入!")
                                 .arg(QString::fromStdString(
                                     CResRemoteSim::ExtractCode(declared.message.toStdString())));
        ShowGUIMessage(message.toUtf8().constData(), "提示", 0);
        focusIfPossible(editor);
        return false;
    }
    return true;
}

bool TfrmRemoteInfoQuery::CheckLogSpan()
{
    if (DayEdge("dtpEndOperDate", true) - DayEdge("dtpBgnOperDate", false) <= kMaxSpanSeconds)
        return true;
    CloseWaitBox();
    ShowGUIMessage("提示：对不起!操作日期查询跨度不能超过1年！", "提示", MB_ICONHAND);
    focusIfPossible(Control("dtpEndOperDate"));
    return false;
}

void TfrmRemoteInfoQuery::ScopeLogQuery(CTvdBasicStructObject& criteria) const
{
    auto& in = static_cast<MResRemoteMgntDef::SQryRemoteSimLogIn&>(criteria);
    in.set_REGION_CODE(static_cast<std::int16_t>(remoteSim_.GetRegionCode()));
    in.set_OP_ID(remoteSim_.GetOpId());
    if (Control<QCheckBox>("chkOperDate")->isChecked()) {
        in.set_BEGIN_OP_TIME(DayEdge("dtpBgnOperDate", false));
        in.set_END_OP_TIME(DayEdge("dtpEndOperDate", true));
    }
}

// Texts are sent as typed; a criterion without a member is the page's own to read.
void TfrmRemoteInfoQuery::ReadCriteria(const PageView& view, CTvdBasicStructObject& criteria)
{
    for (std::size_t i = 0; i < view.page->criteria.size(); ++i) {
        const EditorDeclaration& declared = view.page->criteria[i].editors.front();
        if (view.boxes[i]->isChecked() && declared.member >= 0)
            declared.kind->Read(Control(declared.name), criteria, declared.member, *this, false);
    }
}

CBSDateTime TfrmRemoteInfoQuery::Today() const
{
    CBSDateTime today = CBSDateTime::currentDateTime();
    CSysMgntPublic library;
    library.Init(0, 0, 0, 0, 0);
    library.getCurrentDate(today);
    return today;
}

CBSDateTime TfrmRemoteInfoQuery::DayEdge(const char* picker, bool last) const
{
    const QDate day = Control<TFlatDateTimePicker>(picker)->date();
    return last ? CBSDateTime(day.year(), day.month(), day.day(), 23, 59, 59)
                : CBSDateTime(day.year(), day.month(), day.day(), 0, 0, 0);
}
