// The interaction seam, ShowGUIMessage, the wait-box calls and the Win32 flag decoding.
#include "GuiInteraction.h"

#include "dialog_interaction.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

GuiInteraction* installed = nullptr;

std::vector<int> buttonSet(int flags)
{
    switch (flags & 0xF) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

int iconOf(int flags)
{
    const int icon = flags & 0xF0;
    const bool known = icon == MB_ICONHAND || icon == MB_ICONQUESTION ||
                       icon == MB_ICONEXCLAMATION || icon == MB_ICONINFORMATION;
    return known ? icon : 0;
}

// vsnprintf into a string of the right size; the result is never formatted again.
std::string formatted(const char* fmt, va_list args)
{
    va_list measuring;
    va_copy(measuring, args);
    const int length = std::vsnprintf(nullptr, 0, fmt, measuring);
    va_end(measuring);
    if (length < 0)
        return fmt; // a format the C library refuses is shown as it stands
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), fmt, args);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

QString fromHost(const char* text)
{
    QString converted = QString::fromUtf8(text == nullptr ? "" : text);
    converted.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return converted;
}

} // namespace

GuiInteraction::~GuiInteraction() = default;

GuiInteraction* setGuiInteraction(GuiInteraction* interaction)
{
    GuiInteraction* previous = installed;
    installed = interaction;
    return previous;
}

GuiInteraction& guiInteraction()
{
    static DialogInteraction dialogs;
    return installed != nullptr ? *installed : dialogs;
}

MessageBoxStyle MessageBoxStyleOf(int flags)
{
    MessageBoxStyle style;
    style.buttons = buttonSet(flags);
    const std::size_t wanted = static_cast<std::size_t>((flags >> 8) & 0xF);
    style.defaultButton = style.buttons[std::min(wanted, style.buttons.size() - 1)];
    const bool hasCancel =
        std::find(style.buttons.begin(), style.buttons.end(), IDCANCEL) != style.buttons.end();
    style.escapeButton = hasCancel ? IDCANCEL : style.buttons.back();
    style.icon = iconOf(flags);
    return style;
}

int ShowGUIMessage(const char* fmt, const char* caption, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const std::string text = formatted(fmt == nullptr ? "" : fmt, args);
    va_end(args);
    return guiInteraction().message(fromHost(text.c_str()), fromHost(caption), flags);
}

void ShowWaitBox(const char* text)
{
    guiInteraction().waitShow(fromHost(text));
}

void UpdateWaitBox(const char* text)
{
    guiInteraction().waitUpdate(fromHost(text));
}

void CloseWaitBox()
{
    guiInteraction().waitClose();
}
