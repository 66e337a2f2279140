// The pages, the right panel, the motor slider, the status bar and the timers.
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "base/builtin_texts.h"
#include "controls/slim_track_bar.h"
#include "ui/mainfm.h"
#include "ui/value_list_editor.h"

namespace {
constexpr int kPanelWidth = 185;

QWidget* MakePage(QTabWidget* pages, const char* name, const QString& caption) {
    auto* page = new QWidget(pages);
    page->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    pages->addTab(page, caption);
    return page;
}

QLabel* MakePanel(QStatusBar* bar, int width, Qt::Alignment alignment) {
    auto* panel = new QLabel(bar);
    panel->setAlignment(alignment | Qt::AlignVCenter);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    if (width > 0) panel->setFixedWidth(width);
    return panel;
}
}  // namespace

void TfmMain::CreatePages() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("pnMain"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    column->addLayout(row, 1);

    pcChart = new QTabWidget(central);
    pcChart->setObjectName(QStringLiteral("pcChart"));
    pcChart->setDocumentMode(true);
    pcChart->setUsesScrollButtons(false);
    pcChart->setElideMode(Qt::ElideNone);
    tsAccGyro = MakePage(pcChart, "tsAccGyro", QStringLiteral("Ускорение и Угловая скорость"));
    tsAccAng = MakePage(pcChart, "tsAccAng", QStringLiteral("Ускорение и Угол"));
    tsGyroAng = MakePage(pcChart, "tsGyroAng", QStringLiteral("Угловая скорость и Угол"));
    TabSheet2 = MakePage(pcChart, "TabSheet2", QStringLiteral("TabSheet2"));
    // A page that comes into view shows what was recorded while it was hidden.
    connect(pcChart, &QTabWidget::currentChanged, this, [this] { RepaintVisibleChart(); });
    row->addWidget(pcChart, 1);

    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(kPanelWidth);
    row->addWidget(Panel1);
    setCentralWidget(central);
}

void TfmMain::CreateRightPanel() {
    auto* layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 2, 2, 2);
    layout->setSpacing(3);

    vleData = new TValueListEditor(Panel1);
    vleData->setObjectName(QStringLiteral("vleData"));
    vleData->SetTitleCaptions(QStringLiteral("Параметр"), QStringLiteral("Значение"));
    vleData->SetRows({QStringLiteral("ax, м/с^2"), QStringLiteral("ay, м/с^2"),
                      QStringLiteral("az, м/с^2"), QStringLiteral("wx, °/c"),
                      QStringLiteral("wy, °/c"), QStringLiteral("wz, °/c"),
                      QStringLiteral("фx, °"), QStringLiteral("фy, °"), QStringLiteral("фz, °"),
                      QStringLiteral("t0, c"), QStringLiteral("t, c"), QStringLiteral("dt, c")});
    vleData->SetColumnWidths(77, 100);
    layout->addWidget(vleData, 3);

    chSeries = new QListWidget(Panel1);
    chSeries->setObjectName(QStringLiteral("chSeries"));
    QFont bold = chSeries->font();
    bold.setBold(true);
    chSeries->setFont(bold);
    for (const char* caption : {"Ускорение X", "Ускорение Y", "Ускорение Z", "Угл. скор. X",
                                "Угл. скор. Y", "Угл. скор. Z", "Фx", "Фy", "фz"}) {
        auto* item = new QListWidgetItem(QString::fromUtf8(caption), chSeries);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    connect(chSeries, &QListWidget::itemChanged, this, &TfmMain::chSeriesClickCheck);
    layout->addWidget(chSeries, 2);

    vlePulse = new TValueListEditor(Panel1);
    vlePulse->setObjectName(QStringLiteral("vlePulse"));
    vlePulse->SetTitleCaptions(QStringLiteral("Параметр"), QStringLiteral("Значение"));
    vlePulse->SetValuesEditable(true);
    vlePulse->SetRows({QStringLiteral("Мощность, ед."), QStringLiteral("Длительность, мс")},
                      {QStringLiteral("128"), QStringLiteral("1000")});
    vlePulse->SetColumnWidths(117, 60);
    const int pulseHeight = vlePulse->horizontalHeader()->sizeHint().height() +
                            2 * vlePulse->verticalHeader()->defaultSectionSize() + 4;
    vlePulse->setFixedHeight(pulseHeight);
    vlePulse->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    vlePulse->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(vlePulse);

    bbPulse = new QPushButton(QStringLiteral("&Импульс"), Panel1);
    bbPulse->setObjectName(QStringLiteral("bbPulse"));
    layout->addWidget(bbPulse);
}

void TfmMain::CreateBottom() {
    auto* column = qobject_cast<QVBoxLayout*>(centralWidget()->layout());
    trMotor = new TSlimTrackBar(centralWidget());
    trMotor->setObjectName(QStringLiteral("trMotor"));
    trMotor->SetMin(0);
    trMotor->SetMax(255);
    trMotor->SetPosition(0);
    trMotor->SetPageSize(2);
    trMotor->SetLineSize(1);
    trMotor->SetThickness(6);
    trMotor->SetPadding(10);
    trMotor->SetFocusPadding(0);
    trMotor->SetOrientation(toHorizontal);
    trMotor->SetClickFocus(false);
    trMotor->SetSliderVisible(true);
    trMotor->SetPosHighlight(true);
    trMotor->SetSelStart(0);
    trMotor->SetSelEnd(0);
    trMotor->SetColor(QPalette::Button);
    trMotor->SetShadowColor(QPalette::Dark);
    trMotor->SetHighlightColor(QPalette::Light);
    trMotor->SetTrackColor(QColor(0, 0, 255));
    trMotor->SetSelectionColor(QPalette::Highlight);
    trMotor->SetPosHighlightColor(QColor(255, 0, 0));
    trMotor->setFocusPolicy(Qt::NoFocus);
    trMotor->setFixedHeight(30);
    column->addWidget(trMotor);

    lbMotor = new QLabel(LangConst(QStringLiteral("LC_POWER_0")), centralWidget());
    lbMotor->setObjectName(QStringLiteral("lbMotor"));
    lbMotor->setAlignment(Qt::AlignCenter);
    QFont bold = lbMotor->font();
    bold.setBold(true);
    lbMotor->setFont(bold);
    lbMotor->setFixedHeight(17);
    column->addWidget(lbMotor);
}

void TfmMain::CreateStatusBar() {
    stbMain = statusBar();
    stbMain->setObjectName(QStringLiteral("stbMain"));
    stbMain->setSizeGripEnabled(true);
    const int clockWidth =
        int(QFontMetrics(stbMain->font()).horizontalAdvance(QStringLiteral(" 88:88:88 ")) * 1.5);
    stbPanels_[0] = MakePanel(stbMain, 0, Qt::AlignLeft);
    stbPanels_[1] = MakePanel(stbMain, 100, Qt::AlignHCenter);
    stbPanels_[2] = MakePanel(stbMain, 75, Qt::AlignHCenter);
    stbPanels_[3] = MakePanel(stbMain, 100, Qt::AlignLeft);
    stbPanels_[4] = MakePanel(stbMain, clockWidth, Qt::AlignLeft);
    // Panel 0 is the hint area: the bar shows hints over it, and the other panels stay.
    stbPanels_[0]->setFrameShape(QFrame::NoFrame);
    stbMain->addWidget(stbPanels_[0], 1);
    for (int i = 1; i < 5; ++i) {
        stbPanels_[i]->setObjectName(QStringLiteral("stbMainPanel%1").arg(i));
        stbMain->addPermanentWidget(stbPanels_[i]);
    }
    stbPanels_[0]->setObjectName(QStringLiteral("stbMainPanel0"));
}

void TfmMain::CreateTimers() {
    auto make = [this](const char* name, int interval) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QLatin1String(name));
        timer->setInterval(interval);
        return timer;
    };
    tmTime = make("tmTime", 300);
    // The drain of the stream runs with the measurement.
    tmStart = session_->DrainTimer();
    tmStart->setObjectName(QStringLiteral("tmStart"));
    tmBattery = make("tmBattery", 2000);
    tmTime->start();
    tmBattery->start();
}
