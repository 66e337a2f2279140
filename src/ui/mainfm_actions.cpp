// The action list, the main menu and the tool bar.
#include <QAction>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <initializer_list>

#include "ui/icon_set.h"
#include "ui/mainfm.h"

namespace {
constexpr QSize kToolButtonSize(31, 30);

QString MenuText(const QAction* action) {
    const QKeySequence key = action->shortcut();
    if (key.isEmpty()) return action->text();
    return action->text() + QLatin1Char('\t') + key.toString(QKeySequence::NativeText);
}
}  // namespace

QAction* TfmMain::MakeAction(const char* name, const char* category, const QString& caption,
                             const QString& hint, int image) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    action->setProperty("Category", QLatin1String(category));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setIcon(ActionIcon(image));
    action->setProperty("ImageIndex", image);
    action->setIconVisibleInMenu(true);
    // Shortcuts belong to the window, so they work whether or not a menu or button shows them.
    addAction(action);
    return action;
}

void TfmMain::CreateActions() {
    acDeviceConnect = MakeAction("acDeviceConnect", "Device", QStringLiteral("П&одключение..."),
                                 QStringLiteral("Подключиться к устройству"), 2);
    acDeviceStart = MakeAction("acDeviceStart", "Device", QStringLiteral("&Старт..."),
                               QStringLiteral("Запустить измерения"), 3);
    acDevicePause = MakeAction("acDevicePause", "Device", QStringLiteral("&Пауза"),
                               QStringLiteral("Приостановить/возобновить измерения"), 4);
    acDeviceStop = MakeAction("acDeviceStop", "Device", QStringLiteral("С&топ"),
                              QStringLiteral("Остановить измерения"), 5);
    acDeviceCalibrate = MakeAction("acDeviceCalibrate", "Device", QStringLiteral("&Калибровка"),
                                   QStringLiteral("Произвести калибровку устройства"), 11);
    acDeviceAccCalibrate = MakeAction("acDeviceAccCalibrate", "Device",
                                      QStringLiteral("acDeviceAccCalibrate"), QString(), -1);
    acDeviceSettings = MakeAction("acDeviceSettings", "Device", QStringLiteral("&Настройки..."),
                                  QStringLiteral("Изменить настройки устройства"), 6);
    acFileSetZeroMarker =
        MakeAction("acFileSetZeroMarker", "File", QStringLiteral("&Начало отсчета"),
                   QStringLiteral("Установить начало остчета времени"), 7);
    acFileMarkPoint = MakeAction("acFileMarkPoint", "File", QStringLiteral("&Отметить"),
                                 QStringLiteral("Отметить точку для экспорта"), 9);
    acFileShowAll = MakeAction("acFileShowAll", "File", QStringLiteral("Показать &всe"),
                               QStringLiteral("Показать все данные на экране"), 12);
    acFileOpen = MakeAction("acFileOpen", "File", QStringLiteral("Открыть &запись..."),
                            QStringLiteral("Открыть журнал измерения или файл экспорта"), -1);
    acFileExport = MakeAction("acFileExport", "File", QStringLiteral("&Экспорт..."),
                              QStringLiteral("Экспорт данных в файл"), 8);
    acFileExit = MakeAction("acFileExit", "File", QStringLiteral("&Выход..."),
                            QStringLiteral("Выйти из программы"), 0);
    acViewChooseCoord =
        MakeAction("acViewChooseCoord", "View", QStringLiteral("&Относительные показания"),
                   QStringLiteral("Выбор относительных показаний для датчиков"), 10);
    acViewToolBar = MakeAction("acViewToolBar", "View", QStringLiteral("&Панель инструментов"),
                               QStringLiteral("Показать/спрятать панель инструментов"), -1);
    acViewStatusBar = MakeAction("acViewStatusBar", "View", QStringLiteral("&Строка состояния"),
                                 QStringLiteral("Позазать/спрятать строку состояния"), -1);
    acHelpAbout = MakeAction(
        "acHelpAbout", "Help", QStringLiteral("&О программе..."),
        QStringLiteral("Вывести информацию о программе, разработчике и авторских правах"), 1);

    acDeviceConnect->setShortcut(QKeySequence(Qt::ALT | Qt::Key_C));
    acDeviceStart->setShortcut(QKeySequence(Qt::ALT | Qt::Key_S));
    acDevicePause->setShortcut(QKeySequence(Qt::ALT | Qt::Key_P));
    acDeviceStop->setShortcut(QKeySequence(Qt::ALT | Qt::Key_T));
    acDeviceAccCalibrate->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P));
    acDeviceSettings->setShortcut(QKeySequence(Qt::ALT | Qt::Key_O));
    acFileExit->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_X),
                              QKeySequence(Qt::ALT | Qt::Key(0x0427 /* Cyrillic Che */))});

    for (QAction* toggle : {acDeviceConnect, acDevicePause, acFileSetZeroMarker, acFileShowAll,
                            acViewToolBar, acViewStatusBar})
        toggle->setCheckable(true);
    acViewToolBar->setChecked(true);
    acViewStatusBar->setChecked(true);
    // The device settings are part of the window definition but never offered.
    acDeviceSettings->setVisible(false);
    BindActions();
}

void TfmMain::BindActions() {
    BindAction(acDeviceConnect, &TfmMain::acDeviceConnectUpdate, &TfmMain::acDeviceConnectExecute);
    BindAction(acDeviceStart, &TfmMain::acDeviceStartUpdate, &TfmMain::acDeviceStartExecute);
    BindAction(acDevicePause, &TfmMain::acDevicePauseUpdate, &TfmMain::acDevicePauseExecute);
    // The measurement follows the check however it changes (a rule that clears it too).
    connect(acDevicePause, &QAction::toggled, this, [this](bool paused) { session_->SetPaused(paused); });
    BindAction(acDeviceStop, &TfmMain::acDeviceStopUpdate, &TfmMain::acDeviceStopExecute);
    BindAction(acViewChooseCoord, &TfmMain::acViewChooseCoordUpdate,
               &TfmMain::acViewChooseCoordExecute);
    BindAction(acDeviceCalibrate, &TfmMain::acDeviceCalibrateUpdate,
               &TfmMain::acDeviceCalibrateExecute);
    BindAction(acDeviceAccCalibrate, &TfmMain::acDeviceAccCalibrateUpdate,
               &TfmMain::acDeviceAccCalibrateExecute);
    BindAction(acFileSetZeroMarker, &TfmMain::acFileSetZeroMarkerUpdate, nullptr);
    BindAction(acFileMarkPoint, &TfmMain::acFileMarkPointUpdate, &TfmMain::acFileMarkPointExecute);
    BindAction(acFileShowAll, &TfmMain::acFileShowAllUpdate, &TfmMain::acFileShowAllExecute);
    BindAction(acFileExport, &TfmMain::acFileExportUpdate, &TfmMain::acFileExportExecute);
    BindAction(acFileOpen, &TfmMain::acFileOpenUpdate, &TfmMain::acFileOpenExecute);
    BindAction(acFileExit, nullptr, &TfmMain::acFileExitExecute);
    BindAction(acViewToolBar, nullptr, &TfmMain::acViewToolBarExecute);
    BindAction(acViewStatusBar, nullptr, &TfmMain::acViewStatusBarExecute);
}

void TfmMain::BindAction(QAction* action, tHandler update, tHandler execute) {
    if (update) updates_.append(update);
    if (!update && !execute) return;
    connect(action, &QAction::triggered, this,
            [this, action, update, execute] { RunAction(action, update, execute); });
}

// The rule runs right before the command; a rule that leaves the action disabled cancels the
// command, and a toggle that Qt has already flipped is flipped back.
void TfmMain::RunAction(QAction* action, tHandler update, tHandler execute) {
    if (update) {
        const bool flipped = action->isChecked();
        (this->*update)();
        if (!action->isEnabled()) {
            if (action->isCheckable() && action != acDeviceConnect)
                action->setChecked(!flipped);
            return;
        }
    }
    if (execute) (this->*execute)();
}

void TfmMain::LinkMenuItem(QMenu* menu, QAction* action, const char* name) {
    // A menu entry of its own that shows the action: its caption, image, shortcut, check and
    // enabled state follow the action, and choosing it runs the action. The shortcut is only
    // shown, so it stays registered once, on the action.
    auto* item = new QAction(menu);
    item->setObjectName(QLatin1String(name));
    auto sync = [item, action] {
        item->setText(MenuText(action));
        item->setIcon(action->icon());
        item->setStatusTip(action->statusTip());
        item->setEnabled(action->isEnabled());
        item->setVisible(action->isVisible());
        item->setCheckable(action->isCheckable());
        item->setChecked(action->isChecked());
    };
    sync();
    connect(action, &QAction::changed, item, sync);
    connect(item, &QAction::triggered, action, [action] { action->trigger(); });
    menu->addAction(item);
}

void TfmMain::CreateMenus() {
    mmMain = menuBar();
    mmMain->setObjectName(QStringLiteral("mmMain"));
    auto menu = [this](const QString& caption, const char* name) {
        QMenu* m = mmMain->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    // Entries in order; an entry without an action is a separator.
    struct tEntry {
        QAction* action;
        const char* name;
    };
    auto fill = [this](QMenu* m, std::initializer_list<tEntry> entries) {
        for (const tEntry& e : entries) {
            if (e.action)
                LinkMenuItem(m, e.action, e.name);
            else
                m->addSeparator();
        }
    };

    miFile = menu(QStringLiteral("&Файл"), "miFile");
    miFileLanguage = miFile->addMenu(QStringLiteral("&Language"));
    miFileLanguage->setObjectName(QStringLiteral("miFileLanguage"));
    miFileSeparator1 = miFile->addSeparator();
    miFileSeparator1->setObjectName(QStringLiteral("miFileSeparator1"));
    fill(miFile, {{acFileOpen, "miFileOpen"}, {acFileSetZeroMarker, "miFileSetZeroMarker"},
                  {acFileMarkPoint, "miFileMarkPoint"}, {acFileExport, "miFileExport"},
                  {acFileShowAll, "miFileShowAll"}, {nullptr, nullptr}, {acFileExit, "miFileExit"}});
    miView = menu(QStringLiteral("&Вид"), "miView");
    fill(miView, {{acViewToolBar, "miViewToolBar"}, {acViewStatusBar, "miViewStatusBar"},
                  {nullptr, nullptr}});
    miDevice = menu(QStringLiteral("&Устройство"), "miDevice");
    fill(miDevice, {{acDeviceConnect, "miDeviceConnect"}, {acDeviceSettings, "miDeviceSettings"},
                    {nullptr, nullptr}, {acDeviceStart, "miDeviceStart"},
                    {acDevicePause, "miDevicePause"}, {acDeviceStop, "miDeviceStop"},
                    {nullptr, nullptr}, {acDeviceCalibrate, "miDeviceCalibrate"}});
    miHelp = menu(QStringLiteral("&?"), "miHelp");
    fill(miHelp, {{acHelpAbout, "miHelpAbout"}});
}

void TfmMain::CreateToolBar() {
    tlbMain = addToolBar(QStringLiteral("tlbMain"));
    tlbMain->setObjectName(QStringLiteral("tlbMain"));
    tlbMain->setMovable(false);
    tlbMain->setFloatable(false);
    tlbMain->setIconSize(QSize(kIconSize, kIconSize));
    tlbMain->setContextMenuPolicy(Qt::PreventContextMenu);
    tlbMain->toggleViewAction()->setVisible(false);

    int separators = 0;
    auto separator = [this, &separators] {
        QAction* s = tlbMain->addSeparator();
        s->setObjectName(QStringLiteral("tbSeparator%1").arg(separators++));
    };
    auto button = [this](QAction* action, const char* name) {
        tlbMain->addAction(action);
        QWidget* widget = tlbMain->widgetForAction(action);
        widget->setObjectName(QLatin1String(name));
        widget->setFixedSize(kToolButtonSize);
    };
    button(acDeviceConnect, "tbDeviceConnect");
    button(acDeviceSettings, "tbDeviceSettings");
    button(acDeviceCalibrate, "tbDeviceCalibrate");
    separator();
    button(acDeviceStart, "tbDeviceStart");
    button(acDevicePause, "tbDevicePause");
    button(acDeviceStop, "tbDeviceStop");
    separator();
    button(acFileSetZeroMarker, "tbFileSetZeroMarker");
    button(acFileMarkPoint, "tbFileMarkPoint");
    button(acFileShowAll, "tbViewShowAll");
    button(acFileExport, "tbFileExport");
    CreateChooseCoordButton();
    separator();
    separator();
    button(acFileExit, "tbFileExit");
    separator();
    CreateRangeLists();
    tlbMain->addWidget(cbAcc);
    tlbMain->addWidget(cbGyro);
    lbTime = new QLabel(tlbMain);
    lbTime->setObjectName(QStringLiteral("lbTime"));
    QFont timeFont = lbTime->font();
    timeFont.setBold(true);
    timeFont.setPixelSize(16);
    lbTime->setFont(timeFont);
    lbTime->setContentsMargins(8, 0, 8, 0);
    tlbMain->addWidget(lbTime);
}

// The relative-readings button: its face runs the action, its arrow opens pmZero.
void TfmMain::CreateChooseCoordButton() {
    CreateZeroMenu();
    tbViewChooseCoord = new QToolButton(tlbMain);
    tbViewChooseCoord->setObjectName(QStringLiteral("tbViewChooseCoord"));
    tbViewChooseCoord->setDefaultAction(acViewChooseCoord);
    tbViewChooseCoord->setMenu(pmZero);
    tbViewChooseCoord->setPopupMode(QToolButton::MenuButtonPopup);
    tbViewChooseCoord->setAutoRaise(true);
    tbViewChooseCoord->setIconSize(QSize(kIconSize, kIconSize));
    tbViewChooseCoord->setFixedSize(kToolButtonSize + QSize(14, 0));
    tlbMain->addWidget(tbViewChooseCoord);
}
