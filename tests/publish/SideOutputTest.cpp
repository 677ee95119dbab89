#include "publish/core/PrintLayout.h"
#include "publish/core/TextExport.h"
#include "publish/core/TextRows.h"
#include "store/core/Blocks.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace publish;
using store::TitleEndMark;

namespace {

QStringList topic(int n, const QString& title, const QStringList& body)
{
    QStringList out{store::topicOpenTag(n), "1mots\\", title + TitleEndMark};
    out << body << store::topicCloseTag(n);
    return out;
}

// Topics 0 "A" (x, y) and 1 "B" (no body), stored in reverse order, with a popup and a header.
QStringList twoTopics()
{
    QStringList lines{"<HEADER>", "</HEADER>"};
    lines << topic(1, "B", {}) << topic(0, "A", {"x", "y"}) << store::popupOpenTag(0) << "P" + QString(TitleEndMark)
          << "p" << store::popupCloseTag(0);
    return lines;
}

PrintMeasure measure(int width, int rows)
{
    PrintMeasure m;
    m.pageWidth = width;
    m.rowsPerPage = rows;
    m.tabWidth = 8;
    m.charWidth = [](QChar c) { return c == u'W' ? 2 : 1; };
    return m;
}

} // namespace

Q_DECLARE_METATYPE(QList<publish::PrintPage>)

class SideOutputTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exportGivesTitlesAndBodiesInNumberOrder()
    {
        QCOMPARE(exportText(twoTopics(), 2), QByteArray("A\r\nx\r\ny\r\nB\r\n"));
        QCOMPARE(exportText(twoTopics(), 1), QByteArray("A\r\nx\r\ny\r\n"));
        // A missing number ends the walk.
        QStringList gap = topic(0, "A", {}) + topic(2, "C", {});
        QCOMPARE(exportText(gap, 3), QByteArray("A\r\n"));
        // Body lines as stored: markup and paragraph marks kept, in code page 1252.
        const QString body = QString::fromUtf8("\\b gras\\b0 é€") + store::ParagraphMark;
        bool lossy = true;
        QCOMPARE(exportText(topic(0, "T", {body}), 1, &lossy), QByteArray("T\r\n\\b gras\\b0 \xE9\x80\xB6\r\n"));
        QVERIFY(!lossy);
        QCOMPARE(exportText(topic(0, QString::fromUtf8("→"), {}), 1, &lossy), QByteArray("?\r\n"));
        QVERIFY(lossy);
        // A block cut short after its keyword line has no title.
        QCOMPARE(exportText({store::topicOpenTag(0), "1\\"}, 1), QByteArray());
    }

    void rtfByExtensionInAnyCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("rtf");
        QTest::newRow("rtf") << "/d/a.rtf" << true;
        QTest::newRow("mixed case") << "/d/a.RtF" << true;
        QTest::newRow("txt") << "/d/a.txt" << false;
        QTest::newRow("other") << "/d/a.doc" << false;
        QTest::newRow("none") << "/d/rtf" << false;
        QTest::newRow("rtf folder") << "/d/x.rtf/a" << false;
        QTest::newRow("longer") << "/d/a.rtfx" << false;
    }
    void rtfByExtensionInAnyCase()
    {
        QFETCH(QString, name);
        QFETCH(bool, rtf);
        QCOMPARE(isRtfName(name), rtf);
    }

    void topicRange_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("expected");
        QStringList three = topic(0, "A", {"a"}) + topic(1, "B", {"b1", "b2"}) + topic(2, "C", {});
        QTest::newRow("2 to 3") << 2 << 3 << QStringList{"B", "b1", "b2", "", "C", ""};
        QTest::newRow("3 to 2") << 3 << 2 << QStringList{};
        QTest::newRow("past the last") << 3 << 9 << QStringList{"C", ""};
        QTest::newRow("0 selects nothing") << 0 << 0 << QStringList{};
    }
    void topicRange()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, expected);
        QStringList three = topic(0, "A", {"a"}) + topic(1, "B", {"b1", "b2"}) + topic(2, "C", {});
        QCOMPARE(topicPrintLines(three, from, to), expected);
    }

    void titlesListPutsTheNumberAfterTheDots()
    {
        const QString title52(60, u'T');
        QStringList lines = topic(0, "Douze lettre", {}) + topic(1, "Quat", {}) + topic(2, title52, {});
        const QStringList list = titleListLines(lines, 3);
        QCOMPARE(list[0], "Douze lettre" + QString(40, u'.') + "1");
        QCOMPARE(list[0].indexOf(u'1'), 52); // column 53
        QCOMPARE(list[1], "Quat" + QString(45, u'.') + "2");
        QCOMPARE(list[2], QString(52, u'T') + "3");
        QCOMPARE(titleListLines(lines, 2).size(), 2);
    }

    // Printed in a proportional font, the numbers still end at one edge and the dots share columns.
    void titlesListLinesUpItsNumbers()
    {
        PrintMeasure m;
        m.pageWidth = 300;
        m.rowsPerPage = 10;
        m.charWidth = [](QChar c) { return c == u'W' ? 12 : c == u'i' ? 3 : c == u'.' ? 4 : c.isDigit() ? 7 : 6; };
        const QList<std::pair<QString, QString>> entries{
            {"iiii", "1"}, {"WWWW", "10"}, {QString(60, u'W'), "100"}, {QString(), "1000"}};
        const QList<PrintPage> pages = layoutTitleList(entries, m);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0].size(), entries.size());
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const PrintRow& row = pages[0][i];
            const PrintRun& number = row.back();
            QCOMPARE(number.text, entries[i].second);
            QCOMPARE(number.x + 7 * int(number.text.size()), 300); // right edges line up
            const PrintRun& dots = row[row.size() - 2];
            QVERIFY(dots.text.count(u'.') == dots.text.size());
            QCOMPARE(dots.x % 4, 0);                                // on the shared grid
            QVERIFY(dots.x + 4 * int(dots.text.size()) <= number.x); // before the number
        }
        QCOMPARE(pages[0][0][0].text, QStringLiteral("iiii"));
        QVERIFY(pages[0][2][0].text.size() < 60); // the long title is cut to leave the number its place
    }

    void pagesBreakLinesAndPages_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<PrintPage>>("pages");
        QTest::newRow("fits") << QStringList{"abc", "", "de"} << 10 << 5
                              << QList<PrintPage>{{{{0, "abc"}}, {}, {{0, "de"}}}};
        // Broken after the last character that fits; W is two units wide.
        QTest::newRow("too wide") << QStringList{"abcdefg"} << 3 << 5
                                  << QList<PrintPage>{{{{0, "abc"}}, {{0, "def"}}, {{0, "g"}}}};
        QTest::newRow("wide letter") << QStringList{"aWb"} << 3 << 5 << QList<PrintPage>{{{{0, "aW"}}, {{0, "b"}}}};
        QTest::newRow("new page") << QStringList{"a", "b", "c"} << 5 << 2
                                  << QList<PrintPage>{{{{0, "a"}}, {{0, "b"}}}, {{{0, "c"}}}};
        QTest::newRow("tabs") << QStringList{"a\tb\t\tc"} << 40 << 5
                              << QList<PrintPage>{{{{0, "a"}, {8, "b"}, {24, "c"}}}};
        QTest::newRow("tab past the edge") << QStringList{"abcdefghij\tk"} << 12 << 5
                                           << QList<PrintPage>{{{{0, "abcdefghij"}}, {{0, "k"}}}};
        QTest::newRow("narrower than a letter") << QStringList{"WW"} << 1 << 5
                                                << QList<PrintPage>{{{{0, "W"}}, {{0, "W"}}}};
        QTest::newRow("nothing") << QStringList{} << 10 << 5 << QList<PrintPage>{};
    }
    void pagesBreakLinesAndPages()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, width);
        QFETCH(int, rows);
        QFETCH(QList<PrintPage>, pages);
        QCOMPARE(layoutPages(lines, measure(width, rows)), pages);
    }

    void viewerRows()
    {
        TextRows rows;
        rows.setText(QStringLiteral("un\r\ndeux\rtrois\n"));
        QCOMPARE(rows.text(), QStringLiteral("un\ndeux\ntrois\n"));
        QCOMPARE(rows.rowCount(), 4);
        QCOMPARE(rows.row(1).toString(), QStringLiteral("deux"));
        QCOMPARE(rows.row(3).toString(), QString());
        QCOMPARE(rows.rowOf(2), 0); // the line end belongs to its row
        QCOMPARE(rows.rowOf(3), 1);

        // A very long line goes on over several rows and keeps its text whole.
        const QString longLine(TextRows::MaxRowLength * 2 + 5, u'x');
        rows.setText(longLine + "\nfin");
        QCOMPARE(rows.rowCount(), 4);
        QCOMPARE(rows.rowLength(0), TextRows::MaxRowLength);
        QCOMPARE(rows.rowLength(2), 5);
        QCOMPARE(rows.row(3).toString(), QStringLiteral("fin"));
        QCOMPARE(rows.longestRow(), TextRows::MaxRowLength);
        // Exactly a multiple of the row length: no empty row before the line end.
        rows.setText(QString(TextRows::MaxRowLength, u'y') + "\nz");
        QCOMPARE(rows.rowCount(), 2);
        QCOMPARE(rows.row(1).toString(), QStringLiteral("z"));
        rows.setText(QString());
        QCOMPARE(rows.rowCount(), 1);
        QCOMPARE(rows.rowLength(0), 0);
    }
};

TYX_TEST(SideOutputTest);
#include "SideOutputTest.moc"
