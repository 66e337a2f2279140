// The impulse table and its button against ballsim: which values go out, in which bytes, and
// what a refused value shows and logs.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "controls/slim_track_bar.h"
#include "device/device_test_support.h"
#include "support/message_box_answerer.h"
#include "ui/motor_wired_window.h"
#include "ui/value_list_editor.h"

namespace {
const QString kPowerMessage =
    QStringLiteral("Значение мощности должно быть целым числом в пределах от 0 до 255.");
const QString kDurationMessage =
    QStringLiteral("Значение длительности должно быть целым числом в пределах от 1 до 2000.");

void ClickPulse(TfmMain& w, const QString& power, const QString& duration) {
    w.vlePulse->SetValueAt(0, power);
    w.vlePulse->SetValueAt(1, duration);
    w.bbPulse->click();
}
}  // namespace

TEST(MotorPulse, SendsValuesWithinTheLimitsAndRefusesOthersWithTheMessageOfTheirRow) {
    WiredWindow ww;
    TfmMain& w = ww.W();
    ASSERT_TRUE(ww.ConnectQuietly());
    ASSERT_TRUE(w.bbPulse->isEnabled());

    struct Case {
        const char* power;
        const char* duration;
        const QString* message;  // null: the impulse is sent
    };
    const Case cases[] = {
        {"255", "2000", nullptr},           {" 100 ", "1000", nullptr},
        {"256", "1000", &kPowerMessage},    {"-1", "1000", &kPowerMessage},
        {"1.5", "1000", &kPowerMessage},    {"abc", "1000", &kPowerMessage},
        {"", "1000", &kPowerMessage},       {"128", "0", &kDurationMessage},
        {"128", "2001", &kDurationMessage}, {"128", "12ms", &kDurationMessage},
        {"300", "0", &kPowerMessage},       {"0", "1", nullptr},
    };
    LogCapture log;
    MessageBoxAnswerer answerer;
    QByteArray expectedWire;
    QStringList expectedMessages;
    int sent = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.power) + " / " + c.duration);
        const QString power = QString::fromUtf8(c.power);
        const QString duration = QString::fromUtf8(c.duration);
        ClickPulse(w, power, duration);
        if (c.message) {
            expectedMessages << *c.message;
        } else {
            expectedWire +=
                "P M1:" + power.trimmed().toLatin1() + '*' + duration.toLatin1() + "\r\n";
            ++sent;
        }
        // A refused value stays in the table as typed.
        EXPECT_EQ(w.vlePulse->ValueAt(0), power);
        EXPECT_EQ(w.vlePulse->ValueAt(1), duration);
    }
    ASSERT_TRUE(ww.Wire().WaitFor("P M1:0*1\r\n"));
    EXPECT_EQ(ww.Wire().SinceMark(), expectedWire);

    QStringList shown;
    for (const MessageBoxAnswerer::Seen& s : answerer.seen()) {
        shown << s.text;
        EXPECT_EQ(s.title, QStringLiteral("Внимание"));
        EXPECT_EQ(s.icon, QMessageBox::Warning);
    }
    EXPECT_EQ(shown, expectedMessages);
    EXPECT_EQ(log.Count("PULSE CHANGING"), int(std::size(cases)));
    EXPECT_EQ(log.Count("PULSE CHANGED"), sent);
    // The impulse leaves the slider and its label alone.
    EXPECT_EQ(w.trMotor->Position(), 0);
    EXPECT_EQ(w.lbMotor->text(), QStringLiteral("Мощность: 0 ед."));
}

TEST(MotorPulse, AValueStillInItsEditorIsSentAsTyped) {
    WiredWindow ww;
    TfmMain& w = ww.W();
    ww.Fixture().Show();
    ASSERT_TRUE(ww.ConnectQuietly());

    w.vlePulse->setFocus();
    w.vlePulse->editItem(w.vlePulse->item(0, 1));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor && w.vlePulse->isAncestorOf(editor));
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("77"));
    // As the button's mnemonic presses it: the focus stays in the editor.
    w.bbPulse->click();
    ASSERT_TRUE(ww.Wire().WaitFor("\r\n"));
    EXPECT_EQ(ww.Wire().SinceMark(), QByteArray("P M1:77*1000\r\n"));
    EXPECT_EQ(w.vlePulse->ValueAt(0), QStringLiteral("77"));
}
