#include "sim/uSimCore.h"

#include "link/uFrame.h"
#include "model/uConfig.h"
#include "support/uFrames.h"

#include <gtest/gtest.h>

#include <tuple>

// The module refuses (0xC5 in its acknowledgement) a write that names no device, a user record
// with a second partition after "any", the wrong day of the week, an unknown model, or a move of
// the module itself; the same write without that fault is carried out.
TEST(SimCore, RefusesOnlyWritesItCannotCarryOut)
{
    const std::tuple<std::uint8_t, TVec, TVec> writes[] = {
        // code, carried out, refused
        {0x40, {0x02, 105, 1, 2, 3, 4, 5, 6}, {0x04, 101, 1, 2, 3, 4, 5, 6}},
        {0x41, {0x02, 0x01, 0x05, 0x02}, {0x09, 0x01, 0x05, 0x02}},
        {0x44,
         {0x08, 0x01, 0x0C, 0x00, 0x00, 0x20, 0x0C, 0x00, 0x00, 0x40, 0xFF},
         {0x08, 0x01, 0x0C, 0x00, 0x00, 0x20, 0x0C, 0x00, 0x00, 0x40, 0xFF, 0x01}},
        {0x50,
         {0x3A, 0x3B, 0x17, 0x02, 0x1F, 0x0C, 0x18},
         {0x3A, 0x3B, 0x17, 0x03, 0x1F, 0x0C, 0x18}},
        {0x47, {0x02, 0x03}, {0x01, 0x09}},
    };
    TConfig config;
    TModuleCore module(config);
    std::uint8_t seq = 0;
    const auto carriedOut = [&](std::uint8_t code, const TVec &args) {
        const TVec head{0x00, 0x32, 0x01, ++seq, 0x04, 0x00, code};
        const TVec wire = Wire(Join(head, args));
        const TFrame ack = Received(module.Handle(
            QByteArray(reinterpret_cast<const char *>(wire.data()), std::ssize(wire))));
        return ack.CheckCrc() && !ack.IsRefused();
    };
    for (const auto &[code, good, bad] : writes) {
        EXPECT_TRUE(carriedOut(code, good)) << int(code);
        EXPECT_FALSE(carriedOut(code, bad)) << int(code);
    }
}
