#include <gtest/gtest.h>

#include "model/text_encoding.h"

TEST(Windows1252, EveryByteSurvivesARoundTrip) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const auto back = windows1252FromUtf8(utf8FromWindows1252(byte));
        ASSERT_TRUE(back) << b;
        EXPECT_EQ(*back, byte) << b;
    }
}

TEST(Windows1252, Mapping) {
    const struct {
        unsigned char byte;
        const char* utf8;
    } cases[] = {
        {0x41, "A"},      {0x80, "\u20ac"}, {0x81, "\u0081"}, {0x8D, "\u008d"},
        {0x8F, "\u008f"}, {0x90, "\u0090"}, {0x9D, "\u009d"}, {0x9F, "\u0178"},
        {0xA0, "\u00a0"}, {0xF7, "\u00f7"}, {0xFF, "\u00ff"}, {0x99, "\u2122"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8FromWindows1252(std::string(1, static_cast<char>(c.byte))), c.utf8)
            << int{c.byte};
    }
}

TEST(Windows1252, TextItCannotHold) {
    for (const char* text : {"\u266f", "\u65e5", "\U0001F3B9", "\xC3", "\xFF", "\xED\xA0\x80"}) {
        EXPECT_FALSE(windows1252FromUtf8(text)) << text;
    }
}

TEST(Utf16, ConversionsAndMalformedInput) {
    EXPECT_EQ(utf8FromUtf16(utf16FromUtf8("a\u00e9\u20ac\U0001F3B9")), "a\u00e9\u20ac\U0001F3B9");
    EXPECT_EQ(utf16FromUtf8("\U0001F3B9"), (std::u16string{0xD83C, 0xDFB9}));
    // Lone surrogates and broken UTF-8 become U+FFFD.
    EXPECT_EQ(utf8FromUtf16(std::u16string{0xDC00, u'x', 0xD800}), "\uFFFDx\uFFFD");
    EXPECT_EQ(utf16FromUtf8("\xC3x\xE2\x82"), (std::u16string{0xFFFD, u'x', 0xFFFD, 0xFFFD}));
    EXPECT_EQ(utf16FromUtf8("\xC0\x80"), (std::u16string{0xFFFD, 0xFFFD}));
}
