#include "publish/WorkedExample.h"
#include "publish/core/RtfText.h"
#include "publish/core/RtfWriter.h"
#include "store/core/DocumentStore.h"
#include "store/core/HeaderBlock.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(store::FieldLook)

namespace {

const QChar kEnd(1);
const QChar kMark(0xB6);

QString u8(const char* s) { return QString::fromUtf8(s); }

QStringList topic(int n, const QString& keywordLine, const QString& title, const QStringList& body)
{
    const QString num = QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
    return QStringList{QStringLiteral("<BLOC") + num + u'>', keywordLine, title + kEnd} + body
        + QStringList{QStringLiteral("</BLOC") + num + u'>'};
}

QStringList popup(int n, const QStringList& text)
{
    const QString num = QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
    QString heading = text.value(0);
    if (heading.endsWith(kMark))
        heading.chop(1);
    return QStringList{QStringLiteral("<POPUP") + num + u'>', heading + num + kEnd} + text
        + QStringList{QStringLiteral("</POPUP") + num + u'>'};
}

// Independent copies of the footnote lines, to spell out the expected files.
QString hashNote(const QString& context)
{
    return u8(R"({\cs16\super #{\footnote\pard\plain \s15\nowidctlpar\widctlpar\adjustright \fs20\lang1036\cgrid{\cs16\super #}{ )")
        + context + u8("}}");
}
QString dollarNote(const QString& t)
{
    return u8(R"(${\footnote \pard\plain \s15\nowidctlpar\widctlpar\adjustright \fs20\lang1036\cgrid {\cs16\super $}{)") + t
        + u8("}}}");
}
QString kNote(const QString& k) { return u8(R"(K{\footnote \pard \plain\f16\fs20\up6\super K\plain\f16 )") + k + u'}'; }
QString plusNote(const QString& n) { return u8(R"(+{\footnote \pard \plain\f16\fs20\up6\super +\plain\f16 )") + n + u'}'; }
QString titlePar(const QString& t, const QString& size = u8("\\fs24"), const QString& colour = u8("\\cf0 "),
    const QString& body = u8("\\fs20"))
{
    return u8("\\f11") + size + colour + u8("\\cgrid0\\keepn ") + t + u8(" \\par\\pard") + body;
}
QString link(const QString& t, const QString& key, const QString& body = u8("\\fs20"))
{
    return u8("}{\\par \\f11") + body + u8("\\uldb\\cgrid0 ") + t + u8("}{\\v\\f11\\fs24\\cgrid0 IDH_") + key
        + u8("}{\\f11\\fs20\\cgrid0 ");
}
QString seeAlso(const QString& key, const QString& body = u8("\\fs20"))
{
    return u8("}{\\par \\f11") + body + u8("\\uldb\\cgrid0 Voir aussi}{\\v\\cgrid0 IDH_") + key
        + u8("}{\\f11\\fs20\\cgrid0 ");
}
// The four topic footnotes and the title paragraph of a plain topic.
QStringList opening(const QString& key, const QString& escapedTitle, const QString& number, const QString& k = {})
{
    QStringList out{hashNote(u8("IDH_") + key), dollarNote(escapedTitle)};
    if (!k.isEmpty())
        out << kNote(k);
    out << plusNote(number) << titlePar(escapedTitle);
    return out;
}

store::FieldLook look(int size, store::ColourWord colour = 0)
{
    store::FieldLook f;
    f.fontSize = size;
    f.fontColour = colour;
    return f;
}

} // namespace

class RtfWriterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void workedExample()
    {
        // Opened as the program opens a project: counts from the tags, fonts from the header block.
        store::DocumentStore doc;
        doc.DocumentLines = workedexample::projectLines();
        doc.countBlocks();
        QCOMPARE(doc.PageCount, 2);
        QCOMPARE(doc.PopupCount, 1);
        store::FieldLook title, body;
        QCOMPARE(store::litHeader(doc.DocumentLines, title, body), 8);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("demo.rtf"));
        QString error;
        const QStringList before = doc.DocumentLines;
        QVERIFY2(publish::ExportRtf(doc.DocumentLines, doc.PageCount, doc.PopupCount, title, body, path, &error),
            qPrintable(error));
        QCOMPARE(doc.DocumentLines, before);

        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray written = f.readAll();
        const QByteArray expected = workedexample::expectedRtf();
        // Line by line first, so a failure names the line.
        const QList<QByteArray> got = written.split('\n'), want = expected.split('\n');
        for (qsizetype i = 0; i < qMin(got.size(), want.size()); ++i)
            QCOMPARE(got[i], want[i]);
        QCOMPARE(written, expected);
    }

    void escape_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain RTF kept") << u8(R"(\b gras\b0  \{x\} \\)") << u8(R"(\b gras\b0  \{x\} \\)");
        QTest::newRow("tab") << u8("a\tb") << u8("a\\tab b");
        QTest::newRow("control characters dropped") << u8("a\x01""b\x1f""c\x0b") << u8("abc");
        QTest::newRow("e acute") << u8("é") << u8("\\'E9");
        QTest::newRow("oe ligature 0x9C") << u8("œ") << u8("\\'9C");
        QTest::newRow("right quote 0x92") << u8("l’aide") << u8("l\\'92aide");
        QTest::newRow("euro 0x80") << u8("€") << u8("\\'80");
        QTest::newRow("undefined byte 0x81") << QString(QChar(0x81)) << u8("\\'81");
        QTest::newRow("nbsp 0xA0 and y diaeresis 0xFF") << u8("\u00a0ÿ") << u8("\\'A0\\'FF");
        QTest::newRow("mark mid-line stays") << u8("a¶b¶") << u8("a¶b¶");
        QTest::newRow("DEL stays") << u8("\x7f") << u8("\x7f");
        QTest::newRow("outside the code page") << u8("中") << u8("?");
        QTest::newRow("empty") << QString() << QString();
    }
    void escape()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(publish::RtfEscape(line), expected);
    }

    void colourCode_data()
    {
        QTest::addColumn<quint32>("colour");
        QTest::addColumn<QString>("expected");
        QTest::newRow("black") << 0x00000000u << u8("\\cf0 ");
        QTest::newRow("blue") << 0x00FF0000u << u8("\\cf1 ");
        QTest::newRow("red") << 0x000000FFu << u8("\\cf5 ");
        QTest::newRow("yellow") << 0x0000FFFFu << u8("\\cf6 ");
        QTest::newRow("teal") << 0x00808000u << u8("\\cf10 ");
        QTest::newRow("dark red") << 0x00000080u << u8("\\cf13 ");
        QTest::newRow("silver") << 0x00C0C0C0u << u8("\\cf14 ");
        QTest::newRow("outside the table") << 0x00123456u << u8("\\cf0 ");
        QTest::newRow("system window colour") << 0x80000005u << u8("\\cf0 ");
        QTest::newRow("system colour with red low bytes") << 0x800000FFu << u8("\\cf0 ");
    }
    void colourCode()
    {
        QFETCH(quint32, colour);
        QFETCH(QString, expected);
        QCOMPARE(publish::ColourCode(colour), expected);
    }

    void keywords_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<QString>("expected");
        QTest::newRow("level digit dropped") << u8("1accueil") << u8("accueil");
        QTest::newRow("level digit only") << u8("2") << QString();
        QTest::newRow("empty line") << QString() << QString();
        QTest::newRow("spaces trimmed, separators kept") << u8("1  alpha;beta gamma  ") << u8("alpha;beta gamma");
        QTest::newRow("only spaces") << u8("1   ") << QString();
        QTest::newRow("escapes") << u8("1thé\tcafé") << u8("th\\'E9\\tab caf\\'E9");
        QTest::newRow("over 255 cut") << u8("1") + QString(300, u'a') << QString(255, u'a');
        QTest::newRow("cut after escaping") << u8("1") + QString(250, u'a') + u8("ééé")
                                            << QString(250, u'a') + u8("\\'E9");
        QTest::newRow("cut never splits an escape")
            << u8("1") + QString(253, u'a') + u8("é") << QString(253, u'a');
        QTest::newRow("cut never splits a tab") << u8("1") + QString(252, u'a') + u8("\tb") << QString(252, u'a');
        QTest::newRow("typed braces escaped") << u8("1a{b};c}") << u8("a\\{b\\};c\\}");
        QTest::newRow("cut never splits a brace escape")
            << u8("1") + QString(254, u'a') + u8("}") << QString(254, u'a');
    }
    void keywords()
    {
        QFETCH(QString, part);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromLatin1(publish::keywordText(part)), expected);
    }

    void topics_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("pageCount");
        QTest::addColumn<int>("popupCount");
        QTest::addColumn<store::FieldLook>("title");
        QTest::addColumn<store::FieldLook>("body");
        QTest::addColumn<QStringList>("expected"); // the file after its four header lines

        const store::FieldLook t12 = look(12), b10 = look(10);
        const QString a = u8("1\\");

        QTest::newRow("one topic, no popup")
            << topic(0, a, u8("Seul"), {u8("Texte¶")}) << 1 << 0 << t12 << b10
            << opening(u8("Seul"), u8("Seul"), u8("0000"))
                   + QStringList{u8("\\fs20 Texte"), u8("\\par \\fs20 "), u8("\\par \\page "), u8("\\par }")};

        QTest::newRow("empty body goes on to the see-also jump")
            << topic(0, a, u8("A"), {}) + topic(1, u8("1\\A"), u8("B"), {}) << 2 << 0 << t12 << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 ") + link(u8("B"), u8("B")) + u8("\\fs20 "), u8("\\par \\page ")}
                   + opening(u8("B"), u8("B"), u8("0001"))
                   + QStringList{seeAlso(u8("A")), u8("\\page "), u8("\\par }")};

        QTest::newRow("lone mark and joined lines")
            << topic(0, a, u8("A"), {u8("¶"), u8("un"), u8("deux¶")}) << 1 << 0 << t12 << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 "), u8("\\par \\fs20 un\\fs20 deux"), u8("\\par \\fs20 "),
                       u8("\\par \\page "), u8("\\par }")};

        QTest::newRow("mark mid-line is raw")
            << topic(0, a, u8("A"), {u8("a¶b")}) << 1 << 0 << t12 << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 a¶b\\fs20 "), u8("\\par \\page "), u8("\\par }")};

        QTest::newRow("escapes in title, body, keywords and contents link")
            << topic(0, a, u8("A"), {}) + topic(1, u8("1thé\\"), u8("Café"), {u8("a\tb\x02""c¶")}) << 2 << 0
            << t12 << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 ") + link(u8("Caf\\'E9"), u8("Caf")) + u8("\\fs20 "), u8("\\par \\page ")}
                   + opening(u8("Caf"), u8("Caf\\'E9"), u8("0001"), u8("th\\'E9"))
                   + QStringList{u8("\\fs20 a\\tab bc"), u8("\\par \\page "), u8("\\par }")};

        QTest::newRow("blocks stored out of order")
            << topic(2, a, u8("C"), {}) + topic(0, a, u8("A"), {}) + topic(1, a, u8("B"), {}) << 3 << 0 << t12
            << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 ") + link(u8("B"), u8("B")) + u8("\\fs20 ") + link(u8("C"), u8("C"))
                           + u8("\\fs20 "),
                       u8("\\par \\page ")}
                   + opening(u8("B"), u8("B"), u8("0001")) + QStringList{u8("\\page ")}
                   + opening(u8("C"), u8("C"), u8("0002")) + QStringList{u8("\\page "), u8("\\par }")};

        QTest::newRow("missing topic number stops topics and links")
            << topic(0, a, u8("A"), {}) + topic(1, a, u8("B"), {}) + topic(3, a, u8("D"), {}) << 4 << 0 << t12 << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 ") + link(u8("B"), u8("B")) + u8("\\fs20 "), u8("\\par \\page ")}
                   + opening(u8("B"), u8("B"), u8("0001")) + QStringList{u8("\\page "), u8("\\par }")};

        QTest::newRow("no topic 0: no topics, popups still written")
            << topic(1, a, u8("B"), {}) + popup(0, {u8("Mot¶")}) << 2 << 1 << t12 << b10
            << QStringList{u8("\\par }"), hashNote(u8("Pp0000")), u8("\\fs20 \\b Mot\\b0 "), u8("\\par "),
                   u8("\\par \\page "), u8("\\par }")};

        QTest::newRow("links only to the topics written")
            << topic(0, a, u8("A"), {}) + topic(1, a, u8("B"), {}) + QStringList{u8("<bloc0002>")}
                   + topic(2, a, u8("C"), {}).mid(1)
            << 2 << 0 << t12 << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 ") + link(u8("B"), u8("B")) + u8("\\fs20 "), u8("\\par \\page ")}
                   + opening(u8("B"), u8("B"), u8("0001")) + QStringList{u8("\\page "), u8("\\par }")};

        QTest::newRow("title without letters, shared keys")
            << topic(0, a, u8("¿ ! ?"), {}) + topic(1, a, u8("Aide !"), {}) + topic(2, a, u8("Aide ?"), {}) << 3 << 0
            << t12 << b10
            << opening(QString(), u8("\\'BF ! ?"), u8("0000"))
                   + QStringList{u8("\\fs20 ") + link(u8("Aide !"), u8("Aide")) + u8("\\fs20 ")
                           + link(u8("Aide ?"), u8("Aide")) + u8("\\fs20 "),
                       u8("\\par \\page ")}
                   + opening(u8("Aide"), u8("Aide !"), u8("0001")) + QStringList{u8("\\page ")}
                   + opening(u8("Aide"), u8("Aide ?"), u8("0002")) + QStringList{u8("\\page "), u8("\\par }")};

        QTest::newRow("backslash with nothing after it: no jump")
            << topic(0, u8("1mot\\"), u8("A"), {u8("x¶")}) << 1 << 0 << t12 << b10
            << QStringList{hashNote(u8("IDH_A")), dollarNote(u8("A")), kNote(u8("mot")), plusNote(u8("0000")),
                   titlePar(u8("A")), u8("\\fs20 x"), u8("\\par \\fs20 "), u8("\\par \\page "), u8("\\par }")};

        QTest::newRow("see-also target written as stored, keyword line without backslash")
            << topic(0, u8("2cl\\Cible"), u8("A"), {}) + topic(1, u8("1sans"), u8("B"), {}) << 2 << 0 << t12 << b10
            << QStringList{hashNote(u8("IDH_A")), dollarNote(u8("A")), kNote(u8("cl")), plusNote(u8("0000")),
                   titlePar(u8("A")), u8("\\fs20 ") + link(u8("B"), u8("B")) + u8("\\fs20 "), u8("\\par ") + seeAlso(u8("Cible")),
                   u8("\\page ")}
                   + QStringList{hashNote(u8("IDH_B")), dollarNote(u8("B")), kNote(u8("sans")), plusNote(u8("0001")),
                       titlePar(u8("B")), u8("\\page "), u8("\\par }")};

        QTest::newRow("fonts: sizes and title colour")
            << topic(0, a, u8("A"), {u8("x¶")}) + topic(1, u8("1\\A"), u8("B"), {}) + popup(0, {u8("P¶")}) << 2 << 1
            << look(14, 0x00FF0000u) << look(12, 0x000000FFu)
            << QStringList{hashNote(u8("IDH_A")), dollarNote(u8("A")), plusNote(u8("0000")),
                   titlePar(u8("A"), u8("\\fs28"), u8("\\cf1 "), u8("\\fs24")), u8("\\fs24 x"),
                   u8("\\par \\fs24 ") + link(u8("B"), u8("B"), u8("\\fs24")) + u8("\\fs24 "), u8("\\par \\page "),
                   hashNote(u8("IDH_B")), dollarNote(u8("B")), plusNote(u8("0001")),
                   titlePar(u8("B"), u8("\\fs28"), u8("\\cf1 "), u8("\\fs24")), seeAlso(u8("A"), u8("\\fs24")),
                   u8("\\page "), u8("\\par }"), hashNote(u8("Pp0000")), u8("\\fs20 \\b P\\b0 "), u8("\\par "),
                   u8("\\par \\page "), u8("\\par }")};

        QTest::newRow("popups: missing number stops, empty line, no mark")
            << topic(0, a, u8("A"), {}) + popup(0, {u8("Mot"), QString(), u8("é¶")}) + popup(2, {u8("Autre¶")}) << 1
            << 3 << t12 << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 "), u8("\\par \\page "), u8("\\par }"), hashNote(u8("Pp0000")),
                       u8("\\fs20 \\b Mot\\b0 \\fs20  \\fs20 \\'E9 "), u8("\\par "), u8("\\par \\page "), u8("\\par }")};

        QTest::newRow("popup count 0 writes no popup")
            << topic(0, a, u8("A"), {}) + popup(0, {u8("Mot¶")}) << 1 << 0 << t12 << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 "), u8("\\par \\page "), u8("\\par }")};

        QTest::newRow("unclosed topic ends at the next tag line")
            << topic(0, a, u8("A"), {}) + topic(1, a, u8("B"), {u8("b¶")}).mid(0, 4) + popup(0, {u8("P¶")}) << 2
            << 1 << t12 << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 ") + link(u8("B"), u8("B")) + u8("\\fs20 "), u8("\\par \\page ")}
                   + opening(u8("B"), u8("B"), u8("0001"))
                   + QStringList{u8("\\fs20 b"), u8("\\par \\page "), u8("\\par }"), hashNote(u8("Pp0000")),
                       u8("\\fs20 \\b P\\b0 "), u8("\\par "), u8("\\par \\page "), u8("\\par }")};

        QTest::newRow("topic 0 without close tag gets no contents links")
            << topic(0, a, u8("A"), {u8("x¶")}).mid(0, 4) + topic(1, a, u8("B"), {}) << 2 << 0 << t12 << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 x"), u8("\\par \\page ")}
                   + opening(u8("B"), u8("B"), u8("0001")) + QStringList{u8("\\page "), u8("\\par }")};

        QTest::newRow("block cut short after its tag")
            << QStringList{u8("<BLOC0000>"), u8("</BLOC0000>")} << 1 << 0 << t12 << b10
            << QStringList{hashNote(u8("IDH_")), dollarNote(QString()), plusNote(u8("0000")), titlePar(QString()),
                   u8("\\fs20 "), u8("\\par \\page "), u8("\\par }")}; // the contents' paragraph mark is body, not a title

        QTest::newRow("lines outside blocks and other blocks ignored")
            << QStringList{u8(" "), u8("<HEADER>"), u8("</HEADER>"), u8("<HPJ>"), u8("[OPTIONS]"), u8("</HPJ>")}
                   + topic(0, a, u8("A"), {})
            << 1 << 0 << t12 << b10
            << opening(u8("A"), u8("A"), u8("0000"))
                   + QStringList{u8("\\fs20 "), u8("\\par \\page "), u8("\\par }")};
    }
    void topics()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, pageCount);
        QFETCH(int, popupCount);
        QFETCH(store::FieldLook, title);
        QFETCH(store::FieldLook, body);
        QFETCH(QStringList, expected);

        const QByteArray bytes = publish::RtfBytes(lines, pageCount, popupCount, title, body);
        const QByteArray header = workedexample::expectedHeader();
        QVERIFY(bytes.startsWith(header));
        const QString text = QString::fromLatin1(bytes.mid(header.size()));
        QStringList got = text.split(u8("\r\n"));
        QCOMPARE(got.takeLast(), QString()); // the file ends with a line end
        for (qsizetype i = 0; i < qMin(got.size(), expected.size()); ++i)
            QCOMPARE(got[i], expected[i]);
        QCOMPARE(got.size(), expected.size());
    }

    // One topic for the preview: the same bytes the build writes for it (topic 0 with its contents
    // links), followed only by the popups its text links to.
    void oneTopicAsTheBuildWritesIt_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("popups"); // the popup footnotes it must hold
        QTest::newRow("topic 0, contents links") << 0 << QStringList{};
        QTest::newRow("topic 1, see-also and one popup") << 1 << QStringList{"Pp0001"};
    }
    void oneTopicAsTheBuildWritesIt()
    {
        QFETCH(int, page);
        QFETCH(QStringList, popups);
        const QStringList lines = topic(1, u8("1mot\\Accueil"), u8("Suite"), {u8("voir {\\ul ceci}{\\v Pp0001}¶")})
            + popup(0, {u8("Zéro¶")}) + topic(0, u8("1\\"), u8("Accueil"), {u8("texte¶")}) + popup(1, {u8("Un¶"), u8("texte un¶")});
        store::TopicFields fields;
        fields.title = page == 0 ? u8("Accueil") : u8("Suite");
        fields.keywords = page == 0 ? QString() : u8("mot");
        fields.seeAlso = page == 0 ? QString() : u8("Accueil");
        fields.body = page == 0 ? QStringList{u8("texte¶")} : QStringList{u8("voir {\\ul ceci}{\\v Pp0001}¶")};
        const QByteArray whole = publish::RtfBytes(lines, 2, 2, look(12), look(10));
        const QByteArray one = publish::topicRtf(lines, page, fields, 2, look(12), look(10));
        const QByteArray opening = hashNote(page == 0 ? u8("IDH_Accueil") : u8("IDH_Suite")).toLatin1();
        const qsizetype at = whole.indexOf(opening);
        const QByteArray topicBytes = whole.mid(at, whole.indexOf("\\page", at) - at);
        QVERIFY(one.startsWith(workedexample::expectedHeader()));
        QVERIFY2(one.contains(topicBytes), one.constData());
        for (const QString& p : {u8("Pp0000"), u8("Pp0001")})
            QCOMPARE(one.contains(hashNote(p).toLatin1()), popups.contains(p));
    }

    // The largest project the tags can number, blocks stored in reverse: every topic once, in
    // number order, each linked once from the contents.
    void tenThousandTopics()
    {
        const int n = store::MaxBlocks;
        QStringList lines;
        for (int k = n - 1; k >= 0; --k)
            lines << topic(k, u8("1mot\\"), u8("Titre %1").arg(k), {u8("Texte é¶")});
        const QByteArray bytes = publish::RtfBytes(lines, n, 0, look(12), look(10));
        qsizetype from = 0;
        for (int k = 0; k < n; ++k) {
            const QByteArray browse = plusNote(QStringLiteral("%1").arg(k, 4, 10, QLatin1Char('0'))).toLatin1();
            const qsizetype at = bytes.indexOf(browse, from);
            QVERIFY2(at > from, browse.constData());
            from = at;
        }
        QCOMPARE(bytes.count("\\page \r\n"), qsizetype(n));
        QCOMPARE(bytes.count("\\uldb\\cgrid0 Titre "), qsizetype(n - 1));
        QVERIFY(bytes.contains(link(u8("Titre 9999"), u8("Titre9999")).toLatin1()));
    }

    void writeFailureKeepsOldFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString error;
        const QStringList lines = topic(0, u8("1\\"), u8("A"), {});
        QVERIFY(!publish::ExportRtf(lines, 1, 0, look(12), look(10), dir.filePath(u8("absent/x.rtf")), &error));
        QVERIFY(!error.isEmpty());

        // A file that cannot replace the old one leaves the old one whole.
        const QString path = dir.filePath(u8("x.rtf"));
        QVERIFY(QDir(dir.path()).mkdir(u8("x.rtf")));
        error.clear();
        QVERIFY(!publish::ExportRtf(lines, 1, 0, look(12), look(10), path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(path).isDir());
    }
};

TYX_TEST(RtfWriterTest);
#include "RtfWriterTest.moc"
