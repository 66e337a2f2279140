// The main routine of every test program: a Qt application object (a widget one for the
// window tests) and a log that discards its lines unless a test makes its own.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "app/command_line.h"
#include "app/log_file.h"
#include "support/environment.h"
#ifdef MIRELVANE_TEST_UI
#include "ui/ui_resources.h"
#endif

#if defined(MIRELVANE_TEST_FRAME)
#include "main/main_routine.h"
using TestApplication = tApplication;
#elif defined(MIRELVANE_TEST_GUI)
#include <QApplication>
using TestApplication = QApplication;
#else
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    // Window tests never need a real display; this also covers ctest's test discovery.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings, journals, logs and locks of the programs under test go to folders of the run's
    // own, never the user's.
    const PrivateUserFolders folders;
    ::testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
#ifdef MIRELVANE_TEST_UI
    InitUiResources();
#endif
    SetCommandLine(QStringList{QStringLiteral("tests")});
    auto log = std::make_unique<tLogFile>(QStringLiteral("/nonexistent/tests.log"),
                                          QStringList{QStringLiteral("tests")});
    LogFile = log.get();
    const int result = RUN_ALL_TESTS();
    LogFile = nullptr;
    return result;
}
