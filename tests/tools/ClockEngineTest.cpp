// The clock's field stepping and its adjust mode.
#include "support/TestRegistry.h"
#include "tools/core/ClockEngine.h"

#include <QTest>

class ClockEngineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void step_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("field");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("newTime");
        QTest::addColumn<QString>("newDate");
        const QString t = QStringLiteral("23:15:07");
        const QString d = QStringLiteral("01/05/2024");
        const int hr = int(ClockField::Hour), mn = int(ClockField::Minute), jo = int(ClockField::Day),
                  mo = int(ClockField::Month), an = int(ClockField::Year), none = int(ClockField::None);
        QTest::newRow("no field: nothing") << t << d << none << true << t << d;
        QTest::newRow("Hr 23 up: 24") << t << d << hr << true << "24:15:07" << d;
        QTest::newRow("Hr 24 up: still 24") << "24:15:07" << d << hr << true << "24:15:07" << d;
        QTest::newRow("Hr 01 down: 00") << "01:00:00" << d << hr << false << "00:00:00" << d;
        QTest::newRow("Hr 00 down: still 00") << "00:00:00" << d << hr << false << "00:00:00" << d;
        QTest::newRow("Hr 09 up: 10") << "09:30:00" << d << hr << true << "10:30:00" << d;
        QTest::newRow("Mn 59 up: 59, no carry") << "10:59:00" << d << mn << true << "10:59:00" << d;
        QTest::newRow("Mn 15 down: 14") << t << d << mn << false << "23:14:07" << d;
        QTest::newRow("Mn 00 down: 00") << "10:00:59" << d << mn << false << "10:00:59" << d;
        QTest::newRow("Jo 01 down: 00") << t << d << jo << false << t << "00/05/2024";
        QTest::newRow("Jo 00 down: still 00") << t << "00/05/2024" << jo << false << t << "00/05/2024";
        QTest::newRow("Jo 30 up ignores the month's length") << t << "30/04/2024" << jo << true << t << "31/04/2024";
        QTest::newRow("Jo 31 up: 31") << t << "31/12/2024" << jo << true << t << "31/12/2024";
        QTest::newRow("Mo 12 up: 12") << t << "15/12/2024" << mo << true << t << "15/12/2024";
        QTest::newRow("Mo 01 down: 00") << t << "15/01/2024" << mo << false << t << "15/00/2024";
        QTest::newRow("Mo 09 up: 10") << t << "15/09/2024" << mo << true << t << "15/10/2024";
        QTest::newRow("An 1900 down: 1900") << t << "01/01/1900" << an << false << t << "01/01/1900";
        QTest::newRow("An 2099 up: 2099") << t << "01/01/2099" << an << true << t << "01/01/2099";
        QTest::newRow("An 2024 up") << t << d << an << true << t << "01/05/2025";
        QTest::newRow("An two digits 98 up: 1999") << t << "20/10/98" << an << true << t << "20/10/1999";
        QTest::newRow("An two digits 98 down: 1997") << t << "20/10/98" << an << false << t << "20/10/1997";
        QTest::newRow("An two digits 00 down: 1900") << t << "20/10/00" << an << false << t << "20/10/1900";
    }
    void step()
    {
        QFETCH(QString, time);
        QFETCH(QString, date);
        QFETCH(int, field);
        QFETCH(bool, up);
        QFETCH(QString, newTime);
        QFETCH(QString, newDate);
        const ClockStep s = stepClockField(time, date, ClockField(field), up);
        QVERIFY(s.ok);
        QCOMPARE(s.message, QString());
        QCOMPARE(s.time, newTime);
        QCOMPARE(s.date, newDate);
    }

    void notAnInteger_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("message");
        QTest::newRow("one-digit hour") << "9:05:00" << "01/05/2024" << int(ClockField::Hour)
                                        << "'9:' n'est pas une valeur entière correcte";
        QTest::newRow("one-digit minute field") << "10:5:00" << "01/05/2024" << int(ClockField::Minute)
                                                << "'5:' n'est pas une valeur entière correcte";
        QTest::newRow("one-digit day and month") << "10:05:00" << "1/5/2024" << int(ClockField::Month)
                                                 << "'/2' n'est pas une valeur entière correcte";
        QTest::newRow("empty time") << "" << "" << int(ClockField::Hour) << "'' n'est pas une valeur entière correcte";
        QTest::newRow("year-first date") << "10:05:00" << "2024-05-01" << int(ClockField::Year)
                                         << "'5-01' n'est pas une valeur entière correcte";
    }
    void notAnInteger()
    {
        QFETCH(QString, time);
        QFETCH(QString, date);
        QFETCH(int, field);
        QFETCH(QString, message);
        const ClockStep s = stepClockField(time, date, ClockField(field), true);
        QVERIFY(!s.ok);
        QCOMPARE(s.message, message);
        QCOMPARE(s.time, time);
        QCOMPARE(s.date, date);
    }

    void engineStepLeavesDisplaysOnError()
    {
        ClockEngine engine;
        QCOMPARE(engine.step(ClockField::Hour, true), integerErrorMessage(QString()));
        QCOMPARE(engine.time(), QString());
    }

    void adjustMode()
    {
        const QDateTime first(QDate(2024, 5, 1), QTime(23, 15, 7));
        const QDateTime later(QDate(2024, 5, 2), QTime(0, 0, 1));
        ClockEngine engine;
        QVERIFY(!engine.timerEnabled()); // created with the timer off
        engine.activate(first);
        QVERIFY(engine.timerEnabled());
        QVERIFY(!engine.adjustMode());
        QCOMPARE(engine.time(), QStringLiteral("23:15:07"));
        QCOMPARE(engine.date(), QStringLiteral("01/05/2024"));

        // First "Set": frozen, displays unchanged.
        engine.toggleAdjust(later);
        QVERIFY(engine.adjustMode());
        QVERIFY(!engine.timerEnabled());
        QCOMPARE(engine.time(), QStringLiteral("23:15:07"));
        QCOMPARE(engine.step(ClockField::Hour, true), QString());
        QCOMPARE(engine.step(ClockField::Year, false), QString());
        QCOMPARE(engine.time(), QStringLiteral("24:15:07"));
        QCOMPARE(engine.date(), QStringLiteral("01/05/2023"));

        // Second "Set": running again, the real time at once.
        engine.toggleAdjust(later);
        QVERIFY(!engine.adjustMode());
        QVERIFY(engine.timerEnabled());
        QCOMPARE(engine.time(), QStringLiteral("00:00:01"));
        QCOMPARE(engine.date(), QStringLiteral("02/05/2024"));

        // A tick overwrites a step made while running.
        QCOMPARE(engine.step(ClockField::Minute, true), QString());
        QCOMPARE(engine.time(), QStringLiteral("00:01:01"));
        engine.tick(later);
        QCOMPARE(engine.time(), QStringLiteral("00:00:01"));

        // Showing again turns adjust mode off.
        engine.toggleAdjust(later);
        QVERIFY(engine.adjustMode());
        engine.activate(first);
        QVERIFY(!engine.adjustMode());
        QVERIFY(engine.timerEnabled());
    }
};

TYX_TEST(ClockEngineTest);
#include "ClockEngineTest.moc"
