#include "guiexception.h"

#include "TVGUICommon.h"
#include "winapi.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

// Cuts at kMaxText bytes without splitting a UTF-8 sequence.
std::string capped(std::string text)
{
    if (text.size() <= CGUIException::kMaxText)
        return text;
    std::size_t end = CGUIException::kMaxText;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

std::string loadResourceString(const char* library, unsigned id)
{
    HMODULE module = LoadLibraryA(library);
    if (module == nullptr)
        return {};
    char buffer[CGUIException::kResourceBuffer];
    const int length = LoadStringA(module, id, buffer, sizeof buffer);
    FreeLibrary(module);
    return std::string(buffer, static_cast<std::size_t>(length));
}

} // namespace

std::string NormaliseLineBreaks(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return capped(std::move(out));
}

CGUIException::CGUIException(const char* resourceLibrary, unsigned id, ...)
{
    const std::string format = loadResourceString(resourceLibrary, id);
    if (format.empty())
        return;
    std::vector<char> buffer(kMaxText + 1);
    va_list args;
    va_start(args, id);
    std::vsnprintf(buffer.data(), buffer.size(), format.c_str(), args);
    va_end(args);
    setText(buffer.data());
}

CGUIException::CGUIException(const CBSErrorMsg& error)
{
    setText(capped("TavBroker返回错误消息:\r\n[Message] " + error.message + "\r\n[Hint   ] " +
                   error.hint + "\r\n[Code   ] " + std::to_string(error.code) + "\r\n[MinCode] " +
                   std::to_string(error.minCode)));
}

void CGUIException::setText(std::string text)
{
    text_ = NormaliseLineBreaks(text);
}

int CGUIException::Display(const char* caption, int flags) const
{
    if (caption == nullptr)
        return -1;
    return ShowGUIMessage("%s", caption, flags, text_.c_str());
}
