// Message boxes, the wait box and the seam that every visible interaction goes through.
//
// The module shows messages with Win32 message-box flags and reads Win32 button ids back. All of
// it reaches one process-wide GuiInteraction: by default real Qt dialogs; tests and unattended
// runs install one that records and answers from a script (RecordingInteraction.h).
#pragma once

#include <QString>

#include <vector>

// The Win32 message-box values the module passes and reads back.
enum : int {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_ICONHAND = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
};

class GuiInteraction {
public:
    virtual ~GuiInteraction();
    // A modal message box; returns the Win32 id of the button pressed.
    virtual int message(const QString& text, const QString& caption, int flags) = 0;
    // The one wait box: shown (or its text replaced when already shown), its text changed while
    // shown, removed. Removing a box that is not shown does nothing.
    virtual void waitShow(const QString& text) = 0;
    virtual void waitUpdate(const QString& text) = 0;
    virtual void waitClose() = 0;
    // The chosen file, or empty when the user cancelled. filter is a Qt name filter.
    virtual QString openFileName(const QString& caption, const QString& filter) = 0;
    // The file to write, or empty when the user cancelled. suggestedName fills the name field.
    virtual QString saveFileName(const QString& caption, const QString& filter,
                                 const QString& suggestedName) = 0;
};

// Installs an interaction (not owned) and returns the previous one; null restores the real
// dialogs. GUI thread only.
GuiInteraction* setGuiInteraction(GuiInteraction* interaction);
GuiInteraction& guiInteraction();

// What a Win32 flag value asks for: the button set (low four bits; unknown sets give OK), the
// default button (0x100 second, 0x200 third, beyond the set: the last), and the icon (0xF0:
// MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONINFORMATION, anything else none).
struct MessageBoxStyle {
    std::vector<int> buttons; // Win32 ids, in screen order
    int defaultButton;
    int escapeButton; // what Escape or the close box answers: Cancel if present, else the last
    int icon;         // 0 or one of the MB_ICON values
};
MessageBoxStyle MessageBoxStyleOf(int flags);

// A modal message. fmt is printf-style UTF-8 with its arguments after the flags; the result is
// shown as it is (a "%" inside an argument stays a "%"). "\r\n" is one line break. The text is
// plain, never rich text. Returns the Win32 id of the button pressed.
int ShowGUIMessage(const char* fmt, const char* caption, int flags, ...)
    __attribute__((format(printf, 1, 4)));

// The wait box, shown at once (painted before the call returns) so that it stays visible during
// the blocking call that follows. There is at most one.
void ShowWaitBox(const char* text);
void UpdateWaitBox(const char* text);
void CloseWaitBox();
