// Times the check of the largest configuration before it goes to the module: the module, 109
// "ВЕКТ-24Р" panels with every loop bound, 127 partitions with their SMS records, 255 users. It
// must take under 20 ms, so that the editor can check at every whole write without a wait.
// Usage: lorim_bench_check [rounds]   (exit status 1 when the best round takes longer)

#include "model/uCheck.h"
#include "model/uConfig.h"
#include "uMaximal.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    constexpr double LimitMs = 20;
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    TConfig config;
    FillMaximal(config);
    double best = 1e9;
    QList<TProblem> problems;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        problems = CheckConfig(config);
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    std::printf("devices: %d, partitions: %d, users: %d\n%s\ncheck: %.2f ms (best of %d rounds, "
                "limit %.0f ms)\n",
                config.DeviceCount(), config.PartCount(), config.UserCount(),
                qPrintable(ProblemCounts(problems)), best, rounds, LimitMs);
    return best < LimitMs ? 0 : 1;
}
