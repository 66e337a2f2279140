#include "base/builtin_texts.h"

#include <QHash>
#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "base/exceptions.h"

namespace {
const char* const kBuiltInConstants[][2] = {
    {"LC_CALIBLATE_WARN",
     "ВАЖНО!!! Для калибровки акселерометра расположите устройство строго горизонтально! При "
     "этом ось Z должна быть направлена вверх! Не двигайте устройство во время калибровки!\n\n"
     "Приступить к калибровке?"},
    {"LC_BALL_RESTART_NOTICE", "Мяч перезапустился на %1 с. Запись продолжается."},
    {"LC_CANT_GET_DEVICE_STATE", "Невозможно получить состояние устройства на порту:"},
    {"LC_CONN_NONE", "<НЕТ>"},
    {"LC_DAMAGED_LINES", "повреждено: %1"},
    {"LC_DEVICE_NOT_FOUND", "Устройство не найдено."},
    {"LC_EXPORT_PROGRESS", "Экспорт…"},
    {"LC_GAP_MARK", "разрыв"},
    {"LC_LANG_1049", "Русский (Орыс)"},
    {"LC_LANG_1087", "Казахский (Қазақ)"},
    {"LC_LINK_BACK_NOTICE", "Мяч снова на связи. Запись продолжается после %1 с."},
    {"LC_LINK_LOST", "связь потеряна"},
    {"LC_LINK_LOST_NOTICE", "Связь с мячом потеряна на %1 с. Запись сохранена."},
    {"LC_LOST_LINES", "потеряно: %1"},
    {"LC_MARKS_EXPORT", "Также записать метки (имя-events.csv)"},
    {"LC_MARKS_TITLE", "Метки событий"},
    {"LC_MARK_CURSOR", "Курсор сюда"},
    {"LC_MARK_LABEL", "Подписать..."},
    {"LC_MARK_LABEL_PROMPT", "Подпись:"},
    {"LC_MARK_LABEL_TITLE", "Подпись метки %1"},
    {"LC_MARK_ORIGIN", "Начало отсчета сюда"},
    {"LC_MQTT_BROKER", "Брокер (mqtt://узел:порт или mqtts://…, пусто — выключено)"},
    {"LC_MQTT_BROWSE", "Обзор…"},
    {"LC_MQTT_CA_FILE", "Файл сертификата ЦС (TLS)"},
    {"LC_MQTT_CONNECTED", "MQTT %1: связь есть, не доставлено: %2"},
    {"LC_MQTT_DOWN", "MQTT %1: нет связи, не доставлено: %2"},
    {"LC_MQTT_ERROR", "MQTT: %1"},
    {"LC_MQTT_MENU", "&Сеть (MQTT)…"},
    {"LC_MQTT_PASSWORD_FILE", "Файл пароля (читать может только владелец)"},
    {"LC_MQTT_QOS", "Качество обслуживания (QoS)"},
    {"LC_MQTT_REMOTE", "Разрешить пуск и останов из сети"},
    {"LC_MQTT_TITLE", "Отправка измерений по MQTT"},
    {"LC_MQTT_TOPIC", "Тема (пусто — mirelvane/{host}/{ball})"},
    {"LC_MQTT_USER", "Пользователь"},
    {"LC_NO_COM_PORTS", "COM-порты в системе не обнаружены."},
    {"LC_ORIENTATION", "Ориентация мяча: крен, тангаж, рыскание"},
    {"LC_PORT_ACCESS_GROUP",
     "%port: нет прав на открытие порта. Его могут открывать участники группы «%group». "
     "Добавьте себя в группу командой\nsudo adduser $USER %group\nзатем выйдите из системы и "
     "войдите снова."},
    {"LC_PORT_ACCESS_OWNER",
     "%port: нет прав на открытие порта. Права устройства позволяют открывать его только "
     "владельцу (%owner); изменить их должен администратор."},
    {"LC_PORT_ACCESS_RELOGIN",
     "%port: нет прав на открытие порта в этом сеансе. Ваша учётная запись уже входит в группу "
     "«%group»; осталось только выйти из системы и войти снова."},
    {"LC_PORT_BUSY", "%port: порт занят другой программой."},
    {"LC_PORT_NO_REPLY", "%port: устройство не ответило."},
    {"LC_PORT_WRONG_REPLY", "%port: ответ получен, но это не ответ устройства."},
    {"LC_POWER_0", "Мощность: 0 ед."},
    {"LC_POWER_CAP", "Мощность: "},
    {"LC_POWER_LIMITS", "Значение мощности должно быть целым числом в пределах от 0 до 255."},
    {"LC_POWER_TIMEOUT", "Значение длительности должно быть целым числом в пределах от 1 до 2000."},
    {"LC_POWER_UNITS", " ед."},
    {"LC_RECORD_AT_LINE", "Строка %1: %2"},
    {"LC_RECORD_BAD_HEADER", "Это не журнал измерения и не файл экспорта: заголовок не тот."},
    {"LC_RECORD_BAD_VALUE", "Неверное число или число столбцов."},
    {"LC_RECORD_BINARY", "В файле двоичные данные."},
    {"LC_RECORD_CANT_READ", "Файл не читается: %1"},
    {"LC_RECORD_ERROR", "Невозможно открыть запись \"%1\".\r\n%2"},
    {"LC_RECORD_FILTER", "Записи измерений (*.mvrec *.csv)"},
    {"LC_RECORD_LONG_LINE", "Строка слишком длинная."},
    {"LC_RECORD_NOT_SAVED", "Измерение не сохраняется"},
    {"LC_RECORD_RESTORE",
     "Измерение, начатое %1, не было завершено: программа закрылась аварийно.\r\n"
     "Восстановить его запись?"},
    {"LC_RECORD_TOO_LARGE", "Файл слишком велик для записи измерения."},
    {"LC_RECORD_TRUNCATED", "Последняя строка оборвана."},
    {"LC_RESTART_MARK", "перезапуск"},
    {"LC_SENS_0", "ax"},
    {"LC_SENS_1", "ay"},
    {"LC_SENS_2", "az"},
    {"LC_SENS_3", "wx"},
    {"LC_SENS_4", "wy"},
    {"LC_SENS_5", "wz"},
    {"LC_SENS_6", "фх"},  // both letters Cyrillic
    {"LC_SENS_7", "фy"},
    {"LC_SENS_8", "фz"},
    {"LC_STAT_CHANNEL", "Канал"},
    {"LC_STAT_COUNT", "Отсчетов"},
    {"LC_STAT_DEVIATION", "Ст. откл."},
    {"LC_STAT_EXPORT", "Также записать статистику (имя-stats.csv)"},
    {"LC_STAT_MAX", "Максимум"},
    {"LC_STAT_MEAN", "Среднее"},
    {"LC_STAT_MIN", "Минимум"},
    {"LC_STAT_RATE", "Изм. за 1 с"},
    {"LC_STAT_RMS", "СКЗ"},
    {"LC_STAT_SPAN", "Размах"},
    {"LC_STAT_TITLE", "Статистика от начала отсчета до курсора"},
};

// The English texts serve an interface that a language file has made English, so that its
// messages come in the language of its windows.
constexpr int kLangEnglish = 1033;

struct StringRow {
    int id;
    const char* russian;
    const char* kazakh;
    const char* english;
};

const StringRow kStringTable[] = {
    {903, "Системная ошибка: ", "Жүйелік қателік: ", "System error: "},
    {1000, "Невозможно установить заголовок окна.\r\nСистема сообщает: ",
     "Тақырыпты орнату мүмкін емес.\r\n Жүйе хабарлайды: ",
     "Cannot set the window caption.\r\nThe system reports: "},
    {1001, "Невозможно получить класс окна.\r\nСистема сообщает: ",
     "Терезе сыныбын алу мүмкін емес.\r\nЖүйе хабарлайды: ",
     "Cannot get the window class.\r\nThe system reports: "},
    {1002, "Невозможно создать объект синхронизации.\r\nСистема сообщает: ",
     "Синхрондау объектісін құру мүмкін емес.\r\nЖүйе хабарлайды: ",
     "Cannot create the synchronization object.\r\nThe system reports: "},
    {1004, "Невозможно прочитать настройки из '%s'.\r\nПричина: Файл не найден.",
     "...ден баптауларды оқу мүмкін емес '%s'.\r\nСебебі: Файл табылмады.",
     "Cannot read the settings from '%s'.\r\nReason: File not found."},
    {1007, "Невозможно открыть устройство '%s'.\r\nСистема сообщает: %s",
     "Құрылғыны ашу мүмкін емес '%s'.\r\n Жүйе хабарлайды: %s",
     "Cannot open the device '%s'.\r\nThe system reports: %s"},
    {1008, "Невозможно задать параметры устройства '%s'.\r\nСистема сообщает: %s",
     "Құрылғының параметрлерін орнату мүмкін емес '%s'.\r\n Жүйе хабарлайды: %s",
     "Cannot set the parameters of the device '%s'.\r\nThe system reports: %s"},
    // The log's start and stop lines have no English text: logs that people and tools read
    // keep the lines they always had.
    {5000, "Запуск программы.", "Бағдарламаны іске қосу.", nullptr},
    {5001, "Остановка программы.", "Бағдарламаны тоқтату.", nullptr},
    {5002, "Версия: ", "Нұсқа: ", "Version: "},
    {5003, "Вы действительно хотите выйти из программы?",
     "Сіз бағдарламадан шынымен шыққыңыз келе ме?", "Do you really want to exit the program?"},
    {5004, "Нет данных для экспорта.", "Экспорттайтын деректер жоқ.", "No data to export."},
    {20000, "Ошибка", "Қателік", "Error"},
    {20001, "Внимание", "Назар аударыңыз", "Attention"},
    {20003, "Подтверждение", "Растау", "Confirmation"},
};

bool LessByName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

int LanguageFromEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return QByteArray(value).startsWith("kk") ? kLangKazakh : kLangRussian;
    }
    return kLangRussian;
}

thread_local int threadLanguage = 0;
}  // namespace

tLangConstants::tLangConstants() {
    for (const auto& c : kBuiltInConstants) {
        const QString text = QString::fromUtf8(c[1]);
        entries_.append({QString::fromUtf8(c[0]), text, text});
    }
    std::sort(entries_.begin(), entries_.end(),
              [](const Entry& a, const Entry& b) { return LessByName(a.name, b.name); });
}

int tLangConstants::IndexOf(const QString& name) const {
    int lo = 0, hi = entries_.size() - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = entries_[mid].name.compare(name, Qt::CaseInsensitive);
        if (c == 0) return mid;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -1;
}

QString tLangConstants::GetConstant(const QString& name) const {
    std::shared_lock<std::shared_mutex> guard(lock_);
    const int i = IndexOf(name);
    if (i < 0) throw Exception(QStringLiteral("Constant \"%1\" not found").arg(name));
    return entries_[i].current;
}

bool tLangConstants::SetCurrent(const QString& name, const QString& text) {
    const int i = IndexOf(name);
    if (i < 0) return false;
    entries_[i].current = text;
    return true;
}

void tLangConstants::RestoreBuiltIn() {
    for (Entry& e : entries_) e.current = e.builtIn;
}

tLangConstants& LangConstants() {
    static tLangConstants table;
    return table;
}

QString LangConst(const QString& name) { return LangConstants().GetConstant(name); }

QString LoadStr(int id, int languageId) {
    for (const StringRow& row : kStringTable)
        if (row.id == id)
            return QString::fromUtf8(languageId == kLangKazakh                  ? row.kazakh
                                     : languageId == kLangEnglish && row.english ? row.english
                                                                                 : row.russian);
    return QString();
}

QString LoadStr(int id) { return LoadStr(id, ThreadUILanguage()); }

void SetThreadUILanguage(int languageId) { threadLanguage = languageId; }

int ThreadUILanguage() {
    if (threadLanguage == 0) threadLanguage = LanguageFromEnvironment();
    return threadLanguage;
}
