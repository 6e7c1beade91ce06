// Import of a card file, removal of a staged row, and the one-call commit.
#include "TfrmRemoteSimInfo.h"

#include "record_access.h"

#include <functional>
#include <utility>
#include <vector>

using namespace MResRemoteMgntDef;

void TfrmRemoteSimInfo::chkImportClick()
{
    lstShowDataList->clear();
    chkImport->isChecked() ? MakeDefault(btnImport) : MakeReadOnly(btnImport);
}

void TfrmRemoteSimInfo::btnImportClick()
{
    pending_ = Pending::Add;
    lstShowDataList->clear();
    result_.clear();
    bool started = false;
    importUtil_.ImportCards(
        CImportUtil::kCardLayout, ".txt",
        [&](int cards) {
            started = true;
            rows_->BeginBatch(cards);
        },
        [&](CardRow& card) { rows_->Append(std::move(card.cells)); });
    if (started)
        rows_->EndBatch();
    lstShowDataList->setColumnWidth(ColUnknown, 0);
    MakeDefault(btnCommit);
}

void TfrmRemoteSimInfo::btnCancelClick()
{
    const int row = lstShowDataList->focusedRow();
    if (row < 0) {
        ShowGUIMessage("对不起!\n[%s!]", "提示", 0, "请选择要取消的数据!");
        return;
    }
    lstShowDataList->removeRow(row);
    btnCancel->setEnabled(false);
}

namespace {

constexpr int kProgressRows = 20000; // a commit of this many cards takes over a second
constexpr int kProgressStep = 10000;

// The staged rows of a commit as the record list it sends, in the order given. Each record is
// made from its row when the encoder reads it, so that a commit of a million cards holds one
// record at a time, not a million. The encoder reads only count() and element().
class StagedCardList : public SRemoteSimInfoList {
public:
    using RecordOf = std::function<SRemoteSimInfo(int row)>;
    using Sent = std::function<void(int records)>;

    StagedCardList(std::vector<int> rows, RecordOf recordOf, Sent sent)
        : rows_(std::move(rows)), recordOf_(std::move(recordOf)), sent_(std::move(sent))
    {}
    int count() const override { return static_cast<int>(rows_.size()); }
    const SRemoteSimInfo& element(int i) const override
    {
        current_ = recordOf_(rows_[static_cast<std::size_t>(i)]);
        sent_(i + 1);
        return current_;
    }
    SRemoteSimInfo& element(int i) override
    {
        return const_cast<SRemoteSimInfo&>(std::as_const(*this).element(i));
    }

private:
    std::vector<int> rows_;
    RecordOf recordOf_;
    Sent sent_;
    mutable SRemoteSimInfo current_;
};

// The wait box with a count while a large commit is sent and saved, so that the window keeps
// painting; a small commit shows none.
class CommitProgress {
public:
    explicit CommitProgress(int total) : total_(total)
    {
        if (total_ >= kProgressRows)
            ShowWaitBox(Text(0).constData());
    }
    ~CommitProgress()
    {
        if (total_ >= kProgressRows)
            CloseWaitBox();
    }
    CommitProgress(const CommitProgress&) = delete;
    CommitProgress& operator=(const CommitProgress&) = delete;

    void Sent(int records)
    {
        if (total_ >= kProgressRows && (records % kProgressStep == 0 || records == total_))
            UpdateWaitBox(Text(records).constData());
    }

private:
    QByteArray Text(int records) const
    {
        if (records == total_)
            return QString("正在保存%1条数据，请稍候...").arg(total_).toUtf8();
        return QString("正在提交数据，请稍候...（%1/%2条）").arg(records).arg(total_).toUtf8();
    }

    int total_;
};

// Sends the rows in one call send(list, error), with progress for a large commit.
template <class Send>
bool SendStaged(std::vector<int> rows, StagedCardList::RecordOf recordOf, Send send,
                CBSErrorMsg& error)
{
    CommitProgress progress(static_cast<int>(rows.size()));
    const StagedCardList cards(std::move(rows), std::move(recordOf),
                               [&](int records) { progress.Sent(records); });
    return send(cards, error);
}

} // namespace

// Makes the records a commit sends from the texts the staged rows show: what every record shares is
// read from the edit area once (the KI key and, for an import, the nine shared fields), the rest
// from each card's row.
class TfrmRemoteSimInfo::RowRecords {
public:
    explicit RowRecords(const TfrmRemoteSimInfo& form) : form_(form)
    {
        const bool import = form.chkImport->isChecked();
        for (const EditField& field : EditFields()) {
            if (field.source == Source::Commit || (import && field.source == Source::Shared))
                form.Read(field.declared, shared_, false);
            else
                fromRow_.push_back(
                    {&field, form.findChild<QLineEdit*>(field.declared.name) != nullptr});
        }
    }

    SRemoteSimInfo RecordOf(int row) const
    {
        SRemoteSimInfo record = shared_;
        for (const RowField& field : fromRow_)
            Read(field, row, record);
        return record;
    }

private:
    // A field read from a card's row; an edit's text is its member as it is.
    struct RowField {
        const EditField* field;
        bool edit;
    };

    void Read(const RowField& from, int row, SRemoteSimInfo& record) const
    {
        const EditField& field = *from.field;
        const std::string_view cell = form_.rows_->Utf8(row, field.column);
        const bool trimmed = (field.flags & TrimmedCell) != 0;
        if (from.edit && !trimmed) {
            rsimform::setMemberString(record, field.declared.member, cell);
            return;
        }
        const QString text = QString::fromUtf8(cell);
        form_.Store(field.declared, trimmed ? text.trimmed() : text, record);
    }

    const TfrmRemoteSimInfo& form_;
    SRemoteSimInfo shared_;
    std::vector<RowField> fromRow_;
};

void TfrmRemoteSimInfo::btnCommitClick()
{
    try {
        if (pending_ == Pending::Add)
            CommitAdd();
        else if (pending_ == Pending::Modify)
            CommitModify();
    } catch (const CGUIException& e) {
        ShowException(e);
    }
}

void TfrmRemoteSimInfo::CommitAdd()
{
    if (lstShowDataList->rowCount() == 0) {
        ShowGUIMessage("对不起!\n[%s!]", "提示", 0, "列表中没有要新增的数据!");
        return;
    }
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(lstShowDataList->rowCount()));
    for (int row = lstShowDataList->rowCount() - 1; row >= 0; --row)
        rows.push_back(row);
    const RowRecords records(*this);
    CBSErrorMsg error;
    const bool added = SendStaged(
        std::move(rows), [&](int row) { return records.RecordOf(row); },
        [&](const SRemoteSimInfoList& cards, CBSErrorMsg& e) {
            return remoteSim_.add_simInfo(opInfo_, cards, e);
        },
        error);
    if (!added) {
        ShowCallFailure("异常：调用新增接口失败\n[%s]\n[%s]!", error);
        return;
    }
    MakeReadOnly(btnCommit);
    lstShowDataList->clear();
    ShowGUIMessage("提示:远程写卡明细数据新增成功!", "业务提交", MB_ICONINFORMATION);
}

void TfrmRemoteSimInfo::CommitModify()
{
    std::vector<int> rows;
    for (int row = lstShowDataList->rowCount() - 1; row >= 0; --row)
        if (lstShowDataList->isChecked(row))
            rows.push_back(row);
    if (ShowGUIMessage("您确认修改吗？", "确认操作", rsimform::kConfirm) != IDYES)
        return;
    const RowRecords records(*this);
    CBSErrorMsg error;
    const bool modified = SendStaged(
        std::move(rows), [&](int row) { return records.RecordOf(row); },
        [&](const SRemoteSimInfoList& cards, CBSErrorMsg& e) {
            return remoteSim_.mod_simInfo(opInfo_, cards, e);
        },
        error);
    if (!modified) {
        ShowCallFailure("异常：调用接口失败\n[%s]\n[%s]!", error);
        return;
    }
    MakeReadOnly(btnCommit);
    ShowGUIMessage("提示:远程写卡明细数据修改成功!", "业务提交", MB_ICONINFORMATION);
}
