// TVGUICommon: the host GUI library as the module calls it, on Qt 6 Widgets.
#pragma once

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTreeView>
#include <QWidget>

#include <utility>
#include <vector>

// Win32 message-box values the module uses.
enum : int {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONHAND = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

// Every modal or visible interaction goes through one replaceable object, so that tests can
// script the answers and record what was shown.
class GuiInteraction {
public:
    virtual ~GuiInteraction() = default;
    virtual int message(const QString& text, const QString& caption, int flags) = 0;
    virtual void waitShow(const QString& text) = 0;
    virtual void waitUpdate(const QString& text) = 0;
    virtual void waitClose() = 0;
    // The chosen file, or empty when the user cancelled.
    virtual QString openFileName(const QString& caption, const QString& filter) = 0;
};

// Installs an interaction and returns the previous one; null restores the real dialogs.
GuiInteraction* setGuiInteraction(GuiInteraction* interaction);
GuiInteraction& guiInteraction();

// Records every interaction and answers from a script; for tests and unattended runs.
class RecordingInteraction : public GuiInteraction {
public:
    struct Message {
        QString text;
        QString caption;
        int flags;
    };

    int message(const QString& text, const QString& caption, int flags) override;
    void waitShow(const QString& text) override;
    void waitUpdate(const QString& text) override;
    void waitClose() override;
    QString openFileName(const QString& caption, const QString& filter) override;

    // The answer of the next message box (else IDOK for OK boxes, questionDefault for Yes/No).
    void answerNext(int buttonId) { answers_.push_back(buttonId); }
    void setQuestionDefault(int buttonId) { questionDefault_ = buttonId; }
    void nextFile(const QString& path) { files_.push_back(path); }

    const std::vector<Message>& messages() const { return messages_; }
    // "show:text", "update:text", "close".
    const QStringList& waitEvents() const { return waitEvents_; }
    bool waitBoxOpen() const { return waitOpen_; }
    void clear();

private:
    std::vector<Message> messages_;
    QStringList waitEvents_;
    std::vector<int> answers_;
    QStringList files_;
    int questionDefault_ = IDYES;
    bool waitOpen_ = false;
};

// The buttons, default button and icon a Win32 flag value asks for.
struct MessageBoxStyle {
    std::vector<int> buttons; // Win32 ids, in order
    int defaultButton;
    int icon; // 0, MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION or MB_ICONINFORMATION
};
MessageBoxStyle MessageBoxStyleOf(int flags);

// A modal message; fmt is printf-style (UTF-8) with the arguments after the flags, which are
// substituted literally. Returns the Win32 id of the button pressed. "\r\n" is one line break.
int ShowGUIMessage(const char* fmt, const char* caption, int flags, ...)
    __attribute__((format(printf, 1, 4)));

void ShowWaitBox(const char* text);
void UpdateWaitBox(const char* text);
void CloseWaitBox();

// The control (edit, combo box, button, check box, date picker) stops taking input / takes it
// again. Null is ignored.
void MakeReadOnly(QWidget* control);
void MakeDefault(QWidget* control);

// Selects the item showing that text; with no such item the selection stays as it is.
void PostionComboBoxItem(QComboBox* comboBox, const QString& text);

// A group box painted light blue, as every window's areas are.
QGroupBox* MakeGroupBox(QWidget* parent, const QString& caption);

// Base of every business window: an MDI child.
class TfrmMDIChild : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMDIChild(QWidget* owner = nullptr);
    ~TfrmMDIChild() override;

    // Paints the window now, before a long initialisation.
    void Update();
    // Closes the window (the host's sub-window deletes it).
    bool Close();
    QString Caption() const { return windowTitle(); }
    void setCaption(const QString& caption) { setWindowTitle(caption); }

    // Number edits: only digits and editing keys reach the edit.
    static void OnEditKeyPress(QLineEdit* edit);
    // Number edits: a pasted text is inserted as its digits only.
    static void OnEditPaste(QLineEdit* edit);
};

// The report list view: rows with a caption, sub-items, an image index, a check mark, and —
// kept apart — the selection and the focus mark. Model/view, so 100,000 rows fill at once.
class TListViewEx : public QTreeView {
    Q_OBJECT
public:
    explicit TListViewEx(QWidget* parent = nullptr);
    ~TListViewEx() override;

    void setColumns(const std::vector<std::pair<QString, int>>& captionsAndWidths);
    int columnCount() const;
    void setColumnWidth(int column, int width);
    int columnWidth(int column) const;
    void setCheckBoxes(bool on);

    void beginUpdate();
    void endUpdate();
    int addRow(const QString& caption, const QStringList& subItems = {}, int imageIndex = -1);
    void removeRow(int row);
    void clear();
    int rowCount() const;

    QString caption(int row) const;
    QString cellText(int row, int column) const; // column 0 is the caption
    void setCellText(int row, int column, const QString& text);
    int imageIndex(int row) const;
    void setImageIndex(int row, int index);
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);

    int selectedRow() const;          // -1: none
    void setSelectedRow(int row);     // -1 clears the selection
    int focusedRow() const;           // -1: none
    void setFocusedRow(int row);      // the focus mark only, not the selection

signals:
    // The user clicked a row (the selection is already updated): the OnClick event.
    void rowClicked();

private:
    class Model;
    Model* model_;
};

// A date picker with calendar popup; values as TDateTime (days since 1899-12-30).
class TFlatDateTimePicker : public QDateTimeEdit {
    Q_OBJECT
public:
    explicit TFlatDateTimePicker(QWidget* parent = nullptr);
    double DateTime() const;
    void setDateTime(double value);
};

// Loads a card file into a list view (one row per card); the file is chosen through the
// interaction seam. Defined with the import format in CImportUtil.h.
class CImportUtil;
