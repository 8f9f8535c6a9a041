#include "link/uFrame.h"

#include "support/uFrames.h"

#include <gtest/gtest.h>

TEST(Frame, WorkedExamplesHaveExactWireForm)
{
    const TVec digits{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(TFrame::Crc16(digits.data(), 9), 0x4B37);
    EXPECT_EQ(Wire({0x00, 0x42, 0x01}),
              (TVec{0x7E, 0x7D, 0x20, 0x42, 0x7D, 0x21, 0xA0, 0x80, 0x7F}));
    EXPECT_EQ(Wire({0x00, 0x32, 0x00}),
              (TVec{0x7E, 0x7D, 0x20, 0x32, 0x7D, 0x20, 0xA0, 0x64, 0x7F}));
}

// Escaped: below 0x20, 0x2B, 0x7D to 0x7F and 0xFF, as 0x7D and the byte XOR 0x20. Decoding
// gives each byte back, its CRC checking.
TEST(Frame, EscapesExactlyTheReservedBytes)
{
    for (int v = 0; v < 256; ++v) {
        const auto b = static_cast<std::uint8_t>(v);
        const TVec wire = Wire({b});
        const bool reserved =
            b < 0x20 || b == 0x2B || b == 0x7D || b == 0x7E || b == 0x7F || b == 0xFF;
        ASSERT_EQ(wire[1] == 0x7D, reserved) << "byte " << v;
        EXPECT_EQ(wire[reserved ? 2 : 1], reserved ? b ^ 0x20 : b) << "byte " << v;
        for (size_t i = 1; i + 1 < wire.size(); ++i)
            EXPECT_TRUE(wire[i] != 0x7E && wire[i] != 0x7F) << "byte " << v;
        const TFrame back = Received(wire);
        EXPECT_TRUE(back.CheckCrc() && Content(back).front() == b) << "byte " << v;
    }
    EXPECT_EQ((TVec{Wire({0x2B})[1], Wire({0x2B})[2], Wire({0xFF})[1], Wire({0xFF})[2]}),
              (TVec{0x7D, 0x0B, 0x7D, 0xDF}));
    EXPECT_EQ((TVec{Wire({0x80})[1], Wire({0x20})[1]}), (TVec{0x80, 0x20}));
}

TEST(Frame, DecodeDropsLeadingZeroAndStopsAtEndMarker)
{
    const TVec poll = Wire({0x00, 0x32, 0x00});
    const TVec expected{0x00, 0x32, 0x00, 0xA0, 0x64};
    TVec zero{0x00};
    TVec tail = poll;
    TVec restart{0x7E, 0x11, 0x22}; // a start marker in the middle restarts the reply
    for (const std::uint8_t b : poll) {
        zero.push_back(b);
        restart.push_back(b);
    }
    tail.insert(tail.end(), {0x41, 0x42, 0x7F});
    TFrame withZero = Request(zero); // no restart: the stray zero stays in front of the marker
    withZero.Decode();
    EXPECT_EQ(Content(withZero), expected);
    EXPECT_EQ(Content(Received(tail)), expected);
    EXPECT_EQ(Content(Received(restart)), expected);
}

TEST(Frame, NeverGrowsPastCapacity)
{
    TFrame f = Request(TVec(300, 0x55));
    EXPECT_EQ(f.Size(), TFrame::Capacity);
    EXPECT_FALSE(f.IsComplete());

    // An escape in the last position of a full buffer takes the zero fill as its partner.
    TVec raw(TFrame::Capacity, 0x41);
    raw.front() = 0x7E;
    raw.back() = 0x7D;
    TFrame full = Request(raw);
    full.Decode();
    EXPECT_EQ(full.Size(), TFrame::Capacity - 1);
    EXPECT_EQ(full.GetByte(static_cast<std::uint8_t>(full.Size() - 1), false), 0x20);

    // Content whose wire form exceeds the capacity is cut, never written past the buffer.
    TFrame longRequest = Request(TVec(TFrame::Capacity, 0x7E));
    longRequest.Encode();
    EXPECT_EQ(longRequest.Size(), TFrame::Capacity);
}
