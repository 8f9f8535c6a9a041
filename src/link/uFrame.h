#pragma once

#include <array>
#include <cstdint>

// The one buffer every exchange with the communication module passes through: a request is built
// as content, encoded to its wire form (CRC, escaping, markers) and sent; the same object then
// collects the raw bytes of the reply, decodes them and serves field reads.
//
// Whatever bytes arrive, nothing here reads or writes outside the 101-byte buffer: bytes past the
// capacity are not stored, and reads past the valid bytes yield the zero fill.
class TFrame {
public:
    static constexpr int Capacity = 101;
    using TBytes = std::array<std::uint8_t, Capacity>;

    // Frame markers and the escape byte of the wire form.
    static constexpr std::uint8_t StartMark = 0x7E;
    static constexpr std::uint8_t EndMark = 0x7F;
    static constexpr std::uint8_t EscapeMark = 0x7D;

    TFrame() { Clear(); }

    void Clear();
    int Size() const { return FSize; }
    int DataOffset() const { return FDataOffset; }

    // Buffer[index], or Buffer[DataOffset + index] with useOffset; 0 at or past Size.
    std::uint8_t GetByte(std::uint8_t index, bool useOffset) const;
    void AddByte(std::uint8_t b);
    // A raw byte from the transport: a start marker anywhere restarts the frame.
    void AddWireByte(std::uint8_t b);
    void SetBytes(const TBytes &bytes, int count);
    int GetBytes(TBytes &out) const;

    std::uint16_t Crc() const;
    void AppendCrc();
    void Encode();
    void Decode();

    bool IsComplete() const;
    bool CheckCrc() const;

    // Field k of a decoded reply: the byte k positions after its address bytes.
    std::uint8_t Field(int k) const
    {
        return k >= 0 && k <= 255 ? GetByte(static_cast<std::uint8_t>(k), true) : 0;
    }

    std::uint8_t ReplySeq() const { return GetByte(3, true); }
    std::uint8_t ReplyCode() const { return GetByte(6, true); }
    bool IsRefused() const { return ReplyCode() == 0xC5; }
    bool IsLinkLost() const { return (GetByte(2, true) & 0x20) != 0; }
    bool HasMore() const { return (GetByte(2, true) & 0x80) != 0; }

    // CRC-16/MODBUS over count bytes starting at data.
    static std::uint16_t Crc16(const std::uint8_t *data, int count);

private:
    void Escape();
    void Unescape();

    TBytes FBuffer{};
    int FSize = 0;
    int FDataOffset = 0;
};
