// The exception's two texts, line-break normalisation and literal display.
#include "TVGUICommon.h"
#include "guiexception.h"

#include <gtest/gtest.h>

TEST(GuiException, TextFromTheResourceLibrary)
{
    CGUIException e("kqtvres.dll", 24339);
    EXPECT_EQ(e.text().rfind("公共服务初始化失败", 0), 0U);
    EXPECT_TRUE(CGUIException("missing.dll", 24339).text().empty());
    EXPECT_TRUE(CGUIException("kqtvres.dll", 1).text().empty());
}

TEST(GuiException, TextFromAnErrorRecord)
{
    CBSErrorMsg error;
    error.set(3, 0, "消息", "提示\n第二行");
    const CGUIException e(error);
    EXPECT_EQ(e.text(), "TavBroker返回错误消息:\r\n[Message] 消息\r\n[Hint   ] "
                        "提示\r\n第二行\r\n[Code   ] 3\r\n[MinCode] 0");
}

TEST(GuiException, LineBreaksAreNormalisedOnce)
{
    EXPECT_EQ(NormaliseLineBreaks("a\nb"), "a\r\nb");
    EXPECT_EQ(NormaliseLineBreaks("a\r\nb"), "a\r\nb");
    EXPECT_EQ(NormaliseLineBreaks("\nx"), "\r\nx");
    EXPECT_EQ(NormaliseLineBreaks("\n\n"), "\r\n\r\n");
}

TEST(GuiException, TextIsCappedAt8191Bytes)
{
    CBSErrorMsg error;
    error.set(1, 1, std::string(9000, 'm'), "h");
    EXPECT_EQ(CGUIException(error).text().size(), 8191U);
    error.set(1, 1, std::string(8180, 'm'), std::string(100, '\n'));
    const std::string text = CGUIException(error).text();
    EXPECT_LE(text.size(), 8191U);
    EXPECT_EQ(text.find("\n\n"), std::string::npos);
}

TEST(GuiException, DisplayShowsTheTextLiterally)
{
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
