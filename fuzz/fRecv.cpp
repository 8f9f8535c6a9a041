// Raw bytes as a transport would hand them over (start markers restart the reply, more than a
// frame's capacity may arrive), then decoding, the CRC check and every field read.

#include "link/uFrame.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFrame frame;
    for (std::size_t i = 0; i < size; ++i)
        frame.AddWireByte(data[i]);
    const bool complete = frame.IsComplete();
    frame.Decode();
    unsigned sum = complete + frame.CheckCrc() + frame.IsRefused() + frame.IsLinkLost() +
                   frame.HasMore() + frame.ReplySeq() + frame.ReplyCode() + frame.Crc();
    for (int k = -1; k <= 300; ++k)
        sum += frame.Field(k);
    for (int i = 0; i < 256; ++i)
        sum += frame.GetByte(static_cast<std::uint8_t>(i), true) +
               frame.GetByte(static_cast<std::uint8_t>(i), false);
    // The reply buffer is reused for the next request.
    frame.Encode();
    TFrame::TBytes out;
    sum += frame.GetBytes(out);
    return sum == 0xFFFFFFFF ? 1 : 0;
}
