#pragma once

#include <QString>
#include <vector>

#include "model/record_reader.h"
#include "record/host_time_map.h"

// The clock points of a journal as the host-time map takes them.
std::vector<tHostClockPoint> JournalClockPoints(const tRecordInfo& info);
