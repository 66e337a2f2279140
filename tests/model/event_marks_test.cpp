// Marks of events: what a label may hold, the order of the marks, the journal's form and the
// events file beside an export.
#include "model/event_marks.h"

#include <gtest/gtest.h>

#include "model/windows1251.h"
#include "qt_printers.h"

TEST(EventMarks, ALabelIsOneLineOfAtMost200CharactersAndAnEmptyOneKeepsTheNumber) {
    EXPECT_EQ(CleanMarkLabel(QStringLiteral("  step\tone\r\ntwo\u2028three ")),
              QStringLiteral("step one  two three"));
    EXPECT_EQ(CleanMarkLabel(QString(250, u'я')).size(), kMarkLabelMaxLength);
    // A character beyond the first plane is never cut in half.
    const QString emoji = QString(199, u'a') + QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(CleanMarkLabel(emoji), QString(199, u'a'));

    tEventMarks marks;
    EXPECT_EQ(marks.Add(2.5, QStringLiteral("\t\r\n")).label, QStringLiteral("1"));
    EXPECT_EQ(marks.Add(1.0, QStringLiteral("drop")).number, 2);
    EXPECT_TRUE(marks.Relabel(1, QStringLiteral("stimulus")));
    EXPECT_TRUE(marks.Relabel(2, QString()));
    EXPECT_FALSE(marks.Relabel(7, QStringLiteral("none")));
    ASSERT_EQ(marks.Count(), 2);
    // In time order, whatever order they were made in.
    EXPECT_EQ(marks.All()[0].label, QStringLiteral("2"));
    EXPECT_EQ(marks.All()[1].label, QStringLiteral("stimulus"));
    EXPECT_EQ(marks.NextNumber(), 3);
}

TEST(EventMarks, TheJournalsFormReadsBackWithBlanksInTheLabelAndALaterLineRelabels) {
    tEventMarks written;
    written.Add(12.3456, QStringLiteral("walk  starts"));
    written.Add(13, QString());
    tEventMarks read;
    for (const tEventMark& mark : written.All()) {
        tEventMark back;
        ASSERT_TRUE(ParseMarkEventDetail(MarkEventDetail(mark).toUtf8(), back));
        read.Restore(back);
    }
    tEventMark relabel;
    ASSERT_TRUE(ParseMarkEventDetail("2 13.000 Падение", relabel));
    read.Restore(relabel);
    ASSERT_EQ(read.Count(), 2);
    EXPECT_EQ(read.All()[0].label, QStringLiteral("walk  starts"));
    EXPECT_DOUBLE_EQ(read.All()[0].at, 12.346);
    EXPECT_EQ(read.All()[1].label, QStringLiteral("Падение"));
    EXPECT_EQ(read.NextNumber(), 3);
    tEventMark bad;
    EXPECT_FALSE(ParseMarkEventDetail("x 1.0 label", bad));
    EXPECT_FALSE(ParseMarkEventDetail("3", bad));
}

TEST(EventMarks, TheEventsFileUsesTheExportsAxisEncodingSeparatorAndLineEnds) {
    EXPECT_EQ(EventsFileName(QStringLiteral("/data/run 1.csv")),
              QStringLiteral("/data/run 1-events.csv"));
    tEventMarks marks;
    marks.Add(10.0004, QStringLiteral("origin"));
    marks.Add(12.25, QStringLiteral("Шаг"));
    marks.Add(9.5, QString());
    const QByteArray file = BuildEventsFile(marks, 10.0, u',');
    EXPECT_EQ(file, "onset\tlabel\r\n-0,500\t3\r\n0,000\torigin\r\n2,250\t" +
                        EncodeWindows1251(QStringLiteral("Шаг")) + "\r\n");
}
