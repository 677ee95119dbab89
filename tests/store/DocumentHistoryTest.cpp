// The document's history: steps keep the runs of lines that changed, and replay them both ways.
#include "store/core/DocumentHistory.h"
#include "store/StoreTestData.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace store;
using storetest::topic;

namespace {

QStringList project(int topics)
{
    QStringList lines{"<HPJ>", "[OPTIONS]", "</HPJ>"};
    for (int n = 0; n < topics; ++n)
        lines << topic(n, "1\\", qPrintable(QStringLiteral("Titre %1").arg(n)), {"¶", QStringLiteral("corps %1¶").arg(n), "¶"});
    return lines;
}

// The document after `Supprime` of topic `k`: its block goes, the later tags move down by one.
QStringList deleted(QStringList lines, int k)
{
    const int open = int(lines.indexOf(topicOpenTag(k)));
    lines.remove(open, 7);
    for (QString& l : lines)
        for (int n = k + 1; n < 1000; ++n)
            if (l == topicOpenTag(n) || l == topicCloseTag(n)) {
                l = l.startsWith(u"</") ? topicCloseTag(n - 1) : topicOpenTag(n - 1);
                break;
            }
    return lines;
}

int runLines(const std::vector<LineHunk>& hunks)
{
    int n = 0;
    for (const LineHunk& h : hunks)
        n += h.oldCount + h.newCount;
    return n;
}

} // namespace

class DocumentHistoryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stepReplaysBothWays_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("maxRunLines"); // what the step may keep: the changed lines, not the document

        const QStringList doc = project(40);
        QStringList moved = doc;
        const int at = int(doc.indexOf(topicOpenTag(7)));
        QStringList block = moved.mid(at, 7);
        moved.remove(at, 7);
        block[4] = QStringLiteral("corps changé¶");
        moved << block;
        QTest::newRow("page written back to the end") << doc << moved << 14;
        QTest::newRow("page deleted, later tags renumbered") << doc << deleted(doc, 2) << 7 + 4 * 37;
        QTest::newRow("line inserted at the top") << doc << (QStringList{" "} + doc) << 1;
        QStringList replaced = doc;
        for (QString& l : replaced)
            l += u'x';
        QTest::newRow("every line changed") << doc << replaced << 2 * int(doc.size());
        QTest::newRow("from nothing") << QStringList() << doc << int(doc.size());
        QTest::newRow("to nothing") << doc << QStringList() << int(doc.size());
        QStringList marks(30, QStringLiteral("¶"));
        QStringList fewer = marks;
        fewer.removeAt(12);
        QTest::newRow("one of many equal lines") << marks << fewer << 1;
    }
    void stepReplaysBothWays()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(int, maxRunLines);
        QVERIFY(runLines(lineHunks(before, after)) <= maxRunLines);

        // A command changes the lines its own way: the step is what comparing finds.
        DocumentHistory h;
        QStringList lines = before;
        h.reset(lines, {}, true);
        h.begin(lines);
        lines = after;
        QVERIFY(h.record(lines, {5, 1, 3}, "pas"));
        h.end();
        StoreState s;
        QString label;
        QCOMPARE(h.undo(lines, s, &label), DocumentHistory::Replay::Done);
        QCOMPARE(lines, before);
        QCOMPARE(label, QStringLiteral("pas"));
        QVERIFY(h.atSaved());
        QCOMPARE(h.redo(lines, s), DocumentHistory::Replay::Done);
        QCOMPARE(lines, after);
        QCOMPARE(s, (StoreState{5, 1, 3}));
        QVERIFY(!h.atSaved());
    }

    // The store's own edits are noted as they are made, and replayed both ways; the lines a step
    // expects are checked first, so a change made around the history is never replayed over.
    void editsNotedAsTheyAreMade()
    {
        DocumentHistory h;
        QStringList lines{"a", "b", "c", "d"};
        h.reset(lines, {}, true);
        h.replace(lines, 1, 1, {}); // a page taken out ...
        h.replace(lines, 3, 0, {"B", "B2"}); // ... and written back at the end
        h.set(lines, 0, "A");
        QCOMPARE(lines, (QStringList{"A", "c", "d", "B", "B2"}));
        QVERIFY(h.record(lines, {2, 0, 1}, "page"));
        StoreState s;
        QCOMPARE(h.undo(lines, s), DocumentHistory::Replay::Done);
        QCOMPARE(lines, (QStringList{"a", "b", "c", "d"}));
        QCOMPARE(h.redo(lines, s), DocumentHistory::Replay::Done);
        QCOMPARE(lines, (QStringList{"A", "c", "d", "B", "B2"}));

        lines[3] = "changé ailleurs"; // a line the step wrote
        QCOMPARE(h.undo(lines, s), DocumentHistory::Replay::OutOfStep);
        QCOMPARE(lines[3], QStringLiteral("changé ailleurs"));
        QVERIFY(!h.canUndo());
    }

    // Steps come back in order with the state they were made from; a save's own change goes with
    // the step before it; a new step after undoing drops what was undone.
    void stepsGroupAndBranch()
    {
        DocumentHistory h;
        QStringList lines{"a"};
        h.reset(lines, {1, 0, 0}, true);
        QVERIFY(!h.record(lines, {1, 0, 0}, "rien"));
        h.replace(lines, 1, 0, {"b"});
        h.record(lines, {2, 0, 1}, "ajout b");
        h.replace(lines, 2, 0, {"c"});
        h.record(lines, {3, 0, 2}, "ajout c");
        h.begin(lines);
        lines[0] = "A"; // the [MAP] a save rebuilds
        h.record(lines, {3, 0, 2}, QString(), true);
        h.end();
        h.markSaved();
        QCOMPARE(h.undoLabel(), QStringLiteral("ajout c"));

        StoreState s;
        QCOMPARE(h.undo(lines, s), DocumentHistory::Replay::Done);
        QCOMPARE(lines, (QStringList{"a", "b"}));
        QCOMPARE(s, (StoreState{2, 0, 1}));
        QVERIFY(!h.atSaved());
        QCOMPARE(h.redo(lines, s), DocumentHistory::Replay::Done);
        QCOMPARE(lines, (QStringList{"A", "b", "c"}));
        QVERIFY(h.atSaved());

        h.undo(lines, s);
        h.undo(lines, s);
        QCOMPARE(lines, QStringList{"a"});
        QCOMPARE(h.undo(lines, s), DocumentHistory::Replay::Nothing);
        h.replace(lines, 1, 0, {"z"});
        h.record(lines, {2, 0, 1}, "ajout z");
        QVERIFY(!h.canRedo());
        h.undo(lines, s);
        h.redo(lines, s);
        QCOMPARE(lines, (QStringList{"a", "z"}));
        QVERIFY(!h.atSaved()); // the saved lines were dropped with the steps undone

        // A save's change with no step under it is nothing to undo.
        DocumentHistory fresh;
        QStringList f{"x"};
        fresh.reset(f, {}, true);
        fresh.begin(f);
        f[0] = "y";
        fresh.record(f, {}, QString(), true);
        fresh.end();
        QVERIFY(!fresh.canUndo());
    }

    void keepsTheLastSteps()
    {
        DocumentHistory h;
        QStringList lines;
        h.reset(lines, {}, true);
        for (int k = 0; k < DocumentHistory::KeptSteps + 20; ++k) {
            h.replace(lines, int(lines.size()), 0, {QString::number(k)});
            h.record(lines, {k, 0, 0}, QString::number(k));
        }
        QCOMPARE(h.stepCount(), DocumentHistory::KeptSteps);
        StoreState s;
        int undone = 0;
        while (h.undo(lines, s) == DocumentHistory::Replay::Done)
            ++undone;
        QCOMPARE(undone, DocumentHistory::KeptSteps);
        QCOMPARE(lines.size(), 20);
        QVERIFY(!h.atSaved()); // the state on disk went with the oldest steps
    }
};

TYX_TEST(DocumentHistoryTest);
#include "DocumentHistoryTest.moc"
