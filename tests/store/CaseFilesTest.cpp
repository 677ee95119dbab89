// Project files that once lost or garbled text (tests/data/cases), and the small documents that
// show the same faults: every page survives an edit and a save, a repair passes the next check,
// and saving twice writes the bytes of saving once.
#include "platform/core/TextFile.h"
#include "store/StoreTestData.h"
#include "store/core/DocumentStore.h"
#include "store/core/PopupBlocks.h"
#include "store/core/TextRules.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace store;

namespace {

QStringList caseLines(const char* name)
{
    QStringList lines;
    textfile::readLines(QStringLiteral(TYX_TEST_DATA "/cases/") + QLatin1String(name), lines);
    return lines;
}

// Opens as Open does, the question answered Oui.
void open(DocumentStore& doc, const QStringList& lines)
{
    doc = DocumentStore();
    doc.DocumentLines = lines;
    doc.countBlocks();
    if (doc.altered())
        doc.repair(FieldLook(), FieldLook());
}

QMap<int, TopicFields> pagesOf(DocumentStore& doc)
{
    QMap<int, TopicFields> all;
    for (int p = 0; p < doc.PageCount; ++p) {
        doc.CurrentPage = p;
        TopicFields f;
        if (doc.readPage(f))
            all.insert(p, f);
    }
    return all;
}

} // namespace

class CaseFilesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each page in turn gets a line typed at its end and is stored, then the document is saved
    // and opened again: every page is there with its own title and its new line.
    void everyEditedPageSurvivesTheSave_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("titles"); // of pages 0, 1, 2 ...
        const QStringList demo{"Bienvenue", QString::fromUtf8("Démarrage rapide"), QString::fromUtf8("Créer une rubrique"),
            "Compiler l'aide", QString::fromUtf8("Mots-clés et index")};
        QTest::newRow("close tag with a trailing space") << caseLines("close-tag-trailing-space.hpa") << demo;
        // Two blocks of number 0: the repair gives the second a number of its own.
        QTest::newRow("topic tag inside a popup") << caseLines("popup-holds-topic-tag.hpa")
                                                  << QStringList{"Titre A", "Titre du popup"};
        QTest::newRow("body line ends in a backslash") << caseLines("body-line-ends-in-backslash.hpa") << demo;
        QStringList unclosed{"<HPJ>", "</HPJ>"};
        unclosed << storetest::topic(0, "1\\", "Un", {"a"}) << "<BLOC0001>" << "1\\" << storetest::title("Deux") << "b";
        unclosed << storetest::topic(2, "1\\", "Trois", {"c"});
        QTest::newRow("block without close tag") << unclosed << QStringList{"Un", "Deux", "Trois"};
    }
    void everyEditedPageSurvivesTheSave()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, titles);
        DocumentStore doc;
        open(doc, lines);
        for (int p = 0; p < titles.size(); ++p) {
            doc.CurrentPage = p;
            TopicFields f;
            QVERIFY(doc.readPage(f));
            f.body << QStringLiteral("ajout %1").arg(p);
            doc.writePage(f, true);
        }
        const QByteArray once = doc.saveBytes();
        open(doc, textfile::splitLines(once));
        QVERIFY(!doc.altered());
        const QMap<int, TopicFields> after = pagesOf(doc);
        QCOMPARE(after.size(), titles.size());
        for (int p = 0; p < titles.size(); ++p) {
            QCOMPARE(after[p].title, titles[p]);
            QCOMPARE(after[p].body.last(), QStringLiteral("ajout %1").arg(p));
        }
        QCOMPARE(doc.saveBytes(), once);
    }

    // The same file with the repair declined: page 0 stays the topic once it moved behind the
    // popup, and the popup's lines stay its text.
    void popupKeepsTheTopicTagWhenNotRepaired()
    {
        DocumentStore doc;
        doc.DocumentLines = caseLines("popup-holds-topic-tag.hpa");
        doc.countBlocks();
        QVERIFY(doc.altered());
        TopicFields f;
        QVERIFY(doc.readPage(f));
        QCOMPARE(f.title, QStringLiteral("Titre A"));
        doc.writePage(f, true);
        doc.DocumentLines = textfile::splitLines(doc.saveBytes());
        doc.countBlocks();
        QVERIFY(!doc.altered());
        QCOMPARE(doc.PageCount, 1);
        QVERIFY(doc.readPage(f));
        QCOMPARE(f.title, QStringLiteral("Titre A"));
        QCOMPARE(f.body, QStringList{QString::fromUtf8("corps A¶")});
        const int popup = findTag(doc.DocumentLines, popupOpenTag(0));
        const Extent e = blockExtent(doc.DocumentLines, popup, popupCloseTag(0));
        QVERIFY(e.closed);
        QVERIFY(doc.DocumentLines.mid(popup, e.end - popup).contains(QString::fromUtf8("texte du popup¶")));
    }

    // The check, the edit and the readers agree on where a block ends.
    void blockEnds_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("end");       // one past the block's last line
        QTest::addColumn<int>("contentEnd");
        QTest::addColumn<bool>("closed");
        const QString open = topicOpenTag(1);
        QTest::newRow("exact close") << QStringList{open, "k", "t", "</BLOC0001>", "x"} << 4 << 3 << true;
        QTest::newRow("close with spaces") << QStringList{open, "k", "</BLOC0001>  ", "x"} << 3 << 2 << true;
        QTest::newRow("other case is text") << QStringList{open, "k", "</bloc0001>", "</BLOC0001>"} << 4 << 3 << true;
        QTest::newRow("no close: stops before the next block") << QStringList{open, "k", "t", "<BLOC0002>", "</BLOC0002>"} << 3 << 3 << false;
        QTest::newRow("no close: to the end") << QStringList{open, "k", "t"} << 3 << 3 << false;
        QTest::newRow("another block starts before the close") << QStringList{open, "k", "<popup0000>", "</BLOC0001>"} << 2 << 2 << false;
        QTest::newRow("project block starts before the close") << QStringList{open, " <HPJ> ", "</BLOC0001>"} << 1 << 1 << false;
        QTest::newRow("lines that only look like tags are text") << QStringList{open, "</BLOCK>", "<BLOC0002>x", "{}<BLOC0003>", "</BLOC0001>"}
                                                                 << 5 << 4 << true;
    }
    void blockEnds()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, end);
        QFETCH(int, contentEnd);
        QFETCH(bool, closed);
        const Extent e = blockExtent(lines, 0, topicCloseTag(1));
        QCOMPARE(e.end, end);
        QCOMPARE(e.contentEnd, contentEnd);
        QCOMPARE(e.closed, closed);
    }

    // The check of Open finds what would make an edit and the next check disagree, even when the
    // tags pair up; the repair leaves a document that passes it, with every page.
    void checkOfOpen_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("altered");
        QTest::addColumn<int>("pages"); // after the repair
        const QStringList hpj{"<HPJ>", "</HPJ>"};
        const QStringList one = storetest::topic(0, "1\\", "Un", {"a"});
        const QStringList two = storetest::topic(1, "1\\", "Deux", {"b"});
        QTest::newRow("sound") << hpj + one + two + storetest::popup(0, "P", {"p"}) << false << 2;
        QTest::newRow("unclosed block, stray close elsewhere")
            << hpj + QStringList{"<BLOC0000>", "1\\", storetest::title("Un"), "a"} + two + QStringList{"</BLOC0007>"} << true << 2;
        QTest::newRow("second block of a number") << hpj + one + two + storetest::topic(0, "1\\", "Autre", {"c"}) << true << 3;
        QTest::newRow("block inside another") << hpj + QStringList{"<BLOC0001>", "1\\", storetest::title("Deux")} + one
                                                        + QStringList{"b", "</BLOC0001>"} << true << 2;
        QTest::newRow("lines the count takes for tags inside a block")
            << hpj + storetest::topic(0, "1\\", "Un", {"<BLOC000+0>", "</BLOCK>"}) << true << 1;
        QTest::newRow("topic tag inside the project block") << QStringList{"<HPJ>"} + one + QStringList{"</HPJ>"} + two << true << 2;
        // Stray lines that balance the count, and an open tag the count does not take.
        QTest::newRow("open tag in other letter case")
            << hpj + QStringList{"</BLOC", "<BLOC", "<BLOC", "<BLOc0000>", "1\\", storetest::title("Un"), "a", "</BLOC0000>"} << true << 1;
        // Pages are reached by number from 0 up to the count: the repair closes the gap.
        QTest::newRow("gap in the numbers") << hpj + one + storetest::topic(3, "1\\", "Quatre", {"d"}) << true << 2;
        QTest::newRow("no page 0") << hpj + storetest::topic(2, "1\\", "Trois", {"c"}) + two << true << 2;
        QTest::newRow("count past the blocks") << hpj + one + QStringList{"<BLOC", "</BLOC"} << true << 1;
        // A number past 9999: no reader finds it, so its text would leave the help unseen.
        QTest::newRow("topic numbered past 9999")
            << hpj + one + QStringList{"<bloc10000>", "1\\", storetest::title("Loin"), "l", "</bloc10000>"} << true << 2;
        QTest::newRow("gap in the popup numbers")
            << hpj + one + storetest::popup(0, "P", {"p"}) + storetest::popup(1, "Q", {"q"}) + storetest::popup(3, "S", {"s"})
            << true << 1;
        QTest::newRow("popup open tag in other letter case")
            << hpj + one + QStringList{"<popup0000>", storetest::title("P"), "p", "</POPUP0000>"} << true << 1;
    }
    void checkOfOpen()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, altered);
        QFETCH(int, pages);
        DocumentStore doc;
        doc.DocumentLines = lines;
        doc.countBlocks();
        QCOMPARE(doc.tagBalance(), 0);
        QCOMPARE(doc.altered(), altered);
        doc.repair(FieldLook(), FieldLook());
        QVERIFY(!doc.altered());
        QCOMPARE(pagesOf(doc).size(), pages);
    }

    // Topics keep their order and take the numbers from 0; so do popups, and every link follows its
    // popup. A link to no popup becomes its plain word: a later popup would take its number.
    void repairClosesGapsInNumberOrder()
    {
        DocumentStore doc;
        const QString links = PopupLink("quatre", 4) + " " + PopupLink("un", 1) + " " + PopupLink("deux", 2);
        doc.DocumentLines = QStringList{"<HPJ>", "</HPJ>"} + storetest::topic(7, "1\\", "Sept", {links})
            + storetest::popup(4, "P", {"voir " + PopupLink("un", 1)}) + storetest::topic(2, "1\\", "Deux", {"d"})
            + storetest::popup(1, "Q", {"q"});
        doc.countBlocks();
        QVERIFY(doc.altered());
        doc.repair(FieldLook(), FieldLook());
        QVERIFY(!doc.altered());
        const QMap<int, TopicFields> pages = pagesOf(doc);
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages[0].title, QStringLiteral("Deux"));
        QCOMPARE(pages[1].title, QStringLiteral("Sept"));
        QCOMPARE(pages[1].body, QStringList{PopupLink("quatre", 1) + " " + PopupLink("un", 0) + " deux"});
        QCOMPARE(doc.PopupCount, 2);
        QCOMPARE(doc.DocumentLines.mid(findTag(doc.DocumentLines, popupOpenTag(0))), storetest::popup(0, "Q", {"q"})
                + storetest::popup(1, "P", {"voir " + PopupLink("un", 0)}));
    }

    // A block whose close tag follows its keyword line has an empty title, and [MAP] says so.
    void blockWithoutTitleLine()
    {
        DocumentStore doc;
        open(doc, caseLines("block-without-title-line.hpa"));
        TopicFields f;
        QVERIFY(doc.readPage(f));
        QCOMPARE(f.title, QString());
        QCOMPARE(f.keywords, QStringLiteral("aide"));
        QVERIFY(f.body.isEmpty());
        const QStringList saved = textfile::splitLines(doc.saveBytes());
        QVERIFY(saved.contains(QStringLiteral("IDH_\t1")));
    }

    // After a repair the document passes the check: no line that the count takes for a tag is
    // left inside a block, and tags with spaces around them are read as tags.
    void repairedDocumentPassesTheCheck_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("pages");
        QStringList header{"<HEADER>", "<BLOC0000> ", "12", "</HEADER>", "<HPJ>", "</HPJ>"};
        header << storetest::topic(0, "1\\", "Un", {"a"}) << "<BLOC0001>" << "1\\";
        QTest::newRow("topic tag with a space inside the header") << header << 2;
        QStringList body{"<HPJ>", "</HPJ>"};
        body << storetest::topic(0, "1\\", "Un", {"<BLOC0000>x", "</BLOCK>"}) << "<BLOC0001>";
        QTest::newRow("body lines that count as tags") << body << 2;
    }
    void repairedDocumentPassesTheCheck()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, pages);
        DocumentStore doc;
        doc.DocumentLines = lines;
        doc.countBlocks();
        QVERIFY(doc.altered());
        doc.repair(FieldLook(), FieldLook());
        QVERIFY(!doc.altered());
        QCOMPARE(doc.PageCount, pages);
        DocumentStore again;
        open(again, textfile::splitLines(doc.saveBytes()));
        QCOMPARE(again.DocumentLines, doc.DocumentLines); // no second repair
    }

    // Text outside every block, before any page, is kept by the repair (outside the blocks).
    void repairKeepsTextBeforeThePages()
    {
        DocumentStore doc;
        doc.DocumentLines = QStringList{"<HPJ>", "</HPJ>", "</BLOC0003>", "texte perdu ?"} + storetest::topic(0, "1\\", "Un", {"a"});
        doc.countBlocks();
        QVERIFY(doc.altered());
        doc.repair(FieldLook(), FieldLook());
        QVERIFY(!doc.altered());
        QVERIFY(doc.DocumentLines.contains("texte perdu ?"));
        QVERIFY(!doc.DocumentLines.contains("</BLOC0003>"));
    }

    // Two [MAP] sections (a hand edit): the first save leaves one, and the second changes nothing.
    void savingTwiceGivesTheBytesOfSavingOnce()
    {
        QStringList lines{"<HPJ>", "[OPTIONS]", "[MAP]", "IDH_Vieux\t1", "[WINDOWS]", "main=x", "[map]", "IDH_Autre\t2", "</HPJ>"};
        lines << storetest::topic(0, "1\\", "Un", {"a"});
        DocumentStore doc;
        open(doc, lines);
        const QByteArray once = doc.saveBytes();
        QCOMPARE(once.count("[MAP]") + once.count("[map]"), 1);
        QVERIFY(once.contains("IDH_Un\t1\r\n</HPJ>"));
        open(doc, textfile::splitLines(once));
        QCOMPARE(doc.saveBytes(), once);
    }
};

TYX_TEST(CaseFilesTest);
#include "CaseFilesTest.moc"
