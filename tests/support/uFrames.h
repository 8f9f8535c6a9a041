#pragma once

#include "link/uFrame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using TVec = std::vector<std::uint8_t>;

// The valid bytes of a frame.
inline TVec Content(const TFrame &f)
{
    TFrame::TBytes b;
    const int n = f.GetBytes(b);
    return TVec(b.begin(), b.begin() + n);
}

// a followed by b.
inline TVec Join(TVec a, const TVec &b)
{
    for (const std::uint8_t x : b) // (insert trips a false array-bounds warning of g++ 12)
        a.push_back(x);
    return a;
}

// A frame holding content, as the tool builds a request before encoding it.
inline TFrame Request(const TVec &content)
{
    TFrame f;
    for (const std::uint8_t b : content)
        f.AddByte(b);
    return f;
}

// The wire form of content: start marker, escaped content and CRC, end marker.
inline TVec Wire(const TVec &content)
{
    TFrame f = Request(content);
    f.Encode();
    return Content(f);
}

// A frame as the transport collects it from the wire, then decoded.
template <typename TBytes> TFrame Received(const TBytes &raw)
{
    TFrame f;
    for (const auto b : raw)
        f.AddWireByte(static_cast<std::uint8_t>(b));
    f.Decode();
    return f;
}

// A data reply as the link receives it: built as content, encoded, collected byte by byte from
// the wire and decoded. data starts at field 7. An addressed reply starts 21 A1 A2 A3, so its
// fields sit three bytes further on.
inline TFrame Reply(std::uint8_t code, const TVec &data, bool addressed = false)
{
    TFrame out;
    for (const std::uint8_t b : addressed ? TVec{0x21, 0xA1, 0xA2, 0xA3} : TVec{0x00})
        out.AddByte(b);
    for (const std::uint8_t b : {0x32, 0x81, 0x05, 0x04, 0x00})
        out.AddByte(b);
    out.AddByte(code);
    for (const std::uint8_t b : data)
        out.AddByte(b);
    out.Encode();
    const TFrame in = Received(Content(out));
    EXPECT_TRUE(in.CheckCrc());
    EXPECT_EQ(in.DataOffset(), addressed ? 3 : 0);
    return in;
}
