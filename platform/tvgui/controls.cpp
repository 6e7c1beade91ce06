// Input states of controls, combo selection, the forms' font and group boxes.
#include "TVGUICommon.h"

namespace {

// The base colour a line edit had before MakeReadOnly greyed it, for MakeDefault to restore.
constexpr char kOriginalBase[] = "tvguiOriginalBase";
const QColor kReadOnlyBase(236, 236, 236);
const QColor kGroupBoxColour(205, 215, 255);

void setBase(QLineEdit* edit, const QBrush& brush)
{
    QPalette palette = edit->palette();
    palette.setBrush(QPalette::Active, QPalette::Base, brush);
    palette.setBrush(QPalette::Inactive, QPalette::Base, brush);
    edit->setPalette(palette);
}

} // namespace

void MakeReadOnly(QWidget* control)
{
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (edit == nullptr) {
        if (control != nullptr)
            control->setEnabled(false);
        return;
    }
    if (!edit->property(kOriginalBase).isValid())
        edit->setProperty(kOriginalBase, QVariant::fromValue(edit->palette().brush(
                                             QPalette::Active, QPalette::Base)));
    edit->setReadOnly(true);
    setBase(edit, kReadOnlyBase);
}

void MakeDefault(QWidget* control)
{
    if (control == nullptr)
        return;
    control->setEnabled(true);
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (edit == nullptr)
        return;
    edit->setReadOnly(false);
    const QVariant original = edit->property(kOriginalBase);
    if (original.isValid()) {
        setBase(edit, original.value<QBrush>());
        edit->setProperty(kOriginalBase, QVariant());
    }
}

void PostionComboBoxItem(QComboBox* comboBox, const QString& text)
{
    if (comboBox != nullptr)
        comboBox->setCurrentIndex(
            comboBox->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void PostionComboBoxItem(QComboBox* comboBox, const char* text)
{
    PostionComboBoxItem(comboBox, QString::fromUtf8(text == nullptr ? "" : text));
}

QFont FormFont()
{
    QFont font;
    font.setFamilies({"宋体", "SimSun", "WenQuanYi Micro Hei", "Noto Sans CJK SC"});
    font.setPointSize(9);
    return font;
}

QGroupBox* MakeGroupBox(QWidget* parent, const QString& caption)
{
    auto* group = new QGroupBox(caption, parent);
    group->setAutoFillBackground(true);
    QPalette palette = group->palette();
    palette.setColor(QPalette::Window, kGroupBoxColour);
    group->setPalette(palette);
    return group;
}
