// mirelvane-record: records the motion-sensor ball, or several, without a window. See --help.
#include <QCoreApplication>
#include <cstdio>

#include "app/command_line.h"
#include "app/log_file.h"
#include "record/record_options.h"
#include "record/recorder.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    tRecordOptions options;
    const tRecordParse parsed = ParseRecordOptions(arguments, options);
    switch (parsed.result) {
        case tRecordParse::Help:
            std::fputs(RecordUsage().toUtf8().constData(), stdout);
            return kExitDone;
        case tRecordParse::Version:
            std::fputs(RecordVersion().toUtf8().constData(), stdout);
            return kExitDone;
        case tRecordParse::Error:
            std::fprintf(stderr, "mirelvane-record: %s (see --help)\n", parsed.error.toUtf8().constData());
            return kExitUsage;
        case tRecordParse::Run:
            break;
    }
    // The session writes a trace only when asked with "-LOG"; the recorder never asks.
    SetCommandLine({app.applicationFilePath()});
    tLogFile log(QString(), QStringList{app.applicationFilePath()});
    LogFile = &log;
    int code = kExitDone;
    {
        tRecorder recorder(options, app.applicationFilePath());
        code = recorder.Run();
    }
    LogFile = nullptr;
    return code;
}
