#include "control_kinds.h"

#include "CAutoLookup.h"
#include "PublicBusi.h"
#include "record_access.h"

namespace rsimform {
namespace {

QComboBox* comboOf(QWidget* control)
{
    return static_cast<QComboBox*>(control);
}

QLineEdit* editOf(QWidget* control)
{
    return static_cast<QLineEdit*>(control);
}

class TextEditKind : public ControlKind {
public:
    TextEditKind(int maxLength, bool digitsOnly) : maxLength_(maxLength), digitsOnly_(digitsOnly) {}

    QWidget* Create(QWidget* parent, const QString& name) const override
    {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(name);
        if (maxLength_ > 0)
            edit->setMaxLength(maxLength_);
        if (digitsOnly_) {
            TfrmMDIChild::OnEditKeyPress(edit);
            TfrmMDIChild::OnEditPaste(edit);
        }
        return edit;
    }
    void Show(QWidget* control, CTvdBasicStructObject& record, int member,
              FormContext&) const override
    {
        editOf(control)->setText(memberText(record, member));
    }
    void Read(QWidget* control, CTvdBasicStructObject& record, int member, FormContext&,
              bool trim) const override
    {
        const QString text = editOf(control)->text();
        setMemberText(record, member, trim ? text.trimmed() : text);
    }
    QString Text(QWidget* control) const override { return editOf(control)->text(); }
    void Empty(QWidget* control) const override { editOf(control)->clear(); }

private:
    int maxLength_;
    bool digitsOnly_;
};

class ComboKind : public ControlKind {
public:
    QWidget* Create(QWidget* parent, const QString& name) const override
    {
        auto* combo = new QComboBox(parent);
        combo->setObjectName(name);
        return combo;
    }
    QString Text(QWidget* control) const override { return comboOf(control)->currentText(); }
};

// A combo box of a lookup's items: CodeOfItem of the text, ItemOfCode of the member.
class LookupKind : public ComboKind {
public:
    explicit LookupKind(const QString& lastItem) : lastItem_(lastItem) {}

    void Fill(QWidget* control, FormContext& context) const override
    {
        comboOf(control)->clear();
        LookupOf(context).FillComboBox(comboOf(control));
        if (!lastItem_.isEmpty())
            comboOf(control)->addItem(lastItem_);
    }
    void Show(QWidget* control, CTvdBasicStructObject& record, int member,
              FormContext& context) const override
    {
        PostionComboBoxItem(comboOf(control), Cell(record, member, context));
    }
    void Read(QWidget* control, CTvdBasicStructObject& record, int member, FormContext& context,
              bool) const override
    {
        Store(comboOf(control)->currentText(), record, member, context);
    }
    void Store(const QString& text, CTvdBasicStructObject& record, int member,
               FormContext& context) const override
    {
        const std::string item = text.toStdString();
        setMemberInteger(record, member,
                         text.startsWith('[') ? ExtractItemCode(item)
                                              : LookupOf(context).CodeOfItem(item));
    }
    // A text member that holds no decimal number is shown as it is.
    QString Cell(CTvdBasicStructObject& record, int member, FormContext& context) const override
    {
        bool number = true;
        if (isTextMember(record, member))
            memberText(record, member).toLongLong(&number);
        if (!number)
            return memberText(record, member);
        return QString::fromUtf8(LookupOf(context).ItemOfCode(memberInteger(record, member)));
    }

protected:
    virtual const CBasicLookup& LookupOf(FormContext& context) const = 0;

private:
    QString lastItem_;
};

class CodeListKind : public LookupKind {
public:
    CodeListKind(int category, const QString& lastItem) : LookupKind(lastItem), category_(category)
    {}

    void Load(FormContext& context) const override { context.CodeList(category_); }

protected:
    const CBasicLookup& LookupOf(FormContext& context) const override
    {
        return context.CodeList(category_);
    }

private:
    int category_;
};

class FixedListKind : public LookupKind {
public:
    explicit FixedListKind(std::vector<TCNameCodeInfo> entries)
        : LookupKind({}), lookup_(std::move(entries))
    {}

protected:
    const CBasicLookup& LookupOf(FormContext&) const override { return lookup_; }

private:
    CAutoLookup lookup_;
};

class ServiceListKind : public ComboKind {
public:
    explicit ServiceListKind(const ServiceList& list) : list_(list) {}

    void Load(FormContext& context) const override { context.ServiceItems(list_); }
    void Fill(QWidget* control, FormContext& context) const override
    {
        QComboBox* combo = comboOf(control);
        combo->clear();
        combo->addItems(context.ServiceItems(list_));
        combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
    }
    void Show(QWidget* control, CTvdBasicStructObject& record, int member,
              FormContext&) const override
    {
        PostionComboBoxItem(comboOf(control),
                            ItemWithCode(comboOf(control), memberText(record, member)));
    }
    void Read(QWidget* control, CTvdBasicStructObject& record, int member, FormContext& context,
              bool) const override
    {
        Store(comboOf(control)->currentText(), record, member, context);
    }
    void Store(const QString& text, CTvdBasicStructObject& record, int member,
               FormContext&) const override
    {
        setMemberText(record, member,
                      QString::fromStdString(CResRemoteSim::ExtractCode(text.toStdString())));
    }
    QString Cell(CTvdBasicStructObject& record, int member, FormContext& context) const override
    {
        return ItemWithCode(context.ServiceItems(list_), memberText(record, member));
    }

private:
    const ServiceList& list_;
};

class DatePickerKind : public ControlKind {
public:
    explicit DatePickerKind(const QString& displayFormat) : displayFormat_(displayFormat) {}

    QWidget* Create(QWidget* parent, const QString& name) const override
    {
        auto* picker = new TFlatDateTimePicker(parent);
        picker->setObjectName(name);
        if (!displayFormat_.isEmpty())
            picker->setDisplayFormat(displayFormat_);
        return picker;
    }
    void Show(QWidget* control, CTvdBasicStructObject& record, int member,
              FormContext&) const override
    {
        const CBSDateTime date = memberDate(record, member);
        picker(control)->setDate(date.isNull() ? QDate::currentDate()
                                               : QDate(date.year(), date.month(), date.day()));
    }
    void Read(QWidget* control, CTvdBasicStructObject& record, int member, FormContext&,
              bool) const override
    {
        const QDate date = picker(control)->date();
        setMemberDate(record, member, CBSDateTime(date.year(), date.month(), date.day()));
    }
    QString Text(QWidget* control) const override { return picker(control)->text(); }

private:
    static TFlatDateTimePicker* picker(QWidget* control)
    {
        return static_cast<TFlatDateTimePicker*>(control);
    }

    QString displayFormat_;
};

// The items "[code] name" of the records that a query with no criteria answers.
template <class Criteria, class List, class Record = typename List::value_type>
ServiceList itemsOf(const char* failureFormat,
                    bool (CResRemoteSim::*query)(const Criteria&, List&, CBSErrorMsg&),
                    std::string Record::*code, std::string Record::*name)
{
    return {failureFormat, [=](CResRemoteSim& service, QStringList& items, CBSErrorMsg& error) {
                List records;
                if (!(service.*query)(Criteria(), records, error))
                    return false;
                for (const Record& record : records)
                    items.append(QString::fromStdString("[" + record.*code + "] " + record.*name));
                return true;
            }};
}

} // namespace

QString ControlKind::Cell(CTvdBasicStructObject& record, int member, FormContext&) const
{
    return memberText(record, member);
}

void ControlKind::Store(const QString& text, CTvdBasicStructObject& record, int member,
                        FormContext&) const
{
    setMemberText(record, member, text);
}

Kind TextEdit(int maxLength)
{
    return std::make_shared<TextEditKind>(maxLength, false);
}
Kind NumberEdit(int maxLength)
{
    return std::make_shared<TextEditKind>(maxLength, true);
}
Kind CodeListCombo(int category, const QString& lastItem)
{
    return std::make_shared<CodeListKind>(category, lastItem);
}
Kind FixedListCombo(std::vector<TCNameCodeInfo> entries)
{
    return std::make_shared<FixedListKind>(std::move(entries));
}
Kind ServiceCombo(const ServiceList& list)
{
    return std::make_shared<ServiceListKind>(list);
}
Kind DatePicker(const QString& displayFormat)
{
    return std::make_shared<DatePickerKind>(displayFormat);
}

QString ItemWithCode(const QStringList& items, const QString& code)
{
    for (auto item = items.crbegin(); item != items.crend(); ++item)
        if (QString::fromStdString(CResRemoteSim::ExtractCode(item->toStdString())) == code)
            return *item;
    return {};
}

QString ItemWithCode(const QComboBox* combo, const QString& code)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return ItemWithCode(items, code);
}

using namespace MResRemoteMgntDef;

const ServiceList& CardTypes()
{
    static const ServiceList list =
        itemsOf("异常：调用查询卡类型接口失败\n[%s]\n[%s]!", &CResRemoteSim::qry_cardType,
                &SResRemoteCardType::CARD_TYPE, &SResRemoteCardType::CARD_NAME);
    return list;
}

const ServiceList& Vendors()
{
    static const ServiceList list =
        itemsOf("异常：调用卡商查询接口失败\n[%s]\n[%s]!", &CResRemoteSim::qry_vendorCode,
                &SResRemoteVendorCode::VENDOR_CODE, &SResRemoteVendorCode::VENDOR_NAME);
    return list;
}

const ServiceList& Provinces()
{
    static const ServiceList list =
        itemsOf("异常：调用查询接口失败\n[%s]\n[%s]!", &CResRemoteSim::qry_provinceCode,
                &SResRemoteProvCode::PROVINCE_CODE, &SResRemoteProvCode::PROVINCE_NAME);
    return list;
}

} // namespace rsimform
