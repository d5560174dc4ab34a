// The UTF-8 conversion of the Vorbis comments: ANSI texts through the platform's code page,
// UTF-16 units one by one, the debug lines and the standard-error messages.
#include "StderrCapture.h"

#include "encoder/Utf8.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using veltraenc::ToUtf8;
using veltraenc::Utf16ToUtf8;

namespace
{

std::string Text(const veltraenc::Utf8Text& text)
{
    return text ? std::string(text.get()) : std::string("(null)");
}

} // namespace

TEST(ToUtf8, AnsiTextsBecomeUtf8)
{
    vorbistest::StderrCapture err;
    EXPECT_EQ(Text(ToUtf8("Track 01")), "Track 01");
    EXPECT_EQ(Text(ToUtf8("Caf\xE9")), "Caf\xC3\xA9");
    EXPECT_EQ(Text(ToUtf8("\x80")), "\xE2\x82\xAC") << "the euro sign of code page 1252";
    EXPECT_EQ(Text(ToUtf8("\x9F\xFF")), "\xC5\xB8\xC3\xBF");
    EXPECT_EQ(err.Text(), "");
}

TEST(ToUtf8, EmptyTextGivesNullAndOneTranslationError)
{
    testsupport::DebugCapture trace;
    vorbistest::StderrCapture err;
    EXPECT_EQ(ToUtf8(""), nullptr);
    EXPECT_EQ(err.Text(), "Unicode translation error 87\n");
    EXPECT_EQ(trace.lines(), std::vector<std::string>{"converting  to unicode"});

    vorbistest::StderrCapture none;
    trace.clear();
    EXPECT_EQ(ToUtf8(nullptr), nullptr);
    EXPECT_EQ(none.Text(), "") << "a null text is no error";
    EXPECT_TRUE(trace.lines().empty());
}

TEST(ToUtf8, TracesTheTextAndEveryResultByteAfterTheFirst)
{
    testsupport::DebugCapture trace;
    ToUtf8("\xE9"
           "b");
    EXPECT_EQ(trace.lines(),
              (std::vector<std::string>{"converting \xE9"
                                        "b to unicode",
                                        "utf8 char -87 (ffffffa9)", "utf8 char 98 (62)"}));
}

TEST(Utf16ToUtf8, OneTwoOrThreeBytesAUnitAndSurrogatesEachByThemselves)
{
    EXPECT_EQ(Text(Utf16ToUtf8(u"A\x7F\x80\x7FF\x800\xFFFF")),
              "A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    const char16_t pair[] = {0xD83D, 0xDE00, 0}; // one character, two units
    EXPECT_EQ(Text(Utf16ToUtf8(pair)), "\xED\xA0\xBD\xED\xB8\x80");
    EXPECT_EQ(Text(Utf16ToUtf8(u"")), "");
}
