// Times saving and loading the largest configuration through the configuration file layer.
// Usage: lorim_bench_db [rounds]   (the template config.md_ must lie beside the program)

#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "uMaximal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

int RowCount(TConfig &c)
{
    int rows = c.PartCount() * 4 + c.DeviceCount() * 2 + c.UserCount();
    for (int a = 1; a <= TConfig::MaxAddress; ++a)
        if (const TDevice *d = c.Device(a)) {
            if (const TVEKT *v = d->AsVEKT())
                rows += v->Count();
            else if (const TRelayDev *r = d->AsRelayDev())
                rows += r->Count();
            else if (const TIndicDev *i = d->AsIndicDev())
                rows += i->Count();
        }
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    InitAppDir();
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("max.cfg"));

    TConfig config;
    FillMaximal(config);
    double bestSave = 1e9;
    double bestLoad = 1e9;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        if (SaveConfigFile(config, path, AppDir + QStringLiteral("config.md_"), nullptr, nullptr) !=
            TSaveResult::Saved) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }
        bestSave = std::min(bestSave, t.nsecsElapsed() / 1e6);

        TConfig loaded;
        t.restart();
        TDBConfig db(&loaded, nullptr);
        if (!db.Connect(path) || !db.LoadConfig()) {
            std::fprintf(stderr, "load failed\n");
            return 1;
        }
        bestLoad = std::min(bestLoad, t.nsecsElapsed() / 1e6);
    }
    std::printf("rows: %d\nsave: %.1f ms\nload: %.1f ms\n(best of %d rounds)\n", RowCount(config),
                bestSave, bestLoad, rounds);
    return 0;
}
