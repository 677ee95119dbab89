// The clock window: French time and date refreshed by the timer slot, "Set" freezing
// and restarting, stepping through the spin button, the integer message, Escape.
#include "platform/core/TimeSource.h"
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"
#include "tools/windows/SpinButton.h"
#include "tools/windows/THorloge.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QApplication>
#include <QTest>
#include <QToolButton>

namespace {

QDateTime clockNow;

SpinButton* spin(THorloge& clock)
{
    return clock.findChild<SpinButton*>(QStringLiteral("SpinButton1"));
}

QPushButton* button(THorloge& clock, const char* name)
{
    return clock.findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

class THorlogeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        clockNow = QDateTime(QDate(2024, 5, 1), QTime(23, 15, 7));
        timesource::set([] { return clockNow; });
    }
    void cleanup() { timesource::set({}); }

    void layout()
    {
        THorloge clock;
        QCOMPARE(clock.objectName(), QStringLiteral("THorloge"));
        QCOMPARE(clock.windowTitle(), QStringLiteral("Horloge"));
        QCOMPARE(clock.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("TYX"));
        QCOMPARE(button(clock, "Button2")->text(), QStringLiteral("Set"));
        QCOMPARE(button(clock, "Button1")->text(), QStringLiteral("Fermer"));
        auto* group = clock.findChild<QGroupBox*>(QStringLiteral("RadioGroup1"));
        QVERIFY(group);
        QStringList names;
        for (auto* r : group->findChildren<QRadioButton*>())
            names << r->text();
        QCOMPARE(names, (QStringList{"Hr", "Mn", "Jo", "Mo", "An"}));
        QCOMPARE(clock.itemIndex(), -1); // none chosen at start
        QVERIFY(!clock.timerActive());   // off until first shown
        for (QToolButton* arrow : {spin(clock)->upButton(), spin(clock)->downButton()}) {
            QVERIFY(arrow->autoRepeat());
            QCOMPARE(arrow->autoRepeatDelay(), 400);
            QCOMPARE(arrow->autoRepeatInterval(), 100);
        }
    }

    void showingStartsTheClock()
    {
        THorloge clock;
        clock.show();
        QVERIFY(clock.timerActive());
        QVERIFY(!clock.adjustMode());
        QCOMPARE(clock.timeText(), QStringLiteral("23:15:07"));
        QCOMPARE(clock.dateText(), QStringLiteral("01/05/2024"));
        clockNow = clockNow.addSecs(60 * 60);
        clock.Timer1Timer();
        QCOMPARE(clock.timeText(), QStringLiteral("00:15:07"));
        QCOMPARE(clock.dateText(), QStringLiteral("02/05/2024"));
    }

    void setFreezesAndRestarts()
    {
        THorloge clock;
        clock.show();
        QTest::mouseClick(button(clock, "Button2"), Qt::LeftButton);
        QVERIFY(clock.adjustMode());
        QVERIFY(!clock.timerActive());
        clock.setItemIndex(0); // Hr
        QTest::mouseClick(spin(clock)->upButton(), Qt::LeftButton);
        QCOMPARE(clock.timeText(), QStringLiteral("24:15:07"));
        QTest::mouseClick(spin(clock)->upButton(), Qt::LeftButton);
        QCOMPARE(clock.timeText(), QStringLiteral("24:15:07"));
        clock.setItemIndex(4); // An
        QTest::mouseClick(spin(clock)->downButton(), Qt::LeftButton);
        QCOMPARE(clock.dateText(), QStringLiteral("01/05/2023"));

        clockNow = clockNow.addSecs(5);
        QTest::mouseClick(button(clock, "Button2"), Qt::LeftButton);
        QVERIFY(!clock.adjustMode());
        QVERIFY(clock.timerActive());
        QCOMPARE(clock.timeText(), QStringLiteral("23:15:12"));
        QCOMPARE(clock.dateText(), QStringLiteral("01/05/2024"));
    }

    void stepWhileRunningLastsUntilTheTick()
    {
        THorloge clock;
        clock.show();
        clock.setItemIndex(1); // Mn
        clock.SpinButton1DownClick();
        QCOMPARE(clock.timeText(), QStringLiteral("23:14:07"));
        clock.Timer1Timer();
        QCOMPARE(clock.timeText(), QStringLiteral("23:15:07"));
    }

    void noFieldNoStep()
    {
        THorloge clock;
        clock.show();
        clock.SpinButton1UpClick();
        clock.SpinButton1DownClick();
        QCOMPARE(clock.timeText(), QStringLiteral("23:15:07"));
        QCOMPARE(clock.dateText(), QStringLiteral("01/05/2024"));
    }

    void radioButtonsChooseTheField()
    {
        THorloge clock;
        clock.show();
        QTest::mouseClick(clock.findChild<QRadioButton*>(QStringLiteral("RadioGroup1_Jo")), Qt::LeftButton);
        QCOMPARE(clock.itemIndex(), 2);
        clock.SpinButton1DownClick();
        clock.SpinButton1DownClick();
        QCOMPARE(clock.dateText(), QStringLiteral("00/05/2024"));
    }

    void integerMessage()
    {
        ScriptedPrompts seam;
        timesource::set([] { return QDateTime(); }); // no time: the displays are empty
        THorloge clock;
        clock.show();
        clock.setItemIndex(3); // Mo
        clock.SpinButton1UpClick();
        QCOMPARE(seam.asked, QStringList{QStringLiteral("'' n'est pas une valeur entière correcte")});
        QCOMPARE(clock.dateText(), QString());
    }

    void showingAgainRuns()
    {
        THorloge clock;
        clock.show();
        clock.setItemIndex(4);
        clock.Button2Click(); // adjust mode on
        clock.Button1Click(); // close in adjust mode
        QVERIFY(!clock.isVisible());
        clock.show();
        QVERIFY(!clock.adjustMode());
        QVERIFY(clock.timerActive());
        QCOMPARE(clock.itemIndex(), 4); // the field choice stays
    }

    // Escape closes the clock from whichever control has the focus.
    void escape_data()
    {
        QTest::addColumn<QString>("control");
        for (const char* name : {"RadioGroup1_Hr", "RadioGroup1_An", "SpinButton1", "Button2", "Button1"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void escape()
    {
        QFETCH(QString, control);
        THorloge clock;
        clock.show();
        QVERIFY(QTest::qWaitForWindowActive(&clock));
        auto* w = clock.findChild<QWidget*>(control);
        QVERIFY(w);
        w->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), w);
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(!clock.isVisible());
        QCOMPARE(clock.result(), int(QDialog::Rejected));
    }

    void escapeAtOpening()
    {
        THorloge clock;
        clock.show();
        QVERIFY(QTest::qWaitForWindowActive(&clock));
        QVERIFY(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!clock.isVisible());
    }

    void enterOnTheFieldChoicePressesNoButton()
    {
        THorloge clock;
        clock.show();
        QTest::keyClick(clock.findChild<QRadioButton*>(QStringLiteral("RadioGroup1_Hr")), Qt::Key_Return);
        QVERIFY(clock.isVisible());
        QVERIFY(!clock.adjustMode());
    }

    void spinKeys()
    {
        THorloge clock;
        clock.show();
        clock.setItemIndex(0);
        QTest::keyClick(spin(clock), Qt::Key_Down);
        QCOMPARE(clock.timeText(), QStringLiteral("22:15:07"));
    }
};

TYX_TEST(THorlogeTest);
#include "THorlogeTest.moc"
