#include "ui/chart_record.h"

#include "ui/chart.h"

int tChartRecord::Count() const { return master_->SeriesCount() > 0 ? master_->Series(0)->Count() : 0; }

double tChartRecord::Time(int index) const { return master_->Series(0)->Points()->TimeAt(index); }

double tChartRecord::Value(int channel, int index) const {
    return master_->Series(channel)->Points()->ValueAt(index);
}

void tChartRecord::ReadValues(int channel, int first, int count, double* out) const {
    const tSeriesData* points = master_->Series(channel)->Points();
    for (int i = 0; i < count; ++i) out[i] = points->ValueAt(first + i);
}
