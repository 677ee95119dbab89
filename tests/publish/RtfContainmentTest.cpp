// The author's RTF stays inside its topic: whatever a body line, a title or a popup line ends
// with, the compiler reads every topic of the file as one topic of its own.
#include "platform/core/Cp1252.h"
#include "platform/core/TextFile.h"
#include "publish/core/ProjectBuild.h"
#include "publish/core/RtfText.h"
#include "publish/core/RtfWriter.h"
#include "store/core/DocumentStore.h"
#include "store/core/TextRules.h"
#include "store/core/TopicRecord.h"
#include "support/TestRegistry.h"
#include "winhelp/model/Diagnostics.h"
#include "winhelp/project/RtfReader.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Mark(store::ParagraphMark);

QStringList topic(int n, const QString& title, const QStringList& body, const QString& keywordLine = "1\\")
{
    store::TopicFields f;
    f.title = title;
    f.body = body;
    QStringList block{store::topicOpenTag(n), keywordLine, title + store::TitleEndMark};
    return block + body + QStringList{store::topicCloseTag(n)};
}

// The contexts of the topics the compiler reads from the document's topic file.
QList<QByteArray> readBack(const QStringList& lines, int pages, int popups)
{
    const QByteArray rtf = publish::RtfBytes(lines, pages, popups, store::FieldLook(), store::FieldLook());
    hlp::HelpDocument doc;
    hlp::Diagnostics diag;
    hlp::RtfReader(doc, diag).read(rtf, QStringLiteral("t.rtf"));
    QList<QByteArray> contexts;
    for (const hlp::Topic& t : doc.topics)
        contexts << (t.contexts.isEmpty() ? QByteArray("?") : t.contexts.front());
    return contexts;
}

} // namespace

class RtfContainmentTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyTopicStaysItsOwn_data()
    {
        QTest::addColumn<QStringList>("body");
        QTest::addColumn<QString>("keywordLine");
        QTest::newRow("line ends in a backslash") << QStringList{"C:\\"} << "1\\";
        QTest::newRow("and a see-also link") << QStringList{"C:\\"} << "1\\Deux";
        QTest::newRow("backslash before the mark") << QStringList{"C:\\" + Mark} << "1\\";
        QTest::newRow("unfinished hex escape") << QStringList{"\\'e"} << "1\\Deux";
        QTest::newRow("stray closing brace") << QStringList{"fin }"} << "1\\";
        QTest::newRow("group left open") << QStringList{"{\\b gras", "encore"} << "1\\Deux";
        QTest::newRow("group over two lines is kept") << QStringList{"{\\b gras", "fin}" + Mark} << "1\\";
        QTest::newRow("index entry outside a group") << QStringList{"un \\txe deux"} << "1\\";
        QTest::newRow("footnote outside a group") << QStringList{"\\footnote x"} << "1\\Deux";
        QTest::newRow("ignorable destination outside a group") << QStringList{"\\*\\foo x"} << "1\\";
        QTest::newRow("destination in a group of its own") << QStringList{"a {\\txe b", "c}d"} << "1\\";
        QTest::newRow("page break of the author's") << QStringList{"\\qc x\\par\\page y"} << "1\\";
        QTest::newRow("see-also target edited by hand") << QStringList{"b"} << "1\\\\xe{";
        QTest::newRow("see-also target with a brace") << QStringList{"b"} << "1\\De}ux{";
    }
    void everyTopicStaysItsOwn()
    {
        QFETCH(QStringList, body);
        QFETCH(QString, keywordLine);
        QStringList lines = topic(0, "Un", {"a" + Mark}) + topic(1, "Deux", body, keywordLine) + topic(2, "Trois", {"c"});
        lines << store::popupOpenTag(0) << "Note0000" + store::TitleEndMark << "Note " + body.last() << store::popupCloseTag(0);
        QCOMPARE(readBack(lines, 3, 1), (QList<QByteArray>{"IDH_Un", "IDH_Deux", "IDH_Trois", "Pp0000"}));
    }

    // A title also stands in the contents of topic 0, where it is written after the control
    // characters are dropped: what they hid must not become a page break or a destination there.
    void titleInTheContentsStaysText_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("escape byte inside \\page") << QString("x\\par\\p") + QChar(0x1B) + "age";
        QTest::newRow("line feed inside \\page") << QString("x\\p") + QChar(0x0A) + "age y";
        QTest::newRow("control byte inside a destination") << QString("a \\tx") + QChar(0x01) + "e b";
        QTest::newRow("tab stays a tab") << QString("a\\p") + QChar(0x09) + "age";
    }
    void titleInTheContentsStaysText()
    {
        QFETCH(QString, title);
        const QStringList lines = topic(0, "Un", {"a" + Mark}) + topic(1, title, {"b"}) + topic(2, "Trois", {"c"});
        const QByteArray second = "IDH_" + store::ContextKey(title).toLatin1();
        QCOMPARE(readBack(lines, 3, 0), (QList<QByteArray>{"IDH_Un", second, "IDH_Trois"}));
    }

    // What the writer makes of such text: the text shows, nothing else changes.
    void containedBytes_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<int>("depth"); // groups left open
        QTest::newRow("plain") << QByteArray("a \\b b\\b0 {\\i c}") << QByteArray("a \\b b\\b0 {\\i c}") << 0;
        QTest::newRow("dangling backslash") << QByteArray("C:\\") << QByteArray("C:\\\\") << 0;
        QTest::newRow("escaped backslash") << QByteArray("C:\\\\") << QByteArray("C:\\\\") << 0;
        QTest::newRow("unfinished hex") << QByteArray("x\\'e") << QByteArray("x\\\\'e") << 0;
        QTest::newRow("hex without hex digits") << QByteArray("x\\'zz") << QByteArray("x\\\\'zz") << 0;
        QTest::newRow("whole hex") << QByteArray("\\'e9") << QByteArray("\\'e9") << 0;
        QTest::newRow("stray brace") << QByteArray("a}b") << QByteArray("a\\}b") << 0;
        QTest::newRow("escaped braces") << QByteArray("\\{x\\}") << QByteArray("\\{x\\}") << 0;
        QTest::newRow("open group") << QByteArray("{\\b x") << QByteArray("{\\b x") << 1;
        QTest::newRow("destination outside a group") << QByteArray("a \\txe b") << QByteArray("a \\\\txe b") << 0;
        QTest::newRow("destination opening a group") << QByteArray("{\\txe b}") << QByteArray("{\\txe b}") << 0;
        QTest::newRow("starred outside a group") << QByteArray("\\*\\x") << QByteArray("\\\\*\\x") << 0;
        QTest::newRow("page break") << QByteArray("a\\page b") << QByteArray("a\\\\page b") << 0;
        QTest::newRow("longer word") << QByteArray("\\pagebb") << QByteArray("\\pagebb") << 0;
        QTest::newRow("starred opening a group") << QByteArray("{\\*\\bkmkstart m}") << QByteArray("{\\*\\bkmkstart m}") << 0;
    }
    void containedBytes()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        QFETCH(int, depth);
        QByteArray bytes = "prefix" + in;
        int open = 0;
        QCOMPARE(publish::containRtf(bytes, 6, open), in != out);
        QCOMPARE(bytes, "prefix" + out);
        QCOMPARE(open, depth);
    }

    // The case files: a body line ending in a backslash, and a block without its title line.
    void caseFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<QByteArray>>("contexts");
        QTest::newRow("backslash") << "body-line-ends-in-backslash.hpa"
                                   << QList<QByteArray>{"IDH_Bienvenue", "IDH_Dmarragerapide", "IDH_Crerunerubrique",
                                          "IDH_Compilerlaide", "IDH_Motsclsetindex", "Pp0000"};
        QTest::newRow("no title line") << "block-without-title-line.hpa" << QList<QByteArray>{"IDH_"};
    }
    void caseFiles()
    {
        QFETCH(QString, file);
        QFETCH(QList<QByteArray>, contexts);
        QTemporaryDir dir;
        store::DocumentStore doc;
        bool missing = false;
        QVERIFY(doc.load(QStringLiteral(TYX_TEST_DATA "/cases/") + file, &missing, nullptr) && !missing);
        doc.countBlocks();
        QVERIFY(!doc.altered());
        QCOMPARE(readBack(doc.DocumentLines, doc.PageCount, doc.PopupCount), contexts);
        // The .hpj's [MAP] names the same contexts as the topic file.
        const publish::BuildFiles built = publish::writeBuildFiles(doc.DocumentLines, doc.PageCount, doc.PopupCount,
            store::FieldLook(), store::FieldLook(), dir.filePath("p.hpa"));
        QVERIFY(built.ok());
        QStringList hpj;
        QVERIFY(textfile::readLines(built.hpjPath, hpj));
        const qsizetype map = hpj.indexOf("[MAP]");
        QVERIFY(map >= 0);
        for (int k = 0; k < doc.PageCount; ++k)
            QCOMPARE(hpj.value(map + 1 + k), QString::fromLatin1(contexts[k]) + '\t' + QString::number(k + 1));
    }
};

TYX_TEST(RtfContainmentTest);
#include "RtfContainmentTest.moc"
