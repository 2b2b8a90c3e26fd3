#include "platform/midi_message.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include "../support/case_name.h"

namespace {

struct Case {
    const char* what;
    std::uint32_t packed;
    int length;
};

class ShortMessage : public testing::TestWithParam<Case> {};

TEST_P(ShortMessage, LengthFollowsTheStatusByte) {
    const Case& c = GetParam();
    const platform::ShortMessageBytes message = platform::shortMessageBytes(c.packed);
    EXPECT_EQ(message.length, c.length) << c.what;
    EXPECT_EQ(message.bytes[0], c.packed & 0xFF);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ShortMessage,
    testing::Values(Case{"note on", 0x643C90, 3}, Case{"note off as velocity 0", 0x003C99, 3},
                    Case{"pan", 0x400AB9, 3}, Case{"all notes off", 0x007BB0, 3},
                    Case{"program change ignores data 2", 0xFF05C9, 2},
                    Case{"channel pressure", 0x0040D0, 2}, Case{"pitch bend", 0x4000E0, 3},
                    Case{"top byte ignored", 0xAB643C90, 3}, Case{"timing clock", 0x0000F8, 1},
                    Case{"song position", 0x0102F2, 3},
                    Case{"running status is not a message", 0x00643C, 0},
                    Case{"data byte read as status", 0x64BC90, 0},
                    Case{"velocity above 127", 0x803C90, 0},
                    Case{"system exclusive start", 0x0001F0, 0},
                    Case{"end of exclusive", 0x0000F7, 0}, Case{"undefined F4", 0x0000F4, 0}),
    caseName<Case>);

}  // namespace
