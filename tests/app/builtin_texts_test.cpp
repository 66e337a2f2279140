#include <gtest/gtest.h>

#include <thread>

#include "base/builtin_texts.h"
#include "base/exceptions.h"

TEST(BuiltInTexts, ConstantsAreFoundWithoutRegardToCase) {
    EXPECT_EQ(LangConst("LC_POWER_0"), QStringLiteral("Мощность: 0 ед."));
    EXPECT_EQ(LangConst("lc_power_0"), QStringLiteral("Мощность: 0 ед."));
    EXPECT_EQ(LangConst("LC_POWER_CAP"), QStringLiteral("Мощность: "));
    EXPECT_EQ(LangConst("LC_POWER_UNITS"), QStringLiteral(" ед."));
    EXPECT_EQ(LangConst("LC_SENS_6"), QStringLiteral("\u0444\u0445"));  // both Cyrillic
}

TEST(BuiltInTexts, TheConstantsTableIsSortedAndComplete) {
    const tLangConstants& table = LangConstants();
    ASSERT_EQ(table.Count(), 80);
    for (int i = 1; i < table.Count(); ++i)
        EXPECT_LT(table.At(i - 1).name.compare(table.At(i).name, Qt::CaseInsensitive), 0);
    for (int i = 0; i < table.Count(); ++i) EXPECT_EQ(table.IndexOf(table.At(i).name), i);
}

TEST(BuiltInTexts, AMissingConstantFailsWithItsName) {
    try {
        LangConst("LC_NOT_THERE");
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Constant \"LC_NOT_THERE\" not found"));
    }
}

TEST(BuiltInTexts, StringsAnswerInTheCallingThreadsLanguage) {
    SetThreadUILanguage(kLangRussian);
    EXPECT_EQ(LoadStr(20000), QStringLiteral("Ошибка"));
    QString other;
    std::thread([&other] {
        SetThreadUILanguage(kLangKazakh);
        other = LoadStr(20000);
    }).join();
    EXPECT_EQ(other, QStringLiteral("Қателік"));
    EXPECT_EQ(LoadStr(20000), QStringLiteral("Ошибка"));
    EXPECT_EQ(LoadStr(5004), QStringLiteral("Нет данных для экспорта."));
    EXPECT_EQ(LoadStr(5004, kLangKazakh), QStringLiteral("Экспорттайтын деректер жоқ."));
    EXPECT_EQ(LoadStr(1004), QStringLiteral("Невозможно прочитать настройки из '%s'.\r\n"
                                            "Причина: Файл не найден."));
    EXPECT_EQ(LoadStr(904), QString());
}

TEST(BuiltInTexts, TheLogLinesStayRussianUnderAnEnglishInterface) {
    EXPECT_EQ(LoadStr(5001, 1033), QStringLiteral("Остановка программы."));
    EXPECT_EQ(LoadStr(5000, 1033), QStringLiteral("Запуск программы."));
    EXPECT_EQ(LoadStr(20000, 1033), QStringLiteral("Error"));
}

TEST(BuiltInTexts, EveryUsedNumberHasBothTexts) {
    for (int id : {903, 1000, 1001, 1002, 1004, 1007, 1008, 5000, 5001, 5002, 5003, 5004, 20000,
                   20001, 20003}) {
        EXPECT_FALSE(LoadStr(id, kLangRussian).isEmpty()) << id;
        EXPECT_FALSE(LoadStr(id, kLangKazakh).isEmpty()) << id;
        EXPECT_NE(LoadStr(id, kLangRussian), LoadStr(id, kLangKazakh)) << id;
    }
}
