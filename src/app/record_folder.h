#pragma once

#include <QString>

// Where recording journals go when the setting "RecordFolder" is empty:
// $XDG_DATA_HOME/mirelvane/records, or ~/.local/share/mirelvane/records without it.
QString DefaultRecordFolder();
