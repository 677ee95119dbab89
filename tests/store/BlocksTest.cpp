#include "store/core/Blocks.h"
#include "store/core/HeaderBlock.h"
#include "store/core/TextRules.h"
#include "store/core/TopicRecord.h"
#include "store/StoreTestData.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace store;

class BlocksTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tags()
    {
        QCOMPARE(topicOpenTag(12), QStringLiteral("<BLOC0012>"));
        QCOMPARE(topicCloseTag(0), QStringLiteral("</BLOC0000>"));
        QCOMPARE(popupOpenTag(3), QStringLiteral("<POPUP0003>"));
        QCOMPARE(popupCloseTag(9999), QStringLiteral("</POPUP9999>"));
    }

    void findingFoldsAsciiOnly()
    {
        const QStringList lines{"x", "<bloc0001>", "<BLOC0001>", QString::fromUtf8("<BLOCé>")};
        QCOMPARE(findTag(lines, u"<BLOC0001>"), 1);
        QCOMPARE(findTag(lines, QString::fromUtf8("<BLOCÉ>")), -1);
        QCOMPARE(findExact(lines, u"<BLOC0001>"), 2);
        const TagIndex index(lines);
        QCOMPARE(index.topic(1), 1); // first occurrence wins, as the scan
        QCOMPARE(index.topic(2), -1);
        QVERIFY(!isTopicOpenPrefix(lines[1])); // lower case is found but not counted
        const QStringList tagged{"<HPJ>", "<BLOC0000>", "<hpj>"};
        const TagIndex others(tagged);
        QCOMPARE(others.find(u"<Hpj>"), 0);
        QCOMPARE(others.find(u"<HEADER>"), -1);
        QCOMPARE(others.find(u"<bloc0000>"), 1);
    }

    void removeBlockStopsAtExactClose()
    {
        QStringList lines{"a", "<BLOC0000>", "k", "t", "</bloc0000>", "</BLOC0000>", "z"};
        removeBlock(lines, 1, topicCloseTag(0));
        QCOMPARE(lines, (QStringList{"a", "z"}));
        QStringList open{"a", "<BLOC0000>", "k"};
        removeBlock(open, 1, topicCloseTag(0));
        QCOMPARE(open, QStringList{"a"});
    }

    void textRules_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("trimmed");
        QTest::addColumn<QString>("alnum");
        QTest::newRow("inner space kept") << "  a b  " << "a b" << "ab";
        QTest::newRow("spaces only") << "   " << "" << "";
        QTest::newRow("tab is not a space") << "\ta " << "\ta" << "a";
        QTest::newRow("accents dropped") << QString::fromUtf8("Été 2003 !") << QString::fromUtf8("Été 2003 !") << "t2003";
        QTest::newRow("title") << QString::fromUtf8("Aide générale (2)") << QString::fromUtf8("Aide générale (2)") << "Aidegnrale2";
    }
    void textRules()
    {
        QFETCH(QString, in);
        QFETCH(QString, trimmed);
        QFETCH(QString, alnum);
        QCOMPARE(TrimSpaces(in), trimmed);
        QCOMPARE(AlnumOnly(in), alnum);
    }

    void extensions_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("no extension") << "D:\\Aide 1.2\\projet" << "D:\\Aide 1.2\\projet.hpa";
        QTest::newRow("other extension") << "notes.txt" << "notes.hpa";
        QTest::newRow("dot in folder only") << "/tmp/a.b/projet" << "/tmp/a.b/projet.hpa";
        QTest::newRow("upper case") << "D:\\AIDE\\DEMO.HPA" << "D:\\AIDE\\DEMO.hpa";
        QTest::newRow("empty") << "" << ".hpa";
    }
    void extensions()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(forceExtension(in, ".hpa"), out);
    }

    void readTopic_data()
    {
        QTest::addColumn<QString>("keywordLine");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("keywords");
        QTest::addColumn<QString>("seeAlso");
        QTest::newRow("level two with target") << "2mots\\Cible" << 2 << "mots" << "Cible";
        QTest::newRow("no level digit") << "abc;d\\" << 1 << "abc;d" << "";
        QTest::newRow("digit three is text") << "3x" << 1 << "3x" << "";
        QTest::newRow("empty") << "" << 1 << "" << "";
        QTest::newRow("two backslashes") << "1a\\b\\c" << 1 << "a" << "b\\c";
        QTest::newRow("keywords cut at 255") << "1" + QString(300, 'k') << 1 << QString(255, 'k') << "";
        QTest::newRow("target cut at 255") << "1a\\" + QString(300, 't') << 1 << "a" << QString(253, 't');
    }
    void readTopic()
    {
        QFETCH(QString, keywordLine);
        QFETCH(int, level);
        QFETCH(QString, keywords);
        QFETCH(QString, seeAlso);
        const QStringList lines{topicOpenTag(4), keywordLine, "Titre" + QString(TitleEndMark), "b1",
            topicCloseTag(4), "after"};
        const TopicFields f = store::readTopic(lines, 0, topicCloseTag(4));
        QCOMPARE(f.level, level);
        QCOMPARE(f.keywords, keywords);
        QCOMPARE(f.seeAlso, seeAlso);
        QCOMPARE(f.title, QStringLiteral("Titre"));
        QCOMPARE(f.body, QStringList{"b1"});
    }

    void truncatedBlockReadsEmpty()
    {
        const TopicFields f = store::readTopic({topicOpenTag(0)}, 0, topicCloseTag(0));
        QCOMPARE(f.title, QString());
        QVERIFY(f.body.isEmpty());
    }

    void bodyLinesThatLookLikeTagsStayText_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("protect");
        QTest::newRow("own close tag") << "</BLOC0000>" << true;
        QTest::newRow("open prefix") << "<BLOC de texte" << true;
        QTest::newRow("lower popup") << "<popup0001>" << true;
        QTest::newRow("header with spaces") << "  <header> " << true;
        QTest::newRow("hpj close") << "</HPJ>" << true;
        QTest::newRow("close tag after a space") << " </BLOC0000>" << true;
        QTest::newRow("popup close, lower case, spaces") << "  </popup0001> " << true;
        QTest::newRow("open prefix after spaces") << "   <Bloc" << true;
        QTest::newRow("ordinary angle") << "<b>gras</b>" << false;
        QTest::newRow("map head") << "[MAP]" << false;
    }
    void bodyLinesThatLookLikeTagsStayText()
    {
        QFETCH(QString, line);
        QFETCH(bool, protect);
        QCOMPARE(looksLikeTag(line), protect);
        TopicFields f;
        f.title = line;
        f.body = {"avant", line, "après"};
        const QStringList block = topicBlock(0, f);
        // The block reads back whole, and counting sees exactly one open and one close tag.
        const TopicFields back = store::readTopic(block, 0, topicCloseTag(0));
        QCOMPARE(back.body.size(), 3);
        QCOMPARE(back.body[1], protect ? "{}" + line : line);
        QCOMPARE(back.title, protect ? "{}" + line : line);
        int opens = 0, closes = 0;
        for (const QString& l : block) {
            opens += isTopicOpenPrefix(l) || isPopupOpenPrefix(l);
            closes += isTopicClosePrefix(l);
        }
        QCOMPARE(opens, 1);
        QCOMPARE(closes, 1);
    }

    void header_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("applied");
        QTest::addColumn<QString>("titleFont");
        QTest::addColumn<int>("titleSize");
        QTest::addColumn<quint32>("bodyBackground");
        const QStringList full{"<HEADER>", "Arial", "12", "255", "80000005", "Times", "9", "-2147483640", "00C0C0C0", "</HEADER>"};
        QTest::newRow("full") << full << 8 << "Arial" << 12 << 0x00C0C0C0u;
        QStringList douze = full;
        douze[2] = "douze";
        QTest::newRow("size not a number") << douze << 1 << "Arial" << 10 << 0x80000005u;
        QTest::newRow("short") << full.mid(0, 4) << 3 << "Arial" << 12 << 0x80000005u;
        QTest::newRow("found after trimming") << (QStringList{"x", " <HEADER> "} + full.mid(1)) << 8 << "Arial" << 12 << 0x00C0C0C0u;
        QTest::newRow("none") << QStringList{"a"} << -1 << "MS Sans Serif" << 10 << 0x80000005u;
    }
    void header()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, applied);
        QFETCH(QString, titleFont);
        QFETCH(int, titleSize);
        QFETCH(quint32, bodyBackground);
        FieldLook t, b;
        QCOMPARE(litHeader(lines, t, b), applied);
        QCOMPARE(t.fontName, titleFont);
        QCOMPARE(t.fontSize, titleSize);
        QCOMPARE(b.background, bodyBackground);
    }

    void headerWrittenInPlace()
    {
        FieldLook t, b;
        t.fontColour = 0x80000008u;
        QStringList lines{"<HPJ>", "</HPJ>"};
        EcritHeader(lines, t, b);
        QCOMPARE(lines.mid(0, 5), (QStringList{"<HEADER>", "MS Sans Serif", "10", "-2147483640", "80000005"}));
        QCOMPARE(lines.size(), 12);
        b.fontName = "Arial";
        EcritHeader(lines, t, b);
        QCOMPARE(lines.size(), 12);
        QCOMPARE(lines[5], QStringLiteral("Arial"));
        FieldLook t2, b2;
        litHeader(lines, t2, b2);
        QCOMPARE(t2, t);
        QCOMPARE(b2, b);
    }
};

TYX_TEST(BlocksTest);
#include "BlocksTest.moc"
