// Runs both roads on the files named (the benchmark's images) and names every difference.
//   road_identity FILE...
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "stream/road_identity.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        tintwell::TCountingOptions options;
        options.Workers = std::thread::hardware_concurrency() > 1 ? 1 : 0;
        const tintwell::test::TRoadComparison comparison = tintwell::test::CompareRoads(argv[i], options);
        if (!comparison.Difference.empty()) {
            std::printf("%s: DIFFERENT: %s\n", argv[i], comparison.Difference.c_str());
            ++failures;
        } else {
            std::printf("%s: %s\n", argv[i], comparison.Streamed ? "identical" : "not streamed");
        }
    }
    return failures == 0 ? 0 : 1;
}
