#include "editor/core/SearchReplace.h"
#include "store/core/Blocks.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace editor;
using store::TitleEndMark;

namespace {

QStringList topic(int n, const QString& title, const QStringList& body, const QString& keywords = "1\\")
{
    QStringList out{store::topicOpenTag(n), keywords, title + TitleEndMark};
    out << body << store::topicCloseTag(n);
    return out;
}

// Header, project block, three topics (stored in the order 0, 1, 2), a popup.
QStringList sample()
{
    QStringList lines{"<HEADER>", "ete", "</HEADER>", "<HPJ>", "TITLE=ete", "</HPJ>"};
    lines << topic(0, "Sommaire", {"abc", "defgh", "xxTEXTyy"}, "1mot;ETE\\")
          << topic(1, "Un Ete chaud", {"rien", "été ici"})
          << topic(2, "Fin", {"deux text et TEXT", "encore text"})
          << "entre les blocs text"
          << store::popupOpenTag(0) << "Definition" + QString(TitleEndMark) << "text du popup" << store::popupCloseTag(0);
    return lines;
}

QList<SearchMatch> allMatches(const QStringList& lines, const QString& text)
{
    SearchPosition pos = searchStart(lines);
    QList<SearchMatch> found;
    while (auto m = searchStep(lines, pos, text))
        found << *m;
    return found;
}

SearchMatch title(int page, int start, int length) { return {page, true, start, length}; }
SearchMatch body(int page, int start, int length) { return {page, false, start, length}; }

} // namespace

Q_DECLARE_METATYPE(QList<editor::SearchMatch>)

class SearchReplaceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stepsFindWhatTheSearchExamines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<SearchMatch>>("expected");
        // Keywords, the header, the project block, popups and lines between blocks are never searched.
        QTest::newRow("keyword only") << "mot" << QList<SearchMatch>{};
        QTest::newRow("ASCII letters fold") << "ete" << QList<SearchMatch>{title(1, 3, 3)};
        QTest::newRow("accents do not fold") << QString::fromUtf8("ÉTÉ") << QList<SearchMatch>{};
        QTest::newRow("accents match exactly") << QString::fromUtf8("été") << QList<SearchMatch>{body(1, 5, 3)};
        // Third body line: 3 + 1 + 5 + 1 characters before it, the text at its third character.
        QTest::newRow("third body line") << "text"
                                         << QList<SearchMatch>{body(0, 12, 4), body(2, 5, 4), body(2, 25, 4)};
        QTest::newRow("title") << "fin" << QList<SearchMatch>{title(2, 0, 3)};
        QTest::newRow("non-letter first") << " chaud" << QList<SearchMatch>{title(1, 6, 6)};
        QTest::newRow("empty text") << "" << QList<SearchMatch>{};
        QTest::newRow("tag text") << "BLOC" << QList<SearchMatch>{};
    }
    void stepsFindWhatTheSearchExamines()
    {
        QFETCH(QString, text);
        QFETCH(QList<SearchMatch>, expected);
        QCOMPARE(allMatches(sample(), text), expected);
    }

    void matchesAnywhereInALine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("at");
        QTest::newRow("at the end") << "abcdef" << "DEF" << 3;
        QTest::newRow("at the start") << "abcdef" << "a" << 0;
        QTest::newRow("whole line") << "abc" << "ABC" << 0;
        QTest::newRow("longer than the line") << "abc" << "abcd" << -1;
        QTest::newRow("repeats") << "aaab" << "aab" << 1;
        QTest::newRow("after a near miss") << "abcabd" << "abd" << 3;
        // U+0141 shares its low byte with 'A': jumps stay safe.
        QTest::newRow("shared low byte") << QString::fromUtf8("xAŁAyŁ") << QString::fromUtf8("ŁAy") << 2;
        QTest::newRow("shared low byte, no match") << QString::fromUtf8("ŁAŁA") << QString::fromUtf8("AŁŁ") << -1;
        QTest::newRow("digits and signs") << "prix : 5 € net" << "5 €" << 7;
        QTest::newRow("only ASCII folds") << QString::fromUtf8("ÿ") << QString::fromUtf8("Ÿ") << -1;
    }
    void matchesAnywhereInALine()
    {
        QFETCH(QString, line);
        QFETCH(QString, text);
        QFETCH(int, at);
        const QStringList lines = topic(0, "-", {"", line});
        const auto found = allMatches(lines, text);
        QCOMPARE(found.isEmpty() ? -1 : found.first().start - 1, at);
    }

    void noMatchLeavesThePosition()
    {
        const QStringList lines = sample();
        SearchPosition pos = searchStart(lines);
        QCOMPARE(pos.SearchLine, 6);
        QVERIFY(searchStep(lines, pos, u"defgh"));
        const SearchPosition after = pos;
        QCOMPARE(after.SearchBlockLine, 5);
        QCOMPARE(after.SearchOffset, 10);
        QCOMPARE(after.SearchTag, QStringLiteral("<BLOC0000>"));
        QVERIFY(!searchStep(lines, pos, u"defgh"));
        QCOMPARE(pos, after); // F3 after the end says the same again
        QVERIFY(!searchStep(lines, pos, u"defgh"));
    }

    void storageOrderNotTopicOrder()
    {
        // Topic 0 stored last: it is searched after topic 1.
        QStringList lines = topic(1, "B", {"mot"});
        lines << topic(0, "A", {"mot"});
        const auto found = allMatches(lines, "MOT");
        QCOMPARE(found.size(), 2);
        QCOMPARE(found[0].page, 1);
        QCOMPARE(found[1].page, 0);
    }

    void lowerCaseTagsOpenBlocks()
    {
        QStringList lines{"<bloc0003>", "1\\", "Titre" + QString(TitleEndMark), "mot", "</bloc0003>", "mot dehors"};
        QCOMPARE(allMatches(lines, "mot"), QList<SearchMatch>{body(3, 0, 3)});
    }

    // Topics 0 to 3, five lines each; topic 1's block is taken out and appended. The position is
    // (block before it, place in its block).
    void positionFollowsAMovedBlock_data()
    {
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("place");
        QTest::addColumn<int>("expectedBlock");
        QTest::addColumn<bool>("reset");
        QTest::newRow("before the block") << 0 << 3 << 0 << false;
        QTest::newRow("at its tag") << 1 << 0 << 1 << true;
        QTest::newRow("inside") << 1 << 3 << 1 << true;
        QTest::newRow("further on") << 3 << 4 << 2 << false;
    }
    void positionFollowsAMovedBlock()
    {
        QFETCH(int, block);
        QFETCH(int, place);
        QFETCH(int, expectedBlock);
        QFETCH(bool, reset);
        QStringList lines;
        for (int n = 0; n < 4; ++n)
            lines << topic(n, "T", {"x", "y"});
        SearchPosition pos{0, store::topicOpenTag(block), place, 7, block};
        lines << lines.mid(5, 5);
        lines.remove(5, 5);
        blockRemoved(pos, lines, 5);
        QCOMPARE(pos.SearchBlock, expectedBlock);
        QCOMPARE(pos.SearchTag.isEmpty(), reset);
        QCOMPARE(pos.SearchBlockLine, reset ? 0 : place);
    }

    // Lines moved above the topics (a [MAP] rebuilt at a save): the next step goes on after the
    // last match, in the same block.
    void positionFollowsLinesInsertedAbove()
    {
        QStringList lines = QStringList{"<HPJ>", "[MAP]", "</HPJ>"} + topic(0, "A", {"mot", "mot"}) + topic(1, "B", {"mot"});
        SearchPosition pos = searchStart(lines);
        QCOMPARE(*searchStep(lines, pos, u"mot"), body(0, 0, 3));
        lines.insert(2, "IDH_A\t1");
        lines.insert(3, "IDH_B\t2");
        QCOMPARE(*searchStep(lines, pos, u"mot"), body(0, 4, 3));
        QCOMPARE(*searchStep(lines, pos, u"mot"), body(1, 0, 3));
        QVERIFY(!searchStep(lines, pos, u"mot"));
    }

    void storeDuringASearchKeepsTheRest()
    {
        // A match in topic 0, then topic 0 is stored (moved to the end): topics 1 and 2 still come
        // next, and the changed topic 0 last.
        QStringList lines = topic(0, "A", {"mot"});
        lines << topic(1, "B", {"mot"}) << topic(2, "C", {"mot"});
        SearchPosition pos = searchStart(lines);
        QCOMPARE(searchStep(lines, pos, u"mot")->page, 0);
        const QStringList moved = lines.mid(0, 5);
        lines.remove(0, 5);
        lines << moved;
        blockRemoved(pos, lines, 0);
        QList<int> pages;
        while (auto m = searchStep(lines, pos, u"mot"))
            pages << m->page;
        QCOMPARE(pages, (QList<int>{1, 2, 0}));
    }

    void renumberedBlockGivesItsNewNumber()
    {
        QStringList lines = topic(3, "A", {"mot", "mot"});
        SearchPosition pos = searchStart(lines);
        QCOMPARE(searchStep(lines, pos, u"mot")->page, 3);
        lines[0] = store::topicOpenTag(2);
        lines.last() = store::topicCloseTag(2);
        QCOMPARE(searchStep(lines, pos, u"mot")->page, 2);
    }

    void replaceAllSweeps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("with");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("count");
        const QString m(TitleEndMark);
        QTest::newRow("every occurrence in a line")
            << "text" << "mot" << topic(0, "T", {"text, Text et TEXT"}) << topic(0, "T", {"mot, mot et mot"}) << 3;
        QTest::newRow("replacement holds the text")
            << "ab" << "abab" << topic(0, "ab", {"ab ab"}) << topic(0, "abab", {"abab abab"}) << 3;
        QTest::newRow("keywords untouched")
            << "mot" << "X" << topic(0, "T", {"un mot"}, "1mot\\") << topic(0, "T", {"un X"}, "1mot\\") << 1;
        QTest::newRow("accents exact")
            << QString::fromUtf8("été") << "E" << topic(0, QString::fromUtf8("ÉTÉ été"), {})
            << topic(0, QString::fromUtf8("ÉTÉ E"), {}) << 1;
        QTest::newRow("a line that would read as a tag")
            << "x" << "<BLOC0009>" << topic(0, "T", {"x"}) << topic(0, "T", {"{}<BLOC0009>"}) << 1;
        QTest::newRow("a close tag would end the block")
            << "fin" << "</BLOC0000>" << topic(0, "T", {"fin"}) << topic(0, "T", {"{}</BLOC0000>"}) << 1;
        QTest::newRow("line breaks in the replacement")
            << "x" << "a\nb" << topic(0, "T", {"x"}) << topic(0, "T", {"a b"}) << 1;
        QStringList popup{store::popupOpenTag(0), "x" + m, "x", store::popupCloseTag(0), "x"};
        QTest::newRow("popups and loose lines untouched") << "x" << "y" << popup << popup << 0;
    }
    void replaceAllSweeps()
    {
        QFETCH(QString, text);
        QFETCH(QString, with);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(int, count);
        QStringList lines = before;
        QCOMPARE(replaceAll(lines, text, with), count);
        QCOMPARE(lines, after);
    }
};

TYX_TEST(SearchReplaceTest);
#include "SearchReplaceTest.moc"
