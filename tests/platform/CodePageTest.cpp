#include "platform/CodePage.h"
#include "platform/LastError.h"

#include <gtest/gtest.h>

using namespace plat;

TEST(CodePage, Windows1252CoversAllByteValues)
{
    EXPECT_EQ(Cp1252ToUtf16('A'), u'A');
    EXPECT_EQ(Cp1252ToUtf16(0x80), 0x20AC); // euro sign
    EXPECT_EQ(Cp1252ToUtf16(0x9F), 0x0178);
    EXPECT_EQ(Cp1252ToUtf16(0xE9), 0x00E9);
    EXPECT_EQ(Cp1252ToUtf16(0xFF), 0x00FF);
    // The five undefined bytes map to the C1 controls of the same value.
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(Cp1252ToUtf16(b), b);
}

TEST(CodePage, SizeQueryThenConversion)
{
    const char text[] = "\x80 caf\xE9";
    int n = MultiByteToWideChar(kCodePageAnsi, kPrecomposed, text, 6, nullptr, 0);
    ASSERT_EQ(n, 6);
    char16_t out[7] = {};
    ASSERT_EQ(MultiByteToWideChar(kCodePageAnsi, kPrecomposed, text, 6, out, 7), 6);
    EXPECT_EQ(std::u16string(out), u"\u20AC caf\u00E9");
    EXPECT_EQ(MultiByteToWideChar(kCodePageAnsi, 0, text, -1, nullptr, 0), 7);
}

TEST(CodePage, EmptyTextAndSmallBufferFailWithWin32Codes)
{
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(kCodePageAnsi, kPrecomposed, "", 0, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), kErrorInvalidParameter);
    char16_t out[2];
    EXPECT_EQ(MultiByteToWideChar(kCodePageAnsi, 0, "abc", 3, out, 2), 0);
    EXPECT_EQ(GetLastError(), kErrorInsufficientBuffer);
    EXPECT_EQ(MultiByteToWideChar(65001, 0, "abc", 3, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), kErrorInvalidParameter);
}
