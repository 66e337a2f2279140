#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "record/host_time_map.h"
#include "record/record_options.h"

// One ball's part of a recording, for the exports at its end.
struct tBallExport {
    int number = 1;     // 1-based, in the order the balls were named or found
    QString port;
    QString journal;    // the journal's path
    QString base;       // window and data formats: the files' path without extension
    QString error;      // why this ball's export failed; "" when written
    QStringList written;
};

struct tExportPlan {
    tRecordOptions::Format format = tRecordOptions::Window;
    QString out;                 // the folder (the dataset's root for BIDS)
    QString subject, task;       // BIDS labels
    bool sharedTime = false;     // several balls: the t_host column
};

// Reads each ball's journal back (twice, so memory stays flat however long it ran) and writes
// its export, its events and, for BIDS, what the dataset needs around them. The shared time
// starts at the earliest first sample of all balls on the host clock. False when any file
// could not be written; each ball's `error` says which.
// `sharedStart`, when given, receives the host's monotonic seconds at t_host 0.
bool ExportRecording(const tExportPlan& plan, std::vector<tBallExport>& balls,
                     double* sharedStart = nullptr);

// The channels' names in the data and BIDS formats, in channel order.
extern const char* const kDataChannelNames[];

// A path `base` + each of `suffixes` for which no file exists: `base`, else `base-2`, ...
QString FreeBase(const QString& base, const QStringList& suffixes);
