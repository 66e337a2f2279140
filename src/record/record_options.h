#pragma once

#include <QString>
#include <QStringList>

// The command line of mirelvane-record.
struct tRecordOptions {
    enum Format { Window, Data, Bids };

    QStringList ports;     // --port PATH, in order; empty: --all or the first ball found
    bool all = false;      // --all: every ball that answers
    double duration = 0;   // --duration SECONDS; 0: no limit
    long long lines = 0;   // --lines N; 0: no limit
    QString out = QStringLiteral(".");  // --out DIR
    QString name;          // --name TEXT; empty: the journal's start time
    Format format = Window;             // --format window|data|bids
    QString config;        // --config FILE
    QString subject = QStringLiteral("01");         // --subject LABEL (BIDS)
    QString task = QStringLiteral("recording");     // --task LABEL (BIDS)
    bool quiet = false;    // --quiet: only events and errors
};

struct tRecordParse {
    enum Result { Run, Help, Version, Error } result = Run;
    QString error;  // one line, for Error
};

// Reads the arguments after the program's name. "--name=value" and "--name value" both work.
tRecordParse ParseRecordOptions(const QStringList& arguments, tRecordOptions& options);

// The text of --help and of --version.
QString RecordUsage();
QString RecordVersion();

// Exit codes.
enum tRecordExit {
    kExitDone = 0,
    kExitUsage = 2,
    kExitNoBall = 3,
    kExitBallLost = 4,
    kExitFileFailed = 5,
};
