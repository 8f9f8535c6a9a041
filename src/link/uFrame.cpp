#include "link/uFrame.h"

#include <algorithm>

namespace {

// Appends to a zero-filled work array, dropping what does not fit, like TFrame::AddByte.
struct TWork {
    TFrame::TBytes Bytes{};
    int Count = 0;

    void Put(std::uint8_t b)
    {
        if (Count < TFrame::Capacity)
            Bytes[Count++] = b;
    }
};

bool NeedsEscape(std::uint8_t b)
{
    return b < 0x20 || b == 0x2B || b == TFrame::EscapeMark || b == TFrame::StartMark ||
           b == TFrame::EndMark || b == 0xFF;
}

} // namespace

void TFrame::Clear()
{
    FBuffer.fill(0);
    FSize = 0;
    FDataOffset = 0;
}

std::uint8_t TFrame::GetByte(std::uint8_t index, bool useOffset) const
{
    const int pos = index + (useOffset ? FDataOffset : 0);
    return pos < FSize ? FBuffer[pos] : 0;
}

void TFrame::AddByte(std::uint8_t b)
{
    if (FSize < Capacity)
        FBuffer[FSize++] = b;
}

void TFrame::AddWireByte(std::uint8_t b)
{
    if (b == StartMark)
        Clear();
    AddByte(b);
}

void TFrame::SetBytes(const TBytes &bytes, int count)
{
    Clear();
    const int n = std::clamp(count, 0, Capacity);
    for (int i = 0; i < n; ++i)
        AddByte(bytes[i]);
}

int TFrame::GetBytes(TBytes &out) const
{
    out.fill(0);
    std::copy_n(FBuffer.begin(), FSize, out.begin());
    return FSize;
}

std::uint16_t TFrame::Crc16(const std::uint8_t *data, int count)
{
    std::uint16_t crc = 0xFFFF;
    for (int i = 0; i < count; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

std::uint16_t TFrame::Crc() const { return Crc16(FBuffer.data(), FSize); }

void TFrame::AppendCrc()
{
    const std::uint16_t crc = Crc();
    AddByte(static_cast<std::uint8_t>(crc >> 8));
    AddByte(static_cast<std::uint8_t>(crc & 0xFF));
}

void TFrame::Encode()
{
    AppendCrc();
    Escape();
}

void TFrame::Decode()
{
    Unescape();
    FDataOffset = (FBuffer[0] & 0x0F) + (FBuffer[0] >> 4);
}

bool TFrame::IsComplete() const { return FSize >= 1 && FBuffer[FSize - 1] == EndMark; }

bool TFrame::CheckCrc() const
{
    if (FSize < 2)
        return false;
    const int received = FBuffer[FSize - 2] * 256 + FBuffer[FSize - 1];
    return received == Crc16(FBuffer.data(), FSize - 2);
}

// Content to wire form. A content too long for the capacity loses its tail (and end marker),
// which the receiver rejects; no request comes near that length.
void TFrame::Escape()
{
    TWork w;
    w.Put(StartMark);
    for (int i = 0; i < FSize; ++i) {
        const std::uint8_t b = FBuffer[i];
        if (NeedsEscape(b)) {
            w.Put(EscapeMark);
            w.Put(b ^ 0x20);
        } else {
            w.Put(b);
        }
    }
    w.Put(EndMark);
    SetBytes(w.Bytes, w.Count);
}

// Wire form to content: a stray 0x00 in front is dropped, markers are dropped, an escape takes
// the next byte (the zero fill when there is none), and everything after the first end marker
// is discarded.
void TFrame::Unescape()
{
    TWork w;
    bool skip = FBuffer[0] == 0x00;
    for (int i = 0; i < FSize; ++i) {
        const std::uint8_t b = FBuffer[i];
        if (skip) {
            skip = false;
        } else if (b == EscapeMark) {
            const std::uint8_t partner = i + 1 < FSize ? FBuffer[i + 1] : 0;
            w.Put(partner ^ 0x20);
            skip = true;
        } else if (b != StartMark && b != EndMark) {
            w.Put(b);
        }
        if (b == EndMark)
            break;
    }
    SetBytes(w.Bytes, w.Count);
}
