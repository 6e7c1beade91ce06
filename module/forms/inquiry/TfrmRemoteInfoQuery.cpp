#include "TfrmRemoteInfoQuery.h"

#include "CAutoLookup.h"
#include "cut_notice.h"
#include "record_access.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace inquiry;

namespace {

// End minus begin of a span of operation dates, at most a year of 366 days.
constexpr std::int64_t kMaxSpanSeconds = 31622400;
constexpr int kCriteriaPerRow = 3;

QString textOf(QWidget* editor)
{
    if (auto* edit = qobject_cast<QLineEdit*>(editor))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        return combo->currentText();
    return {};
}

void focusIfPossible(QWidget* editor)
{
    if (editor != nullptr && editor->isEnabled() && editor->focusPolicy() != Qt::NoFocus)
        editor->setFocus();
}

} // namespace

TfrmRemoteInfoQuery::TfrmRemoteInfoQuery(QWidget* owner) : TfrmRemoteSimBase(owner)
{
    setCaption("远程写卡信息查询");
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
    QObject::connect(Named<QPushButton>("btnQuery"), &QPushButton::clicked, this,
                     [this] { btnQueryClick(); });
    QObject::connect(Named<QPushButton>("btnClear"), &QPushButton::clicked, this,
                     [this] { btnClearClick(); });
    QObject::connect(Named<QPushButton>("btnClose"), &QPushButton::clicked, this,
                     [this] { btnCloseClick(); });
    QObject::connect(Named<QPushButton>("btnQryMsisdn"), &QPushButton::clicked, this,
                     [this] { btnQryMsisdnClick(); });
    QObject::connect(Named<QPushButton>("btnClearMsisdn"), &QPushButton::clicked, this,
                     [this] { btnClearMsisdnClick(); });
    QObject::connect(Named<QPushButton>("btnCloseMsisdnSeg"), &QPushButton::clicked, this,
                     [this] { btnCloseMsisdnSegClick(); });
    QObject::connect(Named<QPushButton>("btnQryPsIMSI"), &QPushButton::clicked, this,
                     [this] { btnQryPsIMSIClick(); });
    QObject::connect(Named<QPushButton>("btnClearIMSI"), &QPushButton::clicked, this,
                     [this] { btnClearIMSIClick(); });
    QObject::connect(Named<QPushButton>("btnCloseIMSI"), &QPushButton::clicked, this,
                     [this] { btnCloseIMSIClick(); });
}

TfrmRemoteInfoQuery::~TfrmRemoteInfoQuery() = default;

QWidget* TfrmRemoteInfoQuery::BuildPage(PageView& view)
{
    auto* page = new QWidget(pgctrlQrySimInfo);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(BuildCriteria(view, page));

    auto* listGroup = MakeGroupBox(page, "数据列表");
    auto* listLayout = new QVBoxLayout(listGroup);
    view.list = new TListViewEx(listGroup);
    view.list->setObjectName(QString::fromUtf8(view.page->list));
    std::vector<std::pair<QString, int>> columns;
    for (const auto& column : view.page->columns)
        columns.emplace_back(QString::fromUtf8(column.caption), column.width);
    view.list->setColumns(columns);
    listLayout->addWidget(view.list);
    layout->addWidget(listGroup, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (auto [name, caption] :
         {std::pair{view.page->clearButton, "清空"}, {view.page->closeButton, "关闭"}}) {
        auto* button = new QPushButton(QString::fromUtf8(caption), page);
        button->setObjectName(QString::fromUtf8(name));
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    return page;
}

QWidget* TfrmRemoteInfoQuery::BuildCriteria(PageView& view, QWidget* parent)
{
    auto* group = MakeGroupBox(parent, "查询条件");
    auto* grid = new QGridLayout(group);
    int position = 0;
    for (const auto& criterion : view.page->criteria) {
        auto* cell = new QHBoxLayout;
        auto* box = new QCheckBox(QString::fromUtf8(criterion.caption), group);
        box->setObjectName(QString::fromUtf8(criterion.box));
        box->setChecked(true);
        cell->addWidget(box);
        cell->addWidget(BuildEditor(criterion, group), 1);
        if (criterion.kind == Editor::DateSpan) {
            cell->addWidget(new QLabel("至", group));
            cell->addWidget(DayPicker(group, QString::fromUtf8(criterion.endEditor)), 1);
        }
        const int span = criterion.kind == Editor::DateSpan ? 2 : 1;
        if (position % kCriteriaPerRow + span > kCriteriaPerRow)
            position += kCriteriaPerRow - position % kCriteriaPerRow;
        grid->addLayout(cell, position / kCriteriaPerRow, position % kCriteriaPerRow, 1, span);
        position += span;
        view.boxes.push_back(box);
        QObject::connect(box, &QCheckBox::toggled, this,
                         [this, &criterion](bool ticked) { CriterionClicked(criterion, ticked); });
    }
    auto* query = new QPushButton("查询", group);
    query->setObjectName(QString::fromUtf8(view.page->queryButton));
    grid->addWidget(query, 0, kCriteriaPerRow, Qt::AlignRight);
    grid->setColumnStretch(kCriteriaPerRow, 1);
    return group;
}

QWidget* TfrmRemoteInfoQuery::BuildEditor(const Criterion& criterion, QWidget* parent)
{
    const QString name = QString::fromUtf8(criterion.editor);
    switch (criterion.kind) {
    case Editor::Edit: return rsimform::TextEdit(criterion.maxLength)->Create(parent, name);
    case Editor::DateSpan: return DayPicker(parent, name);
    case Editor::Combo: break;
    }
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    return combo;
}

QWidget* TfrmRemoteInfoQuery::DayPicker(QWidget* parent, const QString& name)
{
    auto* picker = static_cast<TFlatDateTimePicker*>(rsimform::DatePicker()->Create(parent, name));
    picker->setDisplayFormat("yyyy/MM/dd");
    return picker;
}

bool TfrmRemoteInfoQuery::InitForm(int reserved, const MSysmgntDef::SOperator* op)
{
    try {
        remoteSim_.Init(reserved, op->REGION_CODE, op->COUNTY_CODE, op->ORG_ID, op->OP_ID);
        if (!sysMgnt_.Init(reserved, op->REGION_CODE, op->COUNTY_CODE, op->ORG_ID, op->OP_ID))
            ShowGUIMessage("异常：初始化系统管理接口失败！\n[%s]\n[%s]!", "异常",
                           MB_ICONINFORMATION, sysMgnt_.LastError().message.c_str(),
                           sysMgnt_.LastError().hint.c_str());
        CAccountPublic account;
        if (!account.Initialize(0, remoteSim_.GetRegionCode(), remoteSim_.GetCountyCode(),
                                remoteSim_.GetOrgId(), remoteSim_.GetOpId()))
            throw CGUIException(rsimform::kResourceLibrary, rsimform::kInitFailedString);
        PrepareLists(account);
        return true;
    } catch (const CGUIException& e) {
        ShowException(e);
        return false;
    }
}

void TfrmRemoteInfoQuery::PrepareLists(CAccountPublic& account)
{
    for (int lookup = Regions; lookup < LookupCount; ++lookup)
        if (!account.GetBaseTypeList(kLookupCategories[lookup], lookups_[lookup]))
            throw CGUIException(account.LastError());
    lookups_[CardFlag] =
        std::make_unique<CAutoLookup>(std::vector<TCNameCodeInfo>{{0, "否"}, {1, "是"}});
    lookups_[CardFlag]->FillComboBox(Named<QComboBox>("cmbCardFlag"));
    btnClearClick();
    btnClearMsisdnClick();
    btnClearIMSIClick();
}

void TfrmRemoteInfoQuery::CriterionClicked(const Criterion& criterion, bool ticked)
{
    for (const char* name : {criterion.editor, criterion.endEditor}) {
        if (*name != '\0')
            ticked ? MakeDefault(Named<QWidget>(name)) : MakeReadOnly(Named<QWidget>(name));
    }
    if (*criterion.linkedBox != '\0')
        Named<QCheckBox>(criterion.linkedBox)->setChecked(ticked);
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

void TfrmRemoteInfoQuery::Clear(PageView& view)
{
    if (view.page->clearEmptiesList) {
        view.result->resize(0);
        view.list->clear();
        rsimform::NoteCutList(view.list, 0);
    }
    for (std::size_t i = 0; i < view.page->criteria.size(); ++i) {
        const Criterion& criterion = view.page->criteria[i];
        view.boxes[i]->setChecked(false);
        switch (criterion.kind) {
        case Editor::Edit: Named<QLineEdit>(criterion.editor)->clear(); break;
        case Editor::Combo: {
            auto* combo = Named<QComboBox>(criterion.editor);
            if (criterion.reset == ComboReset::FirstItem) {
                combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
                break;
            }
            combo->clear();
            lookups_[criterion.lookup]->FillComboBox(combo);
            PostionComboBoxItem(combo,
                                lookups_[criterion.lookup]->ItemOfCode(remoteSim_.GetRegionCode()));
            break;
        }
        case Editor::DateSpan: {
            const double today = Today().toTDateTime();
            Named<TFlatDateTimePicker>(criterion.editor)->setDateTime(today);
            Named<TFlatDateTimePicker>(criterion.endEditor)->setDateTime(today);
            break;
        }
        }
    }
}

void TfrmRemoteInfoQuery::Query(PageView& view)
{
    const Page& page = *view.page;
    if (!CheckCriteria(view))
        return;
    view.result->resize(0);
    view.list->clear();
    rsimform::NoteCutList(view.list, 0);
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
    FillList(view);
}

bool TfrmRemoteInfoQuery::CheckCriteria(PageView& view)
{
    const auto sample = view.page->query.criteriaType->createRecord();
    for (std::size_t i = 0; i < view.page->criteria.size(); ++i) {
        const Criterion& criterion = view.page->criteria[i];
        if (!view.boxes[i]->isChecked() || criterion.kind == Editor::DateSpan)
            continue;
        QWidget* editor = Named<QWidget>(criterion.editor);
        const QString text = textOf(editor).trimmed();
        bool number = true;
        if (!text.isEmpty() && !rsimform::isTextMember(*sample, criterion.member))
            text.toLongLong(&number);
        if (!text.isEmpty() && number)
            continue;
        const QString message =
            text.isEmpty()
                ? QString::fromUtf8(criterion.message)
                : QString("[%1]必须是整数，请重新输入!")
                      .arg(QString::fromStdString(CResRemoteSim::ExtractCode(criterion.message)));
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
    focusIfPossible(Named<QWidget>("dtpEndOperDate"));
    return false;
}

void TfrmRemoteInfoQuery::ScopeLogQuery(CTvdBasicStructObject& criteria) const
{
    auto& in = static_cast<MResRemoteMgntDef::SQryRemoteSimLogIn&>(criteria);
    in.set_REGION_CODE(static_cast<std::int16_t>(remoteSim_.GetRegionCode()));
    in.set_OP_ID(remoteSim_.GetOpId());
    if (Named<QCheckBox>("chkOperDate")->isChecked()) {
        in.set_BEGIN_OP_TIME(DayEdge("dtpBgnOperDate", false));
        in.set_END_OP_TIME(DayEdge("dtpEndOperDate", true));
    }
}

void TfrmRemoteInfoQuery::ReadCriteria(const PageView& view, CTvdBasicStructObject& criteria) const
{
    for (std::size_t i = 0; i < view.page->criteria.size(); ++i) {
        const Criterion& criterion = view.page->criteria[i];
        if (!view.boxes[i]->isChecked())
            continue;
        if (criterion.kind == Editor::Combo) {
            const auto code = lookups_[criterion.lookup]->CodeOfItem(
                textOf(Named<QWidget>(criterion.editor)).toStdString());
            rsimform::setMemberText(criteria, criterion.member, QString::number(code));
        } else if (criterion.kind == Editor::Edit) {
            const QString text = Named<QLineEdit>(criterion.editor)->text();
            if (rsimform::isTextMember(criteria, criterion.member))
                rsimform::setMemberText(criteria, criterion.member, text);
            else
                rsimform::setMemberInteger(criteria, criterion.member, text.trimmed().toLongLong());
        }
    }
}

void TfrmRemoteInfoQuery::FillList(PageView& view)
{
    view.list->beginUpdate();
    for (int i = 0; i < view.result->count(); ++i) {
        const CTvdBasicStructObject& record = view.result->element(i);
        QStringList cells;
        for (const auto& column : view.page->columns)
            cells << CellText(record, column);
        const QString caption = cells.takeFirst();
        view.list->addRow(caption, cells, i);
    }
    view.list->endUpdate();
    rsimform::NoteCutList(view.list, view.result->count());
}

QString TfrmRemoteInfoQuery::CellText(const CTvdBasicStructObject& record,
                                      const Column& column) const
{
    if (column.shown == Shown::AsIs)
        return rsimform::memberText(record, column.member);
    std::int64_t code = 0;
    if (rsimform::isTextMember(record, column.member)) {
        const QString text = rsimform::memberText(record, column.member);
        bool number = false;
        code = text.toLongLong(&number);
        if (!number)
            return text;
    } else {
        code = rsimform::memberInteger(record, column.member);
    }
    return QString::fromUtf8(lookups_[column.lookup]->ItemOfCode(code));
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
    const QDate day = Named<TFlatDateTimePicker>(picker)->date();
    return last ? CBSDateTime(day.year(), day.month(), day.day(), 23, 59, 59)
                : CBSDateTime(day.year(), day.month(), day.day(), 0, 0, 0);
}
