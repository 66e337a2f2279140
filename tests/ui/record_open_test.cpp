// Opening recordings in the window: an exported file through File > Open, the bad files that
// leave the current record alone, and the offer to restore a journal that a crash left.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>

#include "app/format_settings.h"
#include "base/builtin_texts.h"
#include "model/journal_folder.h"
#include "model/record_journal.h"
#include "support/message_box_answerer.h"
#include "ui/chart.h"
#include "ui/export_support.h"
#include "ui/window_fixture.h"

namespace {
// cp1251 "фz" is F4 7A.
const QByteArray kExport =
    "t\tax\twz\t\xF4z\r\n0,000\t1,50\t-2,25\t10,00\r\n0,010\t1,75\t-2,50\t20,00\r\n"
    "0,020\t2,00\t-2,75\t30,00\r\n";

class RecordWindow {
public:
    RecordWindow() : f_("RecordFolder=" + records_.Root().toLocal8Bit() + "\r\n") {}
    TfmMain& Window() { return f_.Window(); }
    WindowFixture& Fixture() { return f_; }
    const TempFolder& Records() const { return records_; }

private:
    TempFolder records_;
    WindowFixture f_;
};

std::vector<double> Column(TfmMain& w, int channel) {
    std::vector<double> values;
    for (int i = 0; i < w.MasterSeries(channel)->Count(); ++i)
        values.push_back(w.MasterSeries(channel)->Points()->ValueAt(i));
    return values;
}

QByteArray CrashedJournal(int samples) {
    tJournalHeader header;
    header.start = QDateTime(QDate(2026, 12, 9), QTime(15, 42, 31));
    header.acc = {QStringLiteral("± 4g"), -40.01, 40};
    header.gyro = {QStringLiteral("500 °/сек"), -500.01, 500};
    QByteArray text = JournalHeaderText(header);
    for (int i = 0; i < samples; ++i)
        text += "ax:" + QByteArray::number(i * 100) +
                "\tay:0\taz:0\tgx:0\tgy:0\tgz:0\tr:0\tp:0\ty:0\ttt:" + QByteArray::number(i * 10) +
                "\tb:80\r\n";
    return text + "ax:12\tay:";  // the write the kill cut short
}
}  // namespace

TEST(OpenRecording, ShowsAnExportedFileAsAStoppedRecordWithItsChannels) {
    RecordWindow r;
    TfmMain& w = r.Window();
    r.Fixture().Show();
    const QString file = r.Fixture().Folder().Write(QStringLiteral("old.csv"), kExport);
    w.UpdateActions();
    ASSERT_TRUE(w.acFileOpen->isEnabled());
    EXPECT_FALSE(w.acFileExport->isEnabled());
    {
        SaveDialogAnswerer answer({file});
        w.acFileOpen->trigger();
    }
    ASSERT_EQ(w.MasterSeries(0)->Count(), 3);
    EXPECT_EQ(Column(w, 5), (std::vector<double>{-2.25, -2.5, -2.75}));
    for (int k = 0; k < kChannelCount; ++k)
        EXPECT_EQ(w.chSeries->item(k)->checkState() == Qt::Checked, k == 0 || k == 5 || k == 8)
            << k;
    // Reviewed and exported without a ball, as a record just stopped.
    w.UpdateActions();
    EXPECT_TRUE(w.acFileExport->isEnabled());
    EXPECT_TRUE(w.acFileSetZeroMarker->isEnabled());
    const QString again = r.Fixture().Folder().Path(QStringLiteral("again.csv"));
    {
        SaveDialogAnswerer answer({again});
        w.acFileExport->trigger();
    }
    QByteArray expected = kExport;
    expected.replace(',', char(FormatSettings().DecimalSeparator.toLatin1()));
    EXPECT_EQ(r.Fixture().Folder().Read(QStringLiteral("again.csv")), expected);
}

TEST(OpenRecording, BadFilesGiveTheirErrorAndLeaveTheRecordAsItWas) {
    RecordWindow r;
    TfmMain& w = r.Window();
    const TempFolder& folder = r.Fixture().Folder();
    ASSERT_TRUE(w.OpenRecordFile(folder.Write(QStringLiteral("good.csv"), kExport)));
    const std::vector<double> before = Column(w, 0);

    const QByteArray header = "t\tax\r\n";
    struct Bad {
        const char* name;
        QByteArray content;
        const char* line;  // how the message names the line, "" for the whole file
    };
    const Bad bad[] = {
        {"truncated.csv", header + "0,000\t1,00\r\n0,010\t1,", "Строка 3"},
        {"header.csv", "time;ax\r\n0,000;1,00\r\n", "Строка 1"},
        {"binary.mvrec", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "Строка 1"},
        {"long.csv", header + QByteArray(3 << 20, '7') + "\r\n", "Строка 2"},
        {"huge.mvrec", QByteArray(), ""},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        const QString path = folder.Write(QLatin1String(b.name), b.content);
        // Two gigabytes that take no disk: the size alone refuses them.
        if (b.content.isEmpty()) {
            ASSERT_TRUE(QFile(path).resize(qint64(2) << 30));
        }
        MessageBoxAnswerer answer;
        EXPECT_FALSE(w.OpenRecordFile(path));
        ASSERT_EQ(answer.seen().size(), 1);
        EXPECT_EQ(answer.seen()[0].title, LoadStr(20000));
        EXPECT_TRUE(answer.seen()[0].text.contains(path)) << answer.seen()[0].text.toStdString();
        EXPECT_TRUE(answer.seen()[0].text.contains(QString::fromUtf8(b.line)));
        EXPECT_EQ(Column(w, 0), before);
    }
}

TEST(RecoveryOffer, RestoresTheCrashedJournalOnYesAndAsksOnlyOnce) {
    RecordWindow r;
    const QString path =
        r.Records().Write(QStringLiteral("2026-12-09_15-42-31.mvrec"), CrashedJournal(25));
    {
        MessageBoxAnswerer answer({QMessageBox::Yes});
        TfmMain& w = r.Window();
        r.Fixture().Show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !answer.seen().isEmpty(); }, 10000));
        EXPECT_EQ(answer.seen()[0].title, LoadStr(20003));
        EXPECT_EQ(answer.seen()[0].defaultButton, QMessageBox::Yes);
        ASSERT_EQ(w.MasterSeries(0)->Count(), 25);
        EXPECT_NEAR(w.MasterSeries(0)->Points()->ValueAt(24), 9.81 * 2400 / 32768, 1e-12);
        EXPECT_DOUBLE_EQ(w.chAccGyro->LeftAxis()->range().upper, 40);
    }
    EXPECT_TRUE(JournalIsSettled(path));
    WindowFixture again("RecordFolder=" + r.Records().Root().toLocal8Bit() + "\r\n");
    MessageBoxAnswerer answer;
    again.Show();
    again.Window().OfferRecovery();
    EXPECT_TRUE(answer.seen().isEmpty());
}

TEST(RecoveryOffer, DecliningKeepsTheJournal) {
    RecordWindow r;
    const QString path =
        r.Records().Write(QStringLiteral("2026-12-09_15-42-31.mvrec"), CrashedJournal(5));
    MessageBoxAnswerer answer({QMessageBox::No});
    r.Window().OfferRecovery();
    ASSERT_EQ(answer.seen().size(), 1);
    EXPECT_EQ(r.Window().MasterSeries(0)->Count(), 0);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(FindCrashedJournal(r.Records().Root()), QString());
    EXPECT_TRUE(r.Window().OpenRecordFile(path));
    EXPECT_EQ(r.Window().MasterSeries(0)->Count(), 5);
}
