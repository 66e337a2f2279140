#include "main/main_routine.h"

#include <QMessageBox>
#include <memory>

#include "app/command_line.h"
#include "app/file_locations.h"
#include "app/int_conversion.h"
#include "app/log_file.h"
#include "app/settings.h"
#include "app/termination_signals.h"
#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "main/font_setter.h"
#include "main/single_instance.h"
#include "ui/handler_error.h"
#include "ui/mainfm.h"
#include "ui/qt_translation.h"
#include "ui/ui_resources.h"

namespace {
const QString kProductName = QStringLiteral("Mirelvane");

// The interface language that the settings ask for, or the thread's one without settings.
int StartLanguage(const tFileLocations& locations) {
    tSettings settings(false);
    try {
        settings.Load(locations.PrepareSettingsFile());
    } catch (...) {
        return ThreadUILanguage();
    }
    return StrToIntDef(settings.GetSettingByName(QStringLiteral("LanguageID")), kLangRussian);
}

void ShowFatalError(const QString& message) {
    QMessageBox box(QMessageBox::Critical, LoadStr(20000), message, QMessageBox::Ok);
    box.exec();
}

// The log that "-LOG" asks for. One that cannot be written is reported with its name, and the
// program goes on without it: the trace is for diagnosis, the measurement matters more.
tLogFile* OpenLog(const tFileLocations& locations) {
    if (FindCmdLineSwitch(QStringLiteral("LOG")) && !locations.IsPortable())
        locations.PrepareLogFolder();
    try {
        return new tLogFile(locations.LogFile());
    } catch (const Exception& e) {
        ShowFatalError(e.Message());
        return new tLogFile(locations.LogFile(), QStringList());
    }
}

// Steps of the first instance: the log, the start line, the window and its loop, the stop line.
void RunFirstInstance(const QString& programPath, const tFileLocations& locations,
                      tSingleInstance& instance) {
    LogFile = OpenLog(locations);
    try {
        LogFile->Write(LoadStr(5000));
        {
            std::unique_ptr<TfmMain> window(new TfmMain(programPath));
            QObject::connect(&instance, &tSingleInstance::restoreRequested, window.get(),
                             &TfmMain::RestoreFromOtherInstance);
            // A shutdown, a closed terminal or a service manager ends the measurement with
            // every line received, and the program as a close does.
            tTerminationSignals terminations;
            QObject::connect(&terminations, &tTerminationSignals::received, window.get(),
                             [&window](int signal) { window->EndBySignal(tTerminationSignals::Name(signal)); });
            window->show();
            QApplication::exec();
            // The window goes before the stop line, so that nothing it releases (the device,
            // its stream thread) can write after the last line or outlive the log.
        }
        LogFile->Write(LoadStr(5001) + QStringLiteral("\r\n"));
    } catch (const EAbort&) {
        delete LogFile;
        LogFile = nullptr;
        throw;
    } catch (const Exception& e) {
        LogFile->Write(e.Message() + QStringLiteral("\r\n"));
        delete LogFile;
        LogFile = nullptr;
        throw;
    } catch (...) {
        delete LogFile;
        LogFile = nullptr;
        throw;
    }
    delete LogFile;
    LogFile = nullptr;
}
}  // namespace

tApplication::tApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool tApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        ShowHandlerError(e.Message());
    } catch (const std::exception& e) {
        ShowHandlerError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

int RunMainRoutine(const QString& programPath) {
    try {
        QCoreApplication::setApplicationName(kProductName);
        tSingleInstance instance;
        if (!instance.Acquire()) return 0;
        // Qt makes some of its texts once, when a widget is built (a tab bar's scroll buttons),
        // so its translation has to be in force before the window exists.
        const tFileLocations locations(programPath);
        ApplyQtTranslation(StartLanguage(locations));
        RunFirstInstance(programPath, locations, instance);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        ShowFatalError(e.Message());
    } catch (...) {
        ShowFatalError(QStringLiteral("Unknown exception"));
    }
    return 0;
}

int MirelvaneMain(int argc, char** argv) {
    SetCommandLine(argc, argv);
    tApplication app(argc, argv);
    InitUiResources();
    SetTrueTypeFont();
    return RunMainRoutine(QCoreApplication::applicationFilePath());
}
