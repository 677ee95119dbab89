// The calendar window: heading on showing and after every change, month steps from
// the buttons and from Page Up/Down on the grid and the buttons, Escape, the date kept.
#include "platform/core/TimeSource.h"
#include "support/TestRegistry.h"
#include "tools/windows/TCalendrier.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QWheelEvent>
#include <QCalendarWidget>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

// The widget that receives keys: the grid's view for "Calendar1", else the named button.
QWidget* keyTarget(TCalendrier& calendar, const QString& name)
{
    if (name == QLatin1String("Calendar1"))
        return calendar.findChild<QCalendarWidget*>(name)->findChild<QAbstractItemView*>();
    return calendar.findChild<QPushButton*>(name);
}

} // namespace

class TCalendrierTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        timesource::set([] { return QDateTime(QDate(1999, 3, 31), QTime(10, 0)); });
    }
    void cleanup() { timesource::set({}); }

    void startsOnTodayWithItsHeading()
    {
        TCalendrier calendar;
        QCOMPARE(calendar.objectName(), QStringLiteral("TCalendrier"));
        QCOMPARE(calendar.windowTitle(), QStringLiteral("Calendrier"));
        QCOMPARE(calendar.selectedDate(), QDate(1999, 3, 31));
        calendar.show();
        QCOMPARE(calendar.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("mars  1999"));
    }

    void theGrid()
    {
        TCalendrier calendar;
        auto* grid = calendar.findChild<QCalendarWidget*>(QStringLiteral("Calendar1"));
        QVERIFY(grid);
        QCOMPARE(grid->firstDayOfWeek(), Qt::Sunday);
        QCOMPARE(grid->locale().language(), QLocale::French);
        QVERIFY(calendar.findChild<QPushButton*>(QStringLiteral("BitBtn1")));
        QCOMPARE(calendar.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->text(), QStringLiteral("Mois"));
        QCOMPARE(calendar.findChild<QPushButton*>(QStringLiteral("Button1"))->text(), QStringLiteral("Fermer"));
    }

    void buttonsStepTheMonth()
    {
        TCalendrier calendar;
        calendar.show();
        QTest::mouseClick(calendar.findChild<QPushButton*>(QStringLiteral("BitBtn2")), Qt::LeftButton);
        QCOMPARE(calendar.selectedDate(), QDate(1999, 4, 30));
        QCOMPARE(calendar.heading(), QStringLiteral("avril  1999"));
        QTest::mouseClick(calendar.findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
        QCOMPARE(calendar.selectedDate(), QDate(1999, 3, 30));
        QCOMPARE(calendar.heading(), QStringLiteral("mars  1999"));
    }

    void acrossTheYear()
    {
        TCalendrier calendar;
        calendar.setSelectedDate(QDate(1999, 1, 15));
        calendar.show();
        QCOMPARE(calendar.heading(), QStringLiteral("janvier  1999"));
        calendar.BitBtn1Click();
        QCOMPARE(calendar.selectedDate(), QDate(1998, 12, 15));
        QCOMPARE(calendar.heading(), QStringLiteral("décembre  1998"));
    }

    void pageKeys_data()
    {
        QTest::addColumn<QString>("target");
        for (const char* name : {"Calendar1", "BitBtn1", "BitBtn2", "Button1"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void pageKeys()
    {
        QFETCH(QString, target);
        TCalendrier calendar;
        calendar.setSelectedDate(QDate(2000, 1, 31));
        calendar.show();
        QTest::keyClick(keyTarget(calendar, target), Qt::Key_PageDown);
        QCOMPARE(calendar.selectedDate(), QDate(2000, 2, 29));
        QCOMPARE(calendar.heading(), QStringLiteral("février  2000"));
        QTest::keyClick(keyTarget(calendar, target), Qt::Key_PageUp);
        QTest::keyClick(keyTarget(calendar, target), Qt::Key_PageUp);
        QCOMPARE(calendar.selectedDate(), QDate(1999, 12, 29));
        QCOMPARE(calendar.heading(), QStringLiteral("décembre  1999"));
        QVERIFY(calendar.isVisible());
    }

    void escapeCloses_data() { pageKeys_data(); }
    void escapeCloses()
    {
        QFETCH(QString, target);
        TCalendrier calendar;
        calendar.show();
        QTest::keyClick(keyTarget(calendar, target), Qt::Key_Escape);
        QVERIFY(!calendar.isVisible());
    }

    void arrowKeysInTheGridRefreshTheHeading()
    {
        TCalendrier calendar;
        calendar.show();
        QTest::keyClick(keyTarget(calendar, QStringLiteral("Calendar1")), Qt::Key_Right);
        QCOMPARE(calendar.selectedDate(), QDate(1999, 4, 1));
        QCOMPARE(calendar.heading(), QStringLiteral("avril  1999"));
    }

    void enterInTheGridPressesNoButton()
    {
        TCalendrier calendar;
        calendar.show();
        QTest::keyClick(keyTarget(calendar, QStringLiteral("Calendar1")), Qt::Key_Return);
        QCOMPARE(calendar.selectedDate(), QDate(1999, 3, 31));
        QVERIFY(calendar.isVisible());
    }

    // The mouse wheel over the grid turns the month: the heading and the selected date go with it,
    // and the month buttons step on from there.
    void wheelKeepsHeadingGridAndDateTogether_data()
    {
        QTest::addColumn<int>("delta");
        QTest::addColumn<QDate>("after");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QDate>("afterNextMonth");
        QTest::newRow("towards the user: next month") << -120 << QDate(2000, 2, 29) << "février  2000" << QDate(2000, 3, 29);
        QTest::newRow("away: previous month") << 120 << QDate(1999, 12, 31) << "décembre  1999" << QDate(2000, 1, 31);
    }
    void wheelKeepsHeadingGridAndDateTogether()
    {
        QFETCH(int, delta);
        QFETCH(QDate, after);
        QFETCH(QString, heading);
        QFETCH(QDate, afterNextMonth);
        TCalendrier calendar;
        calendar.setSelectedDate(QDate(2000, 1, 31));
        calendar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&calendar));
        auto* grid = calendar.findChild<QCalendarWidget*>(QStringLiteral("Calendar1"));
        auto* view = grid->findChild<QAbstractItemView*>();
        const QPoint at = view->viewport()->rect().center();
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QCOMPARE(QDate(grid->yearShown(), grid->monthShown(), 1), QDate(after.year(), after.month(), 1));
        QCOMPARE(calendar.selectedDate(), after);
        QCOMPARE(calendar.heading(), heading);
        QTest::mouseClick(calendar.findChild<QPushButton*>(QStringLiteral("BitBtn2")), Qt::LeftButton);
        QCOMPARE(calendar.selectedDate(), afterNextMonth);
        QCOMPARE(grid->monthShown(), afterNextMonth.month());
    }

    void theDateSurvivesClosing()
    {
        TCalendrier calendar;
        calendar.show();
        calendar.BitBtn2Click();
        calendar.BitBtn2Click();
        QTest::mouseClick(calendar.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
        QVERIFY(!calendar.isVisible());
        timesource::set([] { return QDateTime(QDate(2024, 8, 1), QTime(10, 0)); });
        calendar.show();
        QCOMPARE(calendar.selectedDate(), QDate(1999, 5, 30));
        QCOMPARE(calendar.heading(), QStringLiteral("mai  1999"));
    }
};

TYX_TEST(TCalendrierTest);
#include "TCalendrierTest.moc"
