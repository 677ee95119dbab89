// The calendar's month step and heading.
#include "support/TestRegistry.h"
#include "tools/core/MonthStep.h"

#include <QTest>

class MonthStepTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void step_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<int>("months");
        QTest::addColumn<QDate>("to");
        QTest::newRow("31 March, next: 30 April") << QDate(1999, 3, 31) << 1 << QDate(1999, 4, 30);
        QTest::newRow("31 January of a leap year, next: 29 February") << QDate(2000, 1, 31) << 1 << QDate(2000, 2, 29);
        QTest::newRow("31 January of a common year, next: 28 February") << QDate(1999, 1, 31) << 1 << QDate(1999, 2, 28);
        QTest::newRow("15 January 1999, previous: 15 December 1998") << QDate(1999, 1, 15) << -1 << QDate(1998, 12, 15);
        QTest::newRow("December, next: January of the year after") << QDate(1998, 12, 31) << 1 << QDate(1999, 1, 31);
        QTest::newRow("31 May, previous: 30 April") << QDate(2024, 5, 31) << -1 << QDate(2024, 4, 30);
        QTest::newRow("29 February, next: 29 March (day kept)") << QDate(2024, 2, 29) << 1 << QDate(2024, 3, 29);
        QTest::newRow("30 April, previous: 30 March (not back to 31)") << QDate(1999, 4, 30) << -1 << QDate(1999, 3, 30);
        QTest::newRow("1900 is not a leap year") << QDate(1900, 1, 30) << 1 << QDate(1900, 2, 28);
        QTest::newRow("twelve months back") << QDate(2001, 3, 10) << -12 << QDate(2000, 3, 10);
    }
    void step()
    {
        QFETCH(QDate, from);
        QFETCH(int, months);
        QFETCH(QDate, to);
        QCOMPARE(monthstep::step(from, months), to);
    }

    void previousAndNext()
    {
        QCOMPARE(monthstep::nextMonth(QDate(1999, 3, 31)), QDate(1999, 4, 30));
        QCOMPARE(monthstep::previousMonth(QDate(1999, 1, 15)), QDate(1998, 12, 15));
    }

    void heading_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("two spaces, full name") << QDate(1999, 3, 31) << QStringLiteral("mars  1999");
        QTest::newRow("accented") << QDate(1998, 12, 15) << QStringLiteral("décembre  1998");
        QTest::newRow("février") << QDate(2000, 2, 29) << QStringLiteral("février  2000");
        QTest::newRow("août") << QDate(2024, 8, 1) << QStringLiteral("août  2024");
        QTest::newRow("invalid") << QDate() << QString();
    }
    void heading()
    {
        QFETCH(QDate, date);
        QFETCH(QString, text);
        QCOMPARE(monthstep::heading(date), text);
    }
};

TYX_TEST(MonthStepTest);
#include "MonthStepTest.moc"
