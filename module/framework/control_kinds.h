// Kinds of control. A window declares each criterion editor, edit field and list column with a
// kind: one object that builds the control, fills it with its items, shows a record's member in
// it and reads the member back, as an item delegate does for the cells of a view
// (createEditor / setEditorData / setModelData). A new kind is one new class here, not one more
// case in the forms.
#pragma once

#include "form_base.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace rsimform {

// A list that a service query answers at initialisation, shown as items "[code] name".
struct ServiceList {
    const char* failureFormat; // "异常：…失败\n[%s]\n[%s]!" with the error's message and hint
    std::function<bool(CResRemoteSim&, QStringList& items, CBSErrorMsg&)> query;
};
// Card types "[CARD_TYPE] CARD_NAME", vendors "[VENDOR_CODE] VENDOR_NAME" and provinces
// "[PROVINCE_CODE] PROVINCE_NAME", in the order the service answers them.
const ServiceList& CardTypes();
const ServiceList& Vendors();
const ServiceList& Provinces();

class ControlKind {
public:
    virtual ~ControlKind() = default;
    virtual QWidget* Create(QWidget* parent, const QString& name) const = 0;
    // Loads what the kind shows (a code list, a service list); run during initialisation.
    virtual void Load(FormContext&) const {}
    // Puts the loaded items into the control, emptied first, and selects the first.
    virtual void Fill(QWidget*, FormContext&) const {}
    // Shows the member; a code that no item shows leaves the combo box without selection.
    virtual void Show(QWidget* control, CTvdBasicStructObject& record, int member,
                      FormContext&) const = 0;
    // Sets the member from the control; trim: a criterion, whose text is sent without blanks.
    virtual void Read(QWidget* control, CTvdBasicStructObject& record, int member, FormContext&,
                      bool trim) const = 0;
    // Sets the member from a text the control shows (a list cell of the member): the text itself,
    // unless the kind reads a code from it.
    virtual void Store(const QString& text, CTvdBasicStructObject& record, int member,
                       FormContext&) const;
    // What the control shows, for the checks of empty input.
    virtual QString Text(QWidget* control) const = 0;
    // Empties an editor for Clear; a choice of items keeps its items and selection.
    virtual void Empty(QWidget*) const {}
    // The member as a list cell.
    virtual QString Cell(CTvdBasicStructObject& record, int member, FormContext&) const;
};

using Kind = std::shared_ptr<const ControlKind>;

// A line edit whose text is the member as typed; at most maxLength characters (0: no limit).
Kind TextEdit(int maxLength = 0);
// A line edit that takes only digits, typed or pasted (the host's number-edit filters).
Kind NumberEdit(int maxLength = 0);
// A combo box of a code list: the bracketed code of an item "[code] name" ("[-1] 忽略" and
// "[0] 全部" too), else CodeOfItem of the text; ItemOfCode of the member (a text member
// that holds no decimal number is shown as it is); lastItem, when given, is appended after the
// list's items (a criterion's "[0] 全部").
Kind CodeListCombo(int category, const QString& lastItem = {});
// A combo box of fixed entries, as CodeListCombo.
Kind FixedListCombo(std::vector<TCNameCodeInfo> entries);
// A combo box of a service list: the bracketed code of the text; a member is shown by the item
// whose bracketed code equals it, searched from the last item to the first.
Kind ServiceCombo(const ServiceList& list);
inline Kind ProvinceCombo()
{
    return ServiceCombo(Provinces());
}
// A date picker for a date member; the picker shows today for a null date. A displayFormat
// replaces the picker's own.
Kind DatePicker(const QString& displayFormat = {});

// The item of a combo box (of a list of items) whose bracketed code equals code, searched from the
// last item to the first; empty when none.
QString ItemWithCode(const QComboBox* combo, const QString& code);
QString ItemWithCode(const QStringList& items, const QString& code);

} // namespace rsimform
