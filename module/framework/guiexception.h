// The one exception type of the module: a text built from a resource string or from an error
// record, with CR LF line breaks, at most 8191 characters.
#pragma once

#include "TVClient.h"

#include <string>

class CGUIException {
public:
    static constexpr std::size_t kMaxText = 8191;
    static constexpr int kResourceBuffer = 2047;

    // Text from string `id` of a resource library, formatted printf-style with the arguments.
    CGUIException(const char* resourceLibrary, unsigned id, ...);
    explicit CGUIException(const CBSErrorMsg& error);

    // Shows the text literally with ShowGUIMessage; returns the button pressed, or -1 (and shows
    // nothing) without a caption.
    int Display(const char* caption, int flags) const;
    const std::string& text() const { return text_; }

private:
    void setText(std::string text);

    std::string text_;
};

// Inserts a CR before every LF that lacks one, keeping within CGUIException::kMaxText.
std::string NormaliseLineBreaks(const std::string& text);
