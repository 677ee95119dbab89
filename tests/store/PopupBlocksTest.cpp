// Popup blocks and links: the block a popup is written as, the list of popups, and the removal
// that keeps the numbers free of gaps.
#include "store/core/Blocks.h"
#include "store/core/PopupBlocks.h"
#include "store/StoreTestData.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace store;
using storetest::popup;
using storetest::topic;

namespace {
const QString Mark(ParagraphMark);
QString link(const char* word, int n) { return PopupLink(QString::fromUtf8(word), n); }
} // namespace

class PopupBlocksTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void blockLines_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QStringList>("text");
        QTest::addColumn<QStringList>("block");
        QTest::newRow("mark dropped from the title") << 3 << QStringList{QString::fromUtf8("Fenêtre") + Mark, "Suite" + Mark}
            << QStringList{"<POPUP0003>", QString::fromUtf8("Fenêtre0003\x01"), QString::fromUtf8("Fenêtre") + Mark,
                   "Suite" + Mark, "</POPUP0003>"};
        QTest::newRow("first line without mark") << 12 << QStringList{"Note"}
            << QStringList{"<POPUP0012>", "Note0012\x01", "Note", "</POPUP0012>"};
        // Lines a reader would take for tags get the empty group, the title follows the first line.
        QTest::newRow("tag-like lines protected") << 0 << QStringList{"<POPUP0001>", "</BLOC0000>", "<hpj>", "<BLOCage"}
            << QStringList{"<POPUP0000>", "{}<POPUP0001>0000\x01", "{}<POPUP0001>", "{}</BLOC0000>", "{}<hpj>",
                   "{}<BLOCage", "</POPUP0000>"};
    }
    void blockLines()
    {
        QFETCH(int, number);
        QFETCH(QStringList, text);
        QFETCH(QStringList, block);
        const QStringList made = popupBlock(number, text);
        QCOMPARE(made, block);
        // Nothing inside the block counts as a tag but its own two tags.
        int tags = 0;
        for (const QString& l : made)
            tags += isPopupOpenPrefix(l) || isTopicOpenPrefix(l) || isTopicClosePrefix(l);
        QCOMPARE(tags, 1);
        QCOMPARE(popupText(made, 0, popupCloseTag(number)), made.mid(2, made.size() - 3));
    }

    void listInNumberOrder()
    {
        QStringList lines{"<HPJ>", "</HPJ>"};
        lines << popup(1, "Second", {"Second" + Mark}) << topic(0, "1\\", "Page", {"x"})
              << popup(0, "Premier", {"Premier" + Mark}) << "</POPU0009>" << popup(3, "Hors suite", {"z"});
        lines.insert(lines.indexOf("<POPUP0000>"), "<popup0002>"); // found although not counted
        lines.insert(lines.indexOf("<popup0002>") + 1, "Minuscule0002\x01");
        QCOMPARE(popupTitles(lines), (QStringList{"Premier", "Second", "Minuscule", "Hors suite"}));
        QCOMPARE(countPopupBlocks(lines), 3);
        lines.removeAt(lines.indexOf("<popup0002>"));
        QCOMPARE(popupTitles(lines), (QStringList{"Premier", "Second"})); // the walk stops at the gap
        QCOMPARE(popupTitles({"<POPUP0000>"}), QStringList{""});          // a block cut short
    }

    void hiddenLinks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("number");
        QTest::newRow("link") << link("mot", 7) << 9 << 7;
        QTest::newRow("letters in any case") << "x {\\V pP0012}" << 2 << 12;
        QTest::newRow("escaped brace is text") << "\\{\\v Pp0001}" << -1 << -1;
        QTest::newRow("escaped backslash before a real group") << "\\\\{\\v Pp0001}" << 2 << 1;
        QTest::newRow("three digits") << "{\\v Pp001}" << -1 << -1;
        QTest::newRow("five digits") << "{\\v Pp10000}" << -1 << -1;
        QTest::newRow("other hidden text") << "{\\v IDH_Accueil}" << -1 << -1;
    }
    void hiddenLinks()
    {
        QFETCH(QString, text);
        QFETCH(int, at);
        QFETCH(int, number);
        int found = -1;
        QCOMPARE(int(findHiddenLink(text, 0, found)), at);
        if (at >= 0)
            QCOMPARE(found, number);
    }

    void removal_data()
    {
        QTest::addColumn<QStringList>("bodies"); // one topic body line each
        QTest::addColumn<int>("removed");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("plain");
        QTest::newRow("later links follow, removed ones become words")
            << QStringList{"Voir " + link("Appel", 0) + " et " + link("Support", 2) + ".", link("un", 1) + link("deux", 0)}
            << 0
            << QStringList{"Voir Appel et " + link("Support", 1) + ".", link("un", 0) + "deux"} << 2;
        QTest::newRow("earlier links stay") << QStringList{link("a", 0) + link("b", 1) + link("c", 2)} << 1
                                            << QStringList{link("a", 0) + "b" + link("c", 1)} << 2; // and the one in popup 2
        QTest::newRow("escaped braces in the anchor") << QStringList{PopupLink("x \\{y\\}", 2)} << 2
                                                      << QStringList{"x \\{y\\}"} << 1;
        QTest::newRow("hidden part without its anchor group") << QStringList{"\\b mot\\b0 {\\v Pp0001} fin"} << 1
                                                              << QStringList{"\\b mot\\b0  fin"} << 2;
        QTest::newRow("anchor split over two lines") << QStringList{"{\\ul deux", "mots}{\\v Pp0000}."} << 0
                                                     << QStringList{"{\\ul deux", "mots}."} << 1;
    }
    void removal()
    {
        QFETCH(QStringList, bodies);
        QFETCH(int, removed);
        QFETCH(QStringList, after);
        QFETCH(int, plain);
        QStringList lines{"<HPJ>", "</HPJ>"};
        lines << popup(2, "Deux", {"Deux" + Mark, link("interne", 1)}) << topic(0, "1\\", "Page", bodies)
              << popup(0, "Zéro", {"Zéro" + Mark}) << popup(1, "Un", {"Un" + Mark});
        QCOMPARE(planPopupRemoval(lines, removed).plainLinks, plain);
        QCOMPARE(removePopup(lines, removed), plain);
        const int open = findTag(lines, topicOpenTag(0));
        QCOMPARE(lines.mid(open + 3, after.size()), after);
        // Two popups are left, numbered 0 and 1, each block whole with its title line renumbered.
        QStringList titles{"Zéro", "Un", "Deux"};
        titles.removeAt(removed);
        QCOMPARE(popupTitles(lines), titles);
        QCOMPARE(countPopupBlocks(lines), 2);
        QCOMPARE(findTag(lines, popupOpenTag(2)), -1);
        for (int n = 0; n < 2; ++n) {
            const int p = findTag(lines, popupOpenTag(n));
            QVERIFY(lines[p + 1].endsWith(BlockNumber(n) + TitleEndMark));
            QVERIFY(findExact(lines, popupCloseTag(n), p) > p);
        }
    }

    void linksInsidePopupsFollowToo()
    {
        QStringList lines = popup(2, "Deux", {"Deux" + Mark, link("interne", 1), link("autre", 3)});
        lines << popup(0, "Zéro", {"Zéro" + Mark}) << popup(1, "Un", {"Un" + Mark}) << popup(3, "Trois", {"T"});
        QCOMPARE(removePopup(lines, 0), 0);
        const int p = findTag(lines, popupOpenTag(1));
        QCOMPARE(lines.mid(p, 5), (QStringList{"<POPUP0001>", "Deux0001\x01", "Deux" + Mark, link("interne", 0), link("autre", 2)}));
    }

    void removingAMissingPopupChangesNothing()
    {
        QStringList lines = popup(0, "Zéro", {"Zéro" + Mark});
        lines << link("x", 1);
        const QStringList before = lines;
        QCOMPARE(removePopup(lines, 1), -1);
        QCOMPARE(lines, before);
    }
};

TYX_TEST(PopupBlocksTest);

#include "PopupBlocksTest.moc"
