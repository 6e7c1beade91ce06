// The exception's resource texts, line-break normalisation, the cap and literal display; the
// error record's text shows whole in entry_test.
#include "TVGUICommon.h"
#include "guiexception.h"

#include <gtest/gtest.h>

TEST(GuiException, AResourceTextThatIsNotThereIsEmptyAndDisplayShowsTextsLiterally)
{
    EXPECT_TRUE(CGUIException("missing.dll", 24339).text().empty());
    EXPECT_TRUE(CGUIException("kqtvres.dll", 1).text().empty());

    RecordingInteraction gui;
    setGuiInteraction(&gui);
    CBSErrorMsg error;
    error.set(1, 0, "100%", "%d%s");
    const CGUIException e(error);
    EXPECT_EQ(e.Display("异常信息", MB_ICONHAND), IDOK);
    EXPECT_EQ(e.Display(nullptr, MB_ICONHAND), -1);
    setGuiInteraction(nullptr);
    ASSERT_EQ(gui.messages().size(), 1U);
    EXPECT_TRUE(gui.messages()[0].text.contains("[Hint   ] %d%s"));
    EXPECT_EQ(gui.messages()[0].caption, "异常信息");
    EXPECT_EQ(gui.messages()[0].flags, MB_ICONHAND);
}

TEST(GuiException, LineBreaksAreNormalisedOnceAndTheTextCappedAt8191Bytes)
{
    EXPECT_EQ(NormaliseLineBreaks("a\nb"), "a\r\nb");
    EXPECT_EQ(NormaliseLineBreaks("a\r\nb"), "a\r\nb");
    EXPECT_EQ(NormaliseLineBreaks("\nx"), "\r\nx");
    EXPECT_EQ(NormaliseLineBreaks("\n\n"), "\r\n\r\n");

    CBSErrorMsg error;
    error.set(1, 1, std::string(9000, 'm'), "h");
    EXPECT_EQ(CGUIException(error).text().size(), 8191U);
    error.set(1, 1, std::string(8180, 'm'), std::string(100, '\n'));
    const std::string text = CGUIException(error).text();
    EXPECT_LE(text.size(), 8191U);
    EXPECT_EQ(text.find("\n\n"), std::string::npos);
}
