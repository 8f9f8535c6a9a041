// The simulator's request path: whatever a hostile tool sends, the module answers or stays
// silent, and never crashes. Input: requests separated where an end marker (0x7F) stands, fed
// one after the other to one module, so that sequences of commands reach its deeper states.

#include "model/uConfig.h"
#include "sim/uDemoSite.h"
#include "sim/uSimCore.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TConfig config;
    FillDemoSite(config);
    TModuleCore module(config);
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    qsizetype start = 0;
    while (start < input.size()) {
        qsizetype end = input.indexOf('\x7F', start);
        if (end < 0)
            end = input.size() - 1;
        module.Handle(input.mid(start, end - start + 1));
        start = end + 1;
    }
    return 0;
}
