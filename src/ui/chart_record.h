#pragma once

#include "model/record_view.h"

class TChart;

// The recorded samples as the master chart holds them, one series per channel, for the logic
// that reads a record (nearest sample, markers, export). It reads the series in place.
class tChartRecord : public tRecordView {
public:
    explicit tChartRecord(const TChart* master) : master_(master) {}

    int Count() const override;
    double Time(int index) const override;
    double Value(int channel, int index) const override;
    void ReadValues(int channel, int first, int count, double* out) const override;

private:
    const TChart* master_;
};
