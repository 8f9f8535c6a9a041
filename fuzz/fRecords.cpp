// Record frames of any code and content applied to a container that holds every kind of device
// and some partitions; then the container's writers and cascades run over what it holds.
// Input: a sequence of records, each one length byte followed by that many bytes, the first of
// which is the record code (field 6) and the rest its data (field 7 on).

#include "link/uFrame.h"
#include "model/uConfig.h"
#include "model/uKinds.h"

#include <cstddef>
#include <cstdint>

namespace {

void Populate(TConfig &c)
{
    int address = 2;
    for (const TKind &k : Kinds)
        if (k.Code != 1)
            c.AddDevice(address++, QString::fromUtf16(k.Name), QString(), 0, QString(), QString(),
                        QString());
    for (int p : {1, 2, 5, 127})
        c.PutPart(p, c.CreatePart(0, QString()));
}

TFrame RecordFrame(const std::uint8_t *bytes, std::size_t count)
{
    TFrame f;
    for (const std::uint8_t b : {0x00, 0x32, 0x81, 0x01, 0x04, 0x00})
        f.AddByte(b);
    for (std::size_t i = 0; i < count; ++i)
        f.AddByte(bytes[i]);
    f.AppendCrc();
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TConfig config;
    Populate(config);
    std::size_t i = 0;
    while (i < size) {
        const std::size_t length = data[i++];
        const std::size_t take = length < size - i ? length : size - i;
        config.ApplyRecord(RecordFrame(data + i, take), nullptr);
        i += take;
    }
    // Whatever arrived, writing it out and removing references stays in bounds.
    for (int a = 1; a <= TConfig::MaxAddress; ++a) {
        TFrame f;
        config.WriteDevice(a, f);
    }
    for (int p = 1; p <= TConfig::MaxPart; ++p) {
        TFrame f;
        config.WritePart(p, f);
    }
    for (int u = 1; u <= TConfig::MaxUser; ++u) {
        TFrame f;
        config.WriteUser(u, f);
    }
    for (int a = 1; a <= static_cast<int>(Kinds.size()); ++a) {
        config.DropLoopRefs(a, 1);
        config.UnbindDeviceRefs(a, a % 2 == 0);
    }
    config.UnbindPartition(1);
    return 0;
}
