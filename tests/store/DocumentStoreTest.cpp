#include "platform/core/TextFile.h"
#include "store/core/DocumentStore.h"
#include "store/core/ProjectBlock.h"
#include "store/StoreTestData.h"
#include "support/TestRegistry.h"
#include "support/FileBytes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace store;
using storetest::popup;
using storetest::topic;

namespace {
QStringList header()
{
    return headerBlock(FieldLook{}, FieldLook{});
}
} // namespace

class DocumentStoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newDocumentIsHeaderThenProjectBlock()
    {
        DocumentStore s;
        s.ProjectFileName = "/p/DEMO.HPA";
        s.createEmpty(FieldLook{}, FieldLook{});
        QCOMPARE(s.DocumentLines.size(), 20);
        QCOMPARE(s.DocumentLines.mid(0, 10), header());
        QCOMPARE(s.DocumentLines.mid(10), (QStringList{"<HPJ>", "[OPTIONS]", "TITLE=Aide de DEMO.HPA", "[FILES]",
            "DEMO.rtf", "[CONFIG]", "", "[WINDOWS]",
            "main=\"DEMO.HPA\",(100,5,800,800),0,(255,255,255),(255,255,255)", "</HPJ>"}));
        QCOMPARE(s.PageCount, 1);
    }

    void unnamedProjectNamesTheFileTheBuildWrites()
    {
        QCOMPARE(defaultProjectBlock(QString())[4], QStringLiteral(".rtf"));
    }

    void creMap_data()
    {
        QTest::addColumn<QStringList>("doc");
        QTest::addColumn<int>("pageCount");
        QTest::addColumn<QStringList>("expected");
        const QStringList hpj{"<HPJ>", "[OPTIONS]", "[MAP]", "old\t1", "", "</HPJ>"};
        QTest::newRow("rebuilt, empty line of the old section removed")
            << (hpj + topic(1, "1\\", "Démarrage", {}) + topic(0, "1\\", "Accueil", {})) << 2
            << QStringList{"<HPJ>", "[OPTIONS]", "[MAP]", "IDH_Accueil\t1", "IDH_Dmarrage\t2", "</HPJ>"};
        QTest::newRow("missing number skipped, numbers kept")
            << (hpj + topic(0, "1\\", "A", {}) + topic(2, "1\\", "C", {})) << 3
            << QStringList{"<HPJ>", "[OPTIONS]", "[MAP]", "IDH_A\t1", "IDH_C\t3", "</HPJ>"};
        QTest::newRow("title without ascii letters")
            << (QStringList{"<HPJ>", "</HPJ>"} + topic(0, "1\\", "éé !", {})) << 1
            << QStringList{"<HPJ>", "[MAP]", "IDH_\t1", "</HPJ>"};
        QTest::newRow("section placed last")
            << QStringList{"<HPJ>", "[MAP]", "x\t1", "[WINDOWS]", "main=", "</HPJ>"} << 0
            << QStringList{"<HPJ>", "[WINDOWS]", "main=", "[MAP]", "</HPJ>"};
    }
    void creMap()
    {
        QFETCH(QStringList, doc);
        QFETCH(int, pageCount);
        QFETCH(QStringList, expected);
        CreMap(doc, pageCount);
        QCOMPARE(doc.mid(0, expected.size()), expected);
        const QStringList once = doc;
        CreMap(doc, pageCount);
        QCOMPARE(doc, once); // saving twice leaves one identical section
    }

    void creMapNeverTouchesATopicBody()
    {
        QStringList doc = topic(0, "1\\", "Plan", {"[MAP]", "ligne 1", "ligne 2"})
            + QStringList{"<HPJ>", "[OPTIONS]", "</HPJ>"};
        const QStringList before = doc;
        CreMap(doc, 1);
        QCOMPARE(doc.mid(0, 7), before.mid(0, 7));
        QCOMPARE(doc.mid(7), (QStringList{"<HPJ>", "[OPTIONS]", "[MAP]", "IDH_Plan\t1", "</HPJ>"}));
    }

    void creMapWithoutCloseTagAddsNothing()
    {
        QStringList doc{"<HPJ>", "[MAP]", "a\t1", "<BLOC0000>", "1\\", "T\x01", "</BLOC0000>"};
        CreMap(doc, 1);
        QCOMPARE(doc, (QStringList{"<HPJ>", "<BLOC0000>", "1\\", "T\x01", "</BLOC0000>"}));
    }

    void exportHpjWritesTheBlockOnly()
    {
        QTemporaryDir dir;
        QStringList doc{"x", " <HPJ> ", "[OPTIONS]", "", "</HPJ>", "y"};
        QVERIFY(ExportHpj(doc, 0, dir.filePath("a.hpj")));
        QCOMPARE(testfile::read(dir.filePath("a.hpj")), QByteArray("[OPTIONS]\r\n\r\n"));
        QStringList none{"a"};
        QVERIFY(!ExportHpj(none, 0, dir.filePath("b.hpj")));
        QVERIFY(!QFile::exists(dir.filePath("b.hpj")));
    }

    void balance()
    {
        DocumentStore s;
        s.DocumentLines = topic(0, "1\\", "A", {}) + QStringList{"<BLOC0001>", "1\\", "B\x01"};
        QCOMPARE(s.tagBalance(), 1);
        s.DocumentLines << "</BLOC0001>";
        QCOMPARE(s.tagBalance(), 0);
    }

    void repairLosesNothing()
    {
        DocumentStore s;
        QStringList hpj{"<HPJ>", "[OPTIONS]", "TITLE=Mon aide", "</HPJ>"};
        QStringList customHeader = header();
        customHeader[1] = "Arial";
        s.DocumentLines = QStringList{" "} + topic(3, "1\\", "Trois", {"t3"}) + popup(1, "P1", {"p1"})
            + QStringList{"<BLOC0001>", "1\\", "Un\x01", "corps sans fin"} // unclosed
            + topic(0, "2a\\", "Zéro", {"z"}) + hpj + QStringList{"</BLOC0007>"} // stray close
            + customHeader + popup(0, "P0", {"p0"})
            + QStringList{"<BLOC0000>", "1\\", "Doublon\x01"}; // unclosed duplicate: a page of its own
        s.countBlocks();
        QCOMPARE(s.tagBalance(), 1);
        s.repair(FieldLook{}, FieldLook{});
        const QStringList expected = customHeader + hpj + topic(0, "2a\\", "Zéro", {"z"})
            + topic(1, "1\\", "Un", {"corps sans fin"}) + topic(2, "1\\", "Trois", {"t3"}) // no gap: every page reached
            + topic(3, "1\\", "Doublon", {}) + popup(0, "P0", {"p0"}) + popup(1, "P1", {"p1"});
        QCOMPARE(s.DocumentLines, expected);
        QCOMPARE(s.PageCount, 4);
        QCOMPARE(s.PopupCount, 2);
        QVERIFY(s.DocumentModified);
        QCOMPARE(s.tagBalance(), 0);
    }

    void repairKeepsTagLikeLinesOfAClosedTopic_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("<HPJ>") << "<HPJ>";
        QTest::newRow("<HEADER>") << "<HEADER>";
        QTest::newRow("</HPJ>") << "</HPJ>";
        QTest::newRow("</header> with spaces") << " </header> ";
    }
    void repairKeepsTagLikeLinesOfAClosedTopic()
    {
        QFETCH(QString, line);
        DocumentStore s;
        const QStringList hpj{"<HPJ>", "[OPTIONS]", "TITLE=Mon aide", "</HPJ>"};
        const QStringList body{"avant", line, "après", "fin"};
        s.DocumentLines = header() + hpj + topic(0, "1\\", "Zéro", body) + popup(0, "P0", {line, "p0"})
            + QStringList{"<BLOC0001>", "1\\", "Un\x01", "sans fin"}; // unclosed: the repair runs
        s.countBlocks();
        QVERIFY(s.tagBalance() != 0);
        s.repair(FieldLook{}, FieldLook{});
        // Kept as text the way a stored page keeps it, so the next opening finds nothing to repair.
        const QString kept = protectBodyLine(line);
        QCOMPARE(s.DocumentLines, header() + hpj + topic(0, "1\\", "Zéro", {"avant", kept, "après", "fin"})
                + topic(1, "1\\", "Un", {"sans fin"}) + popup(0, "P0", {kept, "p0"}));
        QCOMPARE(s.PageCount, 2);
        s.countBlocks();
        QVERIFY(!s.altered());
    }

    // A block that no number is left for (a second block of a number, or one numbered past 9999,
    // when every number is taken): its lines end the last page as text.
    void repairWithNoNumberLeftKeepsTheText_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("second block of a number") << 5;
        QTest::newRow("number past 9999") << MaxBlocks;
    }
    void repairWithNoNumberLeftKeepsTheText()
    {
        QFETCH(int, number);
        DocumentStore s;
        s.DocumentLines = QStringList{"<HPJ>", "</HPJ>"};
        for (int n = 0; n < MaxBlocks; ++n)
            s.DocumentLines << topic(n, "1\\", "T", {"x"});
        s.DocumentLines << topic(number, "1\\", "Doublon", {"dernier mot"});
        s.countBlocks();
        QVERIFY(s.altered());
        s.repair(FieldLook{}, FieldLook{});
        s.countBlocks();
        QVERIFY(!s.altered());
        QCOMPARE(s.PageCount, MaxBlocks);
        const int close = s.DocumentLines.indexOf(topicCloseTag(MaxBlocks - 1));
        QCOMPARE(s.DocumentLines.mid(close - 4, 4),
            (QStringList{protectBodyLine(topicOpenTag(number)), "1\\", "Doublon\x01", "dernier mot"}));
    }

    void repairBuildsMissingBlocks()
    {
        DocumentStore s;
        s.ProjectFileName = "x.hpa";
        s.DocumentLines = QStringList{"<BLOC0000>", "1\\", "A\x01"};
        s.repair(FieldLook{}, FieldLook{});
        QCOMPARE(s.DocumentLines.mid(0, 10), header());
        QCOMPARE(s.DocumentLines.mid(10, 10), defaultProjectBlock("x.hpa"));
        QCOMPARE(s.DocumentLines.mid(20), topic(0, "1\\", "A", {}));
    }

    void renum_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("pageCount");
        QTest::addColumn<QStringList>("tagsAfter");
        QTest::addColumn<int>("countAfter");
        QTest::newRow("middle") << 1 << 4 << QStringList{"<BLOC0000>", "<BLOC0001>", "<BLOC0002>"} << 3;
        QTest::newRow("last") << 3 << 4 << QStringList{"<BLOC0000>", "<BLOC0002>", "<BLOC0003>"} << 3;
        QTest::newRow("only page") << 0 << 1 << QStringList{"<BLOC0000>", "<BLOC0002>", "<BLOC0003>"} << 1;
    }
    void renum()
    {
        QFETCH(int, current);
        QFETCH(int, pageCount);
        QFETCH(QStringList, tagsAfter);
        QFETCH(int, countAfter);
        DocumentStore s;
        s.DocumentLines = topic(0, "1\\", "A", {}) + topic(2, "1\\", "C", {"<BLOCxxxx> texte"}) + topic(3, "1\\", "D", {});
        s.PageCount = pageCount;
        s.CurrentPage = current;
        s.Renum();
        QStringList tags;
        for (const QString& l : std::as_const(s.DocumentLines))
            if (l.startsWith("<BLOC0"))
                tags << l;
        QCOMPARE(tags, tagsAfter);
        QCOMPARE(s.PageCount, countAfter);
        QVERIFY(s.DocumentLines.contains("<BLOCxxxx> texte")); // not a number: left alone
    }

    void writePageRules()
    {
        DocumentStore s;
        s.DocumentLines = QStringList{"<HPJ>", "</HPJ>"} + topic(0, "2mots\\Cible", "Titre", {"b"}) + QStringList{"fin"};
        s.CurrentPage = 0;
        TopicFields f;
        QVERIFY(s.readPage(f));
        QCOMPARE(s.PageLevel, 2);
        QCOMPARE(s.SeeAlsoTarget, QStringLiteral("Cible"));
        const QStringList before = s.DocumentLines;
        s.writePage(f, false); // nothing changed: nothing written
        QCOMPARE(s.DocumentLines, before);
        s.PageModified = true; // a field touched but left as it was: the block moves, nothing to save
        s.writePage(f, false);
        QVERIFY(!s.DocumentModified);
        f.title = " Nouveau "; // the title changed: block moves to the end, an unsaved change
        s.writePage(f, false);
        QCOMPARE(s.DocumentLines.mid(s.DocumentLines.size() - 5),
            topic(0, "2mots\\Cible", " Nouveau ", {"b"}));
        QVERIFY(s.DocumentModified);
        s.DocumentModified = false;
        f.title = "   "; // spaces only: the page loses its block
        s.writePage(f, true);
        QVERIFY(s.DocumentModified);
        QCOMPARE(s.DocumentLines, (QStringList{"<HPJ>", "</HPJ>", "fin"}));
    }

    void unchangedFileSavesBackByteForByte()
    {
        QTemporaryDir dir;
        QByteArray bytes;
        for (int b = 1; b < 256; ++b)
            if (b != '\r' && b != '\n')
                bytes.append(char(b));
        const QByteArray original = "<HEADER>\r\n" + bytes + "\r\n\xB6\x80\x81\x9D\r\n<HPJ>\r\n[OPTIONS]\r\n[MAP]\r\n</HPJ>\r\n"
            + "<BLOC0000>\r\n1\\\r\nT\x01\r\n" + bytes + "\r\n</BLOC0000>\r\n";
        QFile f(dir.filePath("a.hpa"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(original);
        f.close();
        DocumentStore s;
        bool missing = true;
        QVERIFY(s.load(dir.filePath("a.hpa"), &missing, nullptr));
        QVERIFY(!missing);
        s.countBlocks();
        QVERIFY(s.save(dir.filePath("b.hpa"), nullptr));
        QCOMPARE(testfile::read(dir.filePath("b.hpa")), QByteArray(original).replace("[MAP]\r\n", "[MAP]\r\nIDH_T\t1\r\n"));
    }

    void badFilesLoadWithoutHarm_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("lines");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("nul in the middle") << QByteArray("<BLOC0000>\r\n1\\\r\nT\x01\r\n\0</BLOC0000>\r\n", 28) << 3;
        QTest::newRow("lone cr") << QByteArray("a\rb\rc") << 3;
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << 2;
        QTest::newRow("5 MB line") << QByteArray(5 * 1024 * 1024, 'x') << 1;
        QTest::newRow("tag numbers not digits") << QByteArray("<BLOCabcd>\r\n</BLOCabcd>\r\n") << 2;
    }
    void badFilesLoadWithoutHarm()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, lines);
        QTemporaryDir dir;
        QFile f(dir.filePath("bad.hpa"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        DocumentStore s;
        bool missing = false;
        QString error;
        QVERIFY(s.load(f.fileName(), &missing, &error));
        QCOMPARE(s.DocumentLines.size(), lines);
        s.countBlocks();
        TopicFields t;
        s.CurrentPage = 0;
        s.readPage(t); // must not crash on a truncated or odd block
        if (s.tagBalance() != 0)
            s.repair(FieldLook{}, FieldLook{});
        QCOMPARE(s.tagBalance(), 0);
    }

    void unreadableFileLeavesDocument()
    {
        QTemporaryDir dir;
        DocumentStore s;
        s.DocumentLines = {"keep"};
        bool missing = false;
        QString error;
        QVERIFY(!s.load(dir.path(), &missing, &error)); // a folder cannot be read as a file
        QVERIFY(!error.isEmpty());
        QCOMPARE(s.DocumentLines, QStringList{"keep"});
    }
};

TYX_TEST(DocumentStoreTest);
#include "DocumentStoreTest.moc"
