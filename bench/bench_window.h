#pragma once
// What the window benchmarks share: an offscreen application with the window's resources, a
// log that discards its lines, folders of its own in place of the user's, and a main window on
// an empty settings file of its own.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/log_file.h"
#include "support/environment.h"
#include "support/message_box_answerer.h"
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
    // The user's records are never offered, rotated or removed by a benchmark's window.
    const PrivateUserFolders folders;
    QApplication app(argc, argv);
    // Nothing waits for an answer: a question the program asks is declined.
    const MessageBoxAnswerer decline({}, QMessageBox::No);
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
