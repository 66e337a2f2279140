#include "lang/window_texts.h"

#include <QStringList>

namespace {
struct ActionRow {
    int firstId;  // Category, Caption and Hint take firstId, firstId + 1 and firstId + 2
    const char* name;
    const char* category;
    const char* caption;
    const char* hint;
};

const ActionRow kActions[] = {
    {16, "acFileExit", "File", "&Выход...", "Выйти из программы"},
    {20, "acHelpAbout", "Help", "&О программе...",
     "Вывести информацию о программе, разработчике и авторских правах"},
    {229, "acViewToolBar", "View", "&Панель инструментов", "Показать/спрятать панель инструментов"},
    {232, "acViewStatusBar", "View", "&Строка состояния", "Позазать/спрятать строку состояния"},
    {235, "acDeviceConnect", "Device", "П&одключение...", "Подключиться к устройству"},
    {238, "acDeviceStart", "Device", "&Старт...", "Запустить измерения"},
    {241, "acDevicePause", "Device", "&Пауза", "Приостановить/возобновить измерения"},
    {244, "acDeviceStop", "Device", "С&топ", "Остановить измерения"},
    {247, "acDeviceSettings", "Device", "&Настройки...", "Изменить настройки устройства"},
    {250, "acFileSetZeroMarker", "File", "&Начало отсчета", "Установить начало остчета времени"},
    {253, "acFileExport", "File", "&Экспорт...", "Экспорт данных в файл"},
    {256, "acFileMarkPoint", "File", "&Отметить", "Отметить точку для экспорта"},
    {259, "acViewChooseCoord", "View", "&Относительные показания",
     "Выбор относительных показаний для датчиков"},
    {262, "acFileShowAll", "File", "Показать &всe", "Показать все данные на экране"},
    {265, "acDeviceCalibrate", "Device", "&Калибровка", "Произвести калибровку устройства"},
    {283, "acFileOpen", "File", "Открыть &запись...", "Открыть журнал измерения или файл экспорта"},
    {300, "acViewOrientation", "View", "&Ориентация", "Показать/спрятать ориентацию мяча"},
    {303, "acDeviceMark", "Device", "&Метка события", "Отметить текущий момент измерения"},
    {306, "acDeviceMarkLabel", "Device", "Подпись м&етки...", "Отметить момент и подписать метку"},
};

struct TextRow {
    int id;
    const char* component;
    const char* property;
    const char* builtIn;
};

const TextRow kSingleTexts[] = {
    {2, "tbSeparator0", "Caption", "tbSeparator0"},
    {3, "tbSeparator1", "Caption", "tbSeparator1"},
    {4, "tbSeparator2", "Caption", "tbSeparator2"},
    {6, "tbSeparator3", "Caption", "tbSeparator3"},
    {7, "tbSeparator4", "Caption", "tbSeparator4"},
    {268, "acDeviceAccCalibrate", "Category", "Device"},
    {269, "acDeviceAccCalibrate", "Caption", "acDeviceAccCalibrate"},
    {228, "acFileExit", "SecondaryShortCuts", "Alt+Ч"},
    {309, "acDeviceMark", "SecondaryShortCuts", "Alt+Ь"},
    {310, "acDeviceMarkLabel", "SecondaryShortCuts", "Alt+Д"},
    {114, "miFile", "Caption", "&Файл"},
    {119, "lbMotor", "Caption", "Мощность: 0 ед."},
    {124, "lbTime", "Caption", ""},
    {125, "tsAccGyro", "Caption", "Ускорение и Угловая скорость"},
    {147, "tsAccAng", "Caption", "Ускорение и Угол"},
    {169, "tsGyroAng", "Caption", "Угловая скорость и Угол"},
    {191, "TabSheet2", "Caption", "TabSheet2"},
    {225, "bbPulse", "Caption", "&Импульс"},
    {226, "miView", "Caption", "&Вид"},
    {227, "miDevice", "Caption", "&Устройство"},
    {272, "N1", "Caption", "Относительные показания по:"},
    {282, "miFileLanguage", "Caption", "&Language"},
    {273, "miAccX", "Caption", "Ускорение X"},
    {274, "miAccY", "Caption", "Ускорение Y"},
    {275, "miAccZ", "Caption", "Ускорение Z"},
    {276, "miGyroX", "Caption", "Угловая скорость X"},
    {277, "miGyroY", "Caption", "Угловая скорость Y"},
    {278, "miGyroZ", "Caption", "Угловая скорость Z"},
    {279, "miRoll", "Caption", "Угол X"},
    {280, "miPitch", "Caption", "Угол Y"},
    {281, "miYaw", "Caption", "Угол Z"},
    {120, "cbAcc", "Text", "± 2g"},
    {121, "cbAcc", "Items", "± 16g\n± 8g\n± 4g\n± 2g"},
    {122, "cbGyro", "Text", "2000 °/сек"},
    {123, "cbGyro", "Items", "2000 °/сек\n1000 °/сек\n500 °/сек\n250 °/сек\n125 °/сек"},
    {126, "chAccGyro", "BottomAxis.Title.Caption", "t, с"},
    {127, "chAccGyro", "LeftAxis.Title.Caption", "a, м/с^2"},
    {128, "chAccGyro", "RightAxis.Title.Caption", "Угловая скорость, °/сек"},
    {148, "chAccAng", "BottomAxis.Title.Caption", "t, с"},
    {149, "chAccAng", "LeftAxis.Title.Caption", "a, м/с^2"},
    {150, "chAccAng", "RightAxis.Title.Caption", "Угол, °"},
    {170, "chGyroAng", "BottomAxis.Title.Caption", "t, c"},  // Latin "c", as designed
    {171, "chGyroAng", "LeftAxis.Title.Caption", "Угловая скорость, °/сек"},
    {172, "chGyroAng", "RightAxis.Title.Caption", "Угол, °"},
    {192, "chAll", "RightAxis.Title.Caption", ""},
    {220, "chSeries", "Items",
     "Ускорение X\nУскорение Y\nУскорение Z\nУгл. скор. X\nУгл. скор. Y\nУгл. скор. Z\nФx\nФy\nфz"},
    {221, "vleData", "Strings",
     "ax, м/с^2=\nay, м/с^2=\naz, м/с^2=\nwx, °/c=\nwy, °/c=\nwz, °/c=\nфx, °=\nфy, °=\nфz, °=\n"
     "t0, c=\nt, c=\ndt, c="},
    {222, "vleData", "TitleCaptions", "Параметр\nЗначение"},
    {223, "vlePulse", "Strings", "Мощность, ед.=128\nДлительность, мс=1000"},
    {224, "vlePulse", "TitleCaptions", "Параметр\nЗначение"},
    {270, "sd", "DefaultExt", "csv"},
    {271, "sd", "Filter", "CSV-файлы (*.csv)|*.csv|Все файлы (*.*)|*.*"},
};

// The series of each chart in order, with the channel each shows; titles follow the channel.
struct SeriesRow {
    const char* name;
    int channel;
};

struct ChartSeries {
    int firstId;  // series k: Title, XValues.Name, YValues.Name at firstId + 3k, +1, +2
    int count;
    SeriesRow series[9];
};

const char* const kChannelTitles[9] = {"AccX",  "AccY", "AccZ",  "GyroX", "GyroY",
                                       "GyroZ", "Roll", "Pitch", "Yaw"};

// clang-format off
const ChartSeries kCharts[] = {
    {129, 6, {{"sAccX_AccGyro", 0}, {"sAccY_AccGyro", 1}, {"sAccZ_AccGyro", 2},
              {"sGyroX_AccGyro", 3}, {"sGyroY_AccGyro", 4}, {"sGyroZ_AccGyro", 5}}},
    {151, 6, {{"sAccX_AccAng", 0}, {"sAccY_AccAng", 1}, {"sAccZ_AccAng", 2},
              {"sAngR_AccAng", 6}, {"sAngP_AccAng", 7}, {"sAngY_AccAng", 8}}},
    {173, 6, {{"sGyroX_GyroAng", 3}, {"sGyroY_GyroAng", 4}, {"sGyroZ_GyroAng", 5},
              {"sAngR_GyroAng", 6}, {"sAngP_GyroAng", 7}, {"sAngY_GyroAng", 8}}},
    {193, 9, {{"Series1", 0}, {"Series2", 1}, {"Series3", 2}, {"Series4", 3}, {"Series5", 4},
              {"Series6", 5}, {"Series7", 6}, {"Series8", 7}, {"Series9", 8}}},
};
// clang-format on

// Lists are stored with CR LF, as a language file's "\n" escape gives them.
QString Stored(const char* text) {
    return QString::fromUtf8(text).replace(QLatin1String("\n"), QLatin1String("\r\n"));
}

std::vector<tTranslatableText> BuildMainWindowTexts() {
    std::vector<tTranslatableText> texts;
    auto add = [&texts](int id, const QString& component, const char* property,
                        const QString& value) {
        texts.push_back({id, component, QString::fromLatin1(property), value});
    };
    for (const TextRow& row : kSingleTexts)
        add(row.id, QString::fromLatin1(row.component), row.property, Stored(row.builtIn));
    for (const ActionRow& action : kActions) {
        const QString name = QString::fromLatin1(action.name);
        add(action.firstId, name, "Category", Stored(action.category));
        add(action.firstId + 1, name, "Caption", Stored(action.caption));
        add(action.firstId + 2, name, "Hint", Stored(action.hint));
    }
    for (const ChartSeries& chart : kCharts) {
        for (int k = 0; k < chart.count; ++k) {
            const QString name = QString::fromLatin1(chart.series[k].name);
            const int id = chart.firstId + 3 * k;
            add(id, name, "Title", QString::fromLatin1(kChannelTitles[chart.series[k].channel]));
            add(id + 1, name, "XValues.Name", QStringLiteral("X"));
            add(id + 2, name, "YValues.Name", QStringLiteral("Y"));
        }
    }
    return texts;
}
}  // namespace

const std::vector<tTranslatableText>& MainWindowTexts() {
    static const std::vector<tTranslatableText> texts = BuildMainWindowTexts();
    return texts;
}

const std::vector<tTranslatableText>& AboutWindowTexts() {
    static const std::vector<tTranslatableText> texts = {
        {1, QStringLiteral("fmAbout"), QStringLiteral("Caption"), QStringLiteral("О программе...")},
        // The window overwrites these three with its version block once translated.
        {2, QStringLiteral("lbCopyright"), QStringLiteral("Caption"),
         QStringLiteral("Авторские права")},
        {3, QStringLiteral("lbVersion"), QStringLiteral("Caption"), QStringLiteral("Версия")},
        {4, QStringLiteral("lbFileName"), QStringLiteral("Caption"), QStringLiteral("Mirelvane")},
        {5, QStringLiteral("lnkPoweredBy"), QStringLiteral("URL"),
         QStringLiteral("https://www.qt.io/")},
        {6, QStringLiteral("bnOk"), QStringLiteral("Caption"), QStringLiteral("OK")},
    };
    return texts;
}
