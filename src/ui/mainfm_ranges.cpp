// Relative readings (the pmZero menu) and the sensor ranges (cbAcc, cbGyro).
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "ui/chart.h"
#include "ui/mainfm.h"

namespace {
constexpr int kListWidth = 145;

QComboBox* MakeRangeList(QWidget* parent, const char* name, const QStringList& entries,
                         int selected) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->addItems(entries);
    list->setCurrentIndex(selected);
    list->setFixedWidth(kListWidth);
    list->setEnabled(false);
    return list;
}
}  // namespace

void TfmMain::CreateZeroMenu() {
    pmZero = new QMenu(this);
    pmZero->setObjectName(QStringLiteral("pmZero"));
    QAction* heading = pmZero->addAction(QStringLiteral("Относительные показания по:"));
    heading->setObjectName(QStringLiteral("N1"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    const char* const names[kChannelCount] = {"miAccX",  "miAccY",  "miAccZ", "miGyroX", "miGyroY",
                                              "miGyroZ", "miRoll", "miPitch", "miYaw"};
    const char* const captions[kChannelCount] = {
        "Ускорение X",        "Ускорение Y",        "Ускорение Z",
        "Угловая скорость X", "Угловая скорость Y", "Угловая скорость Z",
        "Угол X",             "Угол Y",             "Угол Z"};
    int separator = 2;
    for (int k = 0; k < kChannelCount; ++k) {
        if (k % 3 == 0) {
            QAction* s = pmZero->addSeparator();
            s->setObjectName(QStringLiteral("N%1").arg(separator++));
        }
        QAction* item = pmZero->addAction(QString::fromUtf8(captions[k]));
        item->setObjectName(QLatin1String(names[k]));
        item->setCheckable(true);
        pmZeroItems[k] = item;
        connect(item, &QAction::toggled, this, [this, k](bool on) { session_->SetRelative(k, on); });
    }
}

void TfmMain::CreateRangeLists() {
    cbAcc = MakeRangeList(tlbMain, "cbAcc",
                          {QStringLiteral("± 16g"), QStringLiteral("± 8g"), QStringLiteral("± 4g"),
                           QStringLiteral("± 2g")},
                          3);
    cbGyro = MakeRangeList(tlbMain, "cbGyro",
                           {QStringLiteral("2000 °/сек"), QStringLiteral("1000 °/сек"),
                            QStringLiteral("500 °/сек"), QStringLiteral("250 °/сек"),
                            QStringLiteral("125 °/сек")},
                           0);
    // Only a pick by the user sends a range; a language that reselects the entries does not.
    connect(cbAcc, &QComboBox::activated, this, &TfmMain::cbAccChange);
    connect(cbGyro, &QComboBox::activated, this, &TfmMain::cbGyroChange);
}

void TfmMain::acViewChooseCoordExecute() { tbViewChooseCoord->showMenu(); }

// The ball took a new full scale: the axes of that sensor follow it.
void TfmMain::RangeApplied(bool acceleration, int b, const tAxisLimits& limits) {
    const double step = acceleration ? AccStepForRange(b) : GyroStepForRange(b);
    const QVector<QCPAxis*> axes =
        acceleration ? QVector<QCPAxis*>{chAll->LeftAxis(), chAccGyro->LeftAxis(), chAccAng->LeftAxis()}
                     : QVector<QCPAxis*>{chAll->RightAxis(), chAccGyro->RightAxis(), chGyroAng->LeftAxis()};
    for (QCPAxis* axis : axes) TChart::SetAxis(axis, limits.Min, limits.Max, step);
    RepaintVisibleChart();
}

void TfmMain::cbAccChange() { session_->SetAccRange(cbAcc->currentIndex(), cbAcc->currentText()); }

void TfmMain::cbGyroChange() {
    session_->SetGyroRange(cbGyro->currentIndex(), cbGyro->currentText());
}
