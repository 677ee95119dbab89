#include "store/core/PageOrder.h"
#include "store/core/TopicRecord.h"
#include "StoreTestData.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace store;
using storetest::popup;
using storetest::topic;

namespace {

// Topic n titled `title`, whose one body line "corps <id>" tells the blocks apart.
QStringList block(int n, const char* title, const char* id, const char* keywordLine = "1\\")
{
    return topic(n, keywordLine, title, {QStringLiteral("corps ") + QLatin1String(id)});
}

// The body line of each topic 0, 1, 2 ... as the readers find it.
QStringList bodiesByNumber(const QStringList& lines, int count)
{
    QStringList out;
    for (int n = 0; n < count; ++n) {
        const int open = findTag(lines, topicOpenTag(n));
        out << (open < 0 ? QStringLiteral("(absent)") : readTopic(lines, open, topicCloseTag(n)).body.value(0));
    }
    return out;
}

QList<PageEntry> entriesWithLevels(const QList<int>& levels)
{
    QList<PageEntry> out;
    for (int i = 0; i < levels.size(); ++i)
        out << PageEntry{i, QString(QChar(u'A' + i)), levels[i]};
    return out;
}

QString shape(const QList<PageEntry>& shown)
{
    QString s;
    for (const PageEntry& e : shown)
        s += e.title + QString::number(e.level);
    return s;
}

} // namespace

class PageOrderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void renumbering_data()
    {
        QTest::addColumn<QStringList>("document");
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<QStringList>("bodies"); // body of topic 0, 1, ... afterwards
        QTest::addColumn<bool>("changed");

        const QStringList five = QStringList{"<HPJ>", "</HPJ>"} + block(0, "A", "a") + block(1, "B", "b")
            + block(2, "C", "c") + block(3, "D", "d") + block(4, "E", "e");
        QTest::newRow("topic 3 moved to the top") << five << QList<int>{3, 0, 1, 2, 4}
                                                  << QStringList{"corps d", "corps a", "corps b", "corps c", "corps e"} << true;
        QTest::newRow("whole order reversed") << five << QList<int>{4, 3, 2, 1, 0}
                                              << QStringList{"corps e", "corps d", "corps c", "corps b", "corps a"} << true;
        QTest::newRow("order kept") << five << QList<int>{0, 1, 2, 3, 4}
                                    << QStringList{"corps a", "corps b", "corps c", "corps d", "corps e"} << false;
        QTest::newRow("titles equal ignoring case")
            << block(0, "Aide", "a") + block(1, "AIDE", "b") + block(2, "aide", "c") << QList<int>{2, 0, 1}
            << QStringList{"corps c", "corps a", "corps b"} << true;
        QTest::newRow("popup titled like a topic")
            << popup(0, "B", {"texte"}) + QStringList{QStringLiteral("B") + TitleEndMark} + block(0, "A", "a")
                   + block(1, "B", "b")
            << QList<int>{1, 0} << QStringList{"corps b", "corps a"} << true;
        QTest::newRow("blocks stored in any order")
            << block(2, "C", "c") + block(0, "A", "a") + block(1, "B", "b") << QList<int>{1, 2, 0}
            << QStringList{"corps b", "corps c", "corps a"} << true;
        QTest::newRow("lower-case tag")
            << QStringList{"<bloc0000>", "1\\", QStringLiteral("A") + TitleEndMark, "corps a", "</BLOC0000>"}
                   + block(1, "B", "b")
            << QList<int>{1, 0} << QStringList{"corps b", "corps a"} << true;
        QTest::newRow("last block without its close tag")
            << block(0, "A", "a") + QStringList{topicOpenTag(1), "1\\", QStringLiteral("B") + TitleEndMark, "corps b"}
            << QList<int>{1, 0} << QStringList{"corps b", "corps a"} << true;
        // A body line that reads as topic 1's tag stands before topic 0's block: after the swap the
        // readers would find it instead of the old topic 0, so nothing may change.
        QTest::newRow("stray tag line of the same number")
            << QStringList{topicOpenTag(1), "1\\", QStringLiteral("B") + TitleEndMark, topicOpenTag(1), topicCloseTag(1)}
                   + block(0, "A", "a")
            << QList<int>{1, 0} << QStringList{"corps a", topicOpenTag(1)} << false;
        QTest::newRow("not every number once") << five << QList<int>{1, 1, 2, 3, 4}
                                               << QStringList{"corps a", "corps b", "corps c", "corps d", "corps e"} << false;
        QTest::newRow("a listed topic has gone")
            << block(0, "A", "a") + block(2, "C", "c") << QList<int>{1, 0} << QStringList{"corps a", "(absent)"} << false;
    }
    void renumbering()
    {
        QFETCH(QStringList, document);
        QFETCH(QList<int>, order);
        QFETCH(QStringList, bodies);
        QFETCH(bool, changed);
        QStringList lines = document;
        const Renumbering r = renumberTopics(lines, order);
        QCOMPARE(r.changed, changed);
        QCOMPARE(bodiesByNumber(lines, int(bodies.size())), bodies);
        // Only tag lines change: nothing is inserted, deleted or moved.
        QCOMPARE(lines.size(), document.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines[i] != document[i])
                QVERIFY2(looksLikeTag(lines[i]) && looksLikeTag(document[i]), qPrintable(lines[i]));
        if (!changed)
            QCOMPARE(lines, document);
        for (int i = 0; i < order.size() && changed; ++i)
            QCOMPARE(r.newNumber(order[i]), i);
    }

    void listingStopsAtTheFirstGap_data()
    {
        QTest::addColumn<QStringList>("document");
        QTest::addColumn<QString>("titles");
        QTest::newRow("no topic 0") << block(1, "B", "b") << "";
        QTest::newRow("0, 1 and 3") << block(0, "A", "a") + block(1, "B", "b") + block(3, "D", "d") << "A1 B1";
        QTest::newRow("block without a title line")
            << block(0, "A", "a") + QStringList{topicOpenTag(1), "1\\", topicCloseTag(1)} << "A1 </BLOC00011";
    }
    void listingStopsAtTheFirstGap()
    {
        QFETCH(QStringList, document);
        QFETCH(QString, titles);
        QStringList shown;
        for (const PageEntry& e : pageEntries(document))
            shown << e.title + QString::number(e.level);
        QCOMPARE(shown.join(u' '), titles);
    }

    void outline_data()
    {
        QTest::addColumn<QStringList>("keywordLines");
        QTest::addColumn<QList<int>>("depths");
        QTest::newRow("1, 2, 2, 1") << QStringList{"1\\", "2\\", "2\\", "1\\"} << QList<int>{0, 1, 2, 0};
        QTest::newRow("level-2 topic 0") << QStringList{"2\\", "1\\", "2\\"} << QList<int>{0, 0, 1};
        QTest::newRow("not a digit, empty, 3") << QStringList{"1\\", "xmot\\", "", "3\\"} << QList<int>{0, 0, 0, 0};
    }
    void outline()
    {
        QFETCH(QStringList, keywordLines);
        QFETCH(QList<int>, depths);
        QStringList lines;
        for (int n = 0; n < keywordLines.size(); ++n)
            lines << topicOpenTag(n) << keywordLines[n] << QStringLiteral("T") + TitleEndMark << topicCloseTag(n);
        QCOMPARE(outlineDepths(pageEntries(lines)), depths);
    }

    // The hierarchy's buttons on entries A, B ... with the given levels; each row applies one.
    void treeButtons_data()
    {
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("selected"); // the moved entry's index, -1 when nothing happened
        const QList<int> tree{1, 2, 1, 1, 2};
        QTest::newRow("up with children") << tree << "up" << 3 << "A1B2D1E2C1" << 2;
        QTest::newRow("up over a subtree") << tree << "up" << 2 << "C1A1B2D1E2" << 0;
        QTest::newRow("up on the first") << tree << "up" << 0 << "A1B2C1D1E2" << -1;
        QTest::newRow("up on a child") << tree << "up" << 1 << "A1B2C1D1E2" << -1;
        QTest::newRow("down with children") << tree << "down" << 0 << "C1A1B2D1E2" << 1;
        QTest::newRow("down on the last sibling") << tree << "down" << 3 << "A1B2C1D1E2" << -1;
        QTest::newRow("right") << tree << "right" << 2 << "A1B2C2D1E2" << 2;
        QTest::newRow("right on the first") << tree << "right" << 0 << "A1B2C1D1E2" << -1;
        QTest::newRow("left") << tree << "left" << 4 << "A1B2C1D1E1" << 4;
        QTest::newRow("left on level 1") << tree << "left" << 3 << "A1B2C1D1E2" << -1;
    }
    void treeButtons()
    {
        QFETCH(QList<int>, levels);
        QFETCH(QString, button);
        QFETCH(int, entry);
        QFETCH(QString, after);
        QFETCH(int, selected);
        QList<PageEntry> shown = entriesWithLevels(levels);
        int result = -1;
        if (button == "up")
            result = moveEntryUp(shown, entry);
        else if (button == "down")
            result = moveEntryDown(shown, entry);
        else if (button == "right")
            result = indentEntry(shown, entry) ? entry : -1;
        else
            result = outdentEntry(shown, entry) ? entry : -1;
        QCOMPARE(shape(shown), after);
        QCOMPARE(result, selected);
        QCOMPARE(outlineDepths(shown).value(0), 0);
    }

    void levelsWritten_data()
    {
        QTest::addColumn<QString>("keywordLine");
        QTest::addColumn<int>("number"); // the topic's number after the renumbering
        QTest::addColumn<int>("level");  // as the tree shows it
        QTest::addColumn<QString>("after");
        QTest::newRow("1 to 2") << "1mots\\Cible" << 1 << 2 << "2mots\\Cible";
        QTest::newRow("2 to 1") << "2mots\\" << 1 << 1 << "1mots\\";
        QTest::newRow("kept") << "2mots\\" << 1 << 2 << "2mots\\";
        QTest::newRow("level-2 topic 0 stays") << "2mots\\" << 0 << 1 << "2mots\\";
        QTest::newRow("letter first") << "mots\\" << 1 << 2 << "2mots\\";
        QTest::newRow("other digit first") << "3mots" << 1 << 2 << "23mots";
        QTest::newRow("empty line") << "" << 1 << 2 << "2";
    }
    void levelsWritten()
    {
        QFETCH(QString, keywordLine);
        QFETCH(int, number);
        QFETCH(int, level);
        QFETCH(QString, after);
        // The topic under test is numbered `number`; the other one takes the other number.
        QStringList lines = block(1 - number, "A", "a");
        lines << topicOpenTag(number) << keywordLine << QStringLiteral("B") + TitleEndMark << topicCloseTag(number);
        const QStringList before = lines;
        const bool changed = writeLevels(lines, {PageEntry{number, "B", level}}, Renumbering{});
        QCOMPARE(lines[findTag(lines, topicOpenTag(number)) + 1], after);
        QCOMPARE(changed, after != keywordLine);
        QCOMPARE(lines.size(), before.size());
        QCOMPARE(lines.mid(0, 5), before.mid(0, 5)); // the other topic is untouched
    }

    void levelOfABlockCutShortIsNotWritten()
    {
        QStringList lines = block(0, "A", "a") + QStringList{topicOpenTag(1), topicCloseTag(1)};
        const QStringList before = lines;
        QVERIFY(!writeLevels(lines, {PageEntry{1, QString(), 2}}, Renumbering{}));
        QCOMPARE(lines, before);
    }
};

TYX_TEST(PageOrderTest);
#include "PageOrderTest.moc"
