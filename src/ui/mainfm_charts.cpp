// The master chart and the three page charts.
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/chart.h"
#include "ui/mainfm.h"

namespace {
struct tChannelLook {
    const char* master;
    const char* title;
    QColor colour;
    bool masterOnRight;
};

const tChannelLook kChannels[kChannelCount] = {
    {"Series1", "AccX", QColor(255, 0, 0), false},    {"Series2", "AccY", QColor(0, 255, 0), false},
    {"Series3", "AccZ", QColor(0, 80, 255), false},   {"Series4", "GyroX", QColor(128, 0, 0), true},
    {"Series5", "GyroY", QColor(0, 128, 0), true},    {"Series6", "GyroZ", QColor(0, 0, 128), true},
    {"Series7", "Roll", QColor(255, 0, 128), false},  {"Series8", "Pitch", QColor(64, 128, 128), false},
    {"Series9", "Yaw", QColor(0, 0, 255), false},
};

// The ranges of the window definition, shown until a range reply or a Start sets the limits.
constexpr double kAccDesign[2] = {-80.01, 80.0};
constexpr double kGyroDesign[2] = {-2000.01, 2000.0};
constexpr double kAngleDesign[2] = {-360.01, 360.0};
constexpr double kAccStep = 20, kGyroStep = 500, kAngleStep = 90, kTimeStep = 5;

const char* const kAccGyroNames[6] = {"sAccX_AccGyro",  "sAccY_AccGyro",  "sAccZ_AccGyro",
                                      "sGyroX_AccGyro", "sGyroY_AccGyro", "sGyroZ_AccGyro"};
const char* const kAccAngNames[6] = {"sAccX_AccAng", "sAccY_AccAng", "sAccZ_AccAng",
                                     "sAngR_AccAng", "sAngP_AccAng", "sAngY_AccAng"};
const char* const kGyroAngNames[6] = {"sGyroX_GyroAng", "sGyroY_GyroAng", "sGyroZ_GyroAng",
                                      "sAngR_GyroAng",  "sAngP_GyroAng",  "sAngY_GyroAng"};

TChart* MakeChart(QWidget* page, const char* name) {
    auto* chart = new TChart(QLatin1String(name), page);
    page->layout()->addWidget(chart);
    return chart;
}

void SetVertical(QCPAxis* axis, const double (&range)[2], double step) {
    TChart::SetAxis(axis, range[0], range[1], step);
}
}  // namespace

void TfmMain::CreateCharts() {
    CreateMasterChart();
    chAccGyro = MakeChart(tsAccGyro, "chAccGyro");
    chAccAng = MakeChart(tsAccAng, "chAccAng");
    chGyroAng = MakeChart(tsGyroAng, "chGyroAng");
    CreatePageChart(chAccGyro, {0, 1, 2, 3, 4, 5},
                    {QStringLiteral("a, м/с^2"), QStringLiteral("Угловая скорость, °/сек"),
                     QStringLiteral("t, с")});
    CreatePageChart(chAccAng, {0, 1, 2, 6, 7, 8},
                    {QStringLiteral("a, м/с^2"), QStringLiteral("Угол, °"), QStringLiteral("t, с")});
    CreatePageChart(chGyroAng, {3, 4, 5, 6, 7, 8},
                    {QStringLiteral("Угловая скорость, °/сек"), QStringLiteral("Угол, °"),
                     QStringLiteral("t, c")});
    SetVertical(chAccGyro->LeftAxis(), kAccDesign, kAccStep);
    SetVertical(chAccGyro->RightAxis(), kGyroDesign, kGyroStep);
    SetVertical(chAccAng->LeftAxis(), kAccDesign, kAccStep);
    SetVertical(chAccAng->RightAxis(), kAngleDesign, kAngleStep);
    SetVertical(chGyroAng->LeftAxis(), kGyroDesign, kGyroStep);
    SetVertical(chGyroAng->RightAxis(), kAngleDesign, kAngleStep);
    for (TChart* chart : Charts()) {
        chart->SetLegendTextHandler(
            [this](TChart* c, QString& text, int index) { chAllGetLegendText(c, text, index); });
        chart->RefreshLegend();
    }
}

void TfmMain::CreateMasterChart() {
    chAll = MakeChart(TabSheet2, "chAll");
    for (int channel = 0; channel < kChannelCount; ++channel) {
        const tChannelLook& look = kChannels[channel];
        TChartSeries* series = chAll->AddSeries(QLatin1String(look.master), QLatin1String(look.title),
                                                look.colour, look.masterOnRight);
        series->SetTag(channel);
        masterPoints_[channel] = series->Points();
    }
    chAll->SetLegendFramed(true);
    SetVertical(chAll->LeftAxis(), kAccDesign, kAccStep);
    SetVertical(chAll->RightAxis(), kGyroDesign, kGyroStep);
    TChart::SetAxis(chAll->BottomAxis(), TimeWindow.Min, TimeWindow.Max, kTimeStep);
}

// A page chart: three channels on the left axis, three on the right, each series showing the
// points of its master series.
void TfmMain::CreatePageChart(TChart* chart, const int (&channels)[6], const QString (&titles)[3]) {
    const char* const* names = chart == chAccGyro ? kAccGyroNames
                               : chart == chAccAng ? kAccAngNames
                                                   : kGyroAngNames;
    for (int i = 0; i < 6; ++i) {
        const int channel = channels[i];
        TChartSeries* master = MasterSeries(channel);
        TChartSeries* series =
            chart->AddSeries(QLatin1String(names[i]), master->Title(), kChannels[channel].colour,
                             i >= 3, master->SharedPoints());
        series->SetTag(channel);
    }
    chart->SetLegendFramed(false);
    TChart::SetAxisTitle(chart->LeftAxis(), titles[0]);
    TChart::SetAxisTitle(chart->RightAxis(), titles[1]);
    TChart::SetAxisTitle(chart->BottomAxis(), titles[2]);
    TChart::SetAxis(chart->BottomAxis(), TimeWindow.Min, TimeWindow.Max, kTimeStep);
}
