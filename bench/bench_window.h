#pragma once
// What the window benchmarks share: an offscreen application with the window's resources and a
// log that discards its lines, and a main window on an empty settings file of its own.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/log_file.h"
#include "ui/mainfm.h"
#include "ui/ui_resources.h"

// A main window in `folder`, beside an empty settings file.
inline std::unique_ptr<TfmMain> MakeBenchWindow(const QTemporaryDir& folder) {
    QFile cfg(folder.filePath(QStringLiteral("mirelvane.cfg")));
    cfg.open(QIODevice::WriteOnly);
    cfg.close();
    return std::make_unique<TfmMain>(folder.filePath(QStringLiteral("mirelvane")));
}

// Runs the benchmarks of the program; `beforeExit` releases what must go before the
// application (the windows).
inline int RunWindowBenchmarks(int argc, char** argv,
                               const std::function<void()>& beforeExit = nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitUiResources();
    tLogFile log(QStringLiteral("/nonexistent/bench.log"), QStringList{QStringLiteral("bench")});
    LogFile = &log;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeExit) beforeExit();
    LogFile = nullptr;
    return 0;
}
