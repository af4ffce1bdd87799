#include "app/TKWController.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace tockwise;

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    TKWController::initialize();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
