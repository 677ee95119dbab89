// Reading topic files: the RTF our build writes, and RTF from other help projects.
#include "winhelp/project/RtfReader.h"
#include "support/TestRegistry.h"

#include <QTest>

namespace {

const QByteArray kHeader = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}\r\n"
                           "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fswiss\\fprq2 MS Sans Serif;}\r\n"
                           "{\\f3\\froman Times New Roman;}\r\n"
                           "{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;\\red0\\green255\\blue0;"
                           "\\red255\\green0\\blue255;\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red128\\green128\\blue128;"
                           "\\red255\\green255\\blue255;\\red0\\green0\\blue128;\\red0\\green128\\blue128;\\red0\\green128\\blue0;"
                           "\\red128\\green0\\blue128;\\red128\\green0\\blue0;\\red192\\green192\\blue192;}}\r\n";

// The two topics and the popup of the build's worked example, line for line.
const QByteArray kWorkedExample =
    "{\\cs16\\super #{\\footnote\\pard\\plain \\s15\\nowidctlpar\\widctlpar\\adjustright \\fs20\\lang1036\\cgrid{\\cs16\\super #}{ IDH_Accueil}}\r\n"
    "${\\footnote \\pard\\plain \\s15\\nowidctlpar\\widctlpar\\adjustright \\fs20\\lang1036\\cgrid {\\cs16\\super $}{Accueil}}}\r\n"
    "K{\\footnote \\pard \\plain\\f16\\fs20\\up6\\super K\\plain\\f16 accueil}\r\n"
    "+{\\footnote \\pard \\plain\\f16\\fs20\\up6\\super +\\plain\\f16 0000}\r\n"
    "\\f11\\fs24\\cf0 \\cgrid0\\keepn Accueil \\par\\pard\\fs20\r\n"
    "\\fs20 Bienvenue dans l'aide.\r\n"
    "\\par \\fs20 }{\\par \\f11\\fs20\\uldb\\cgrid0 D\\'E9marrage}{\\v\\f11\\fs24\\cgrid0 IDH_Dmarrage}{\\f11\\fs20\\cgrid0 \\fs20 \r\n"
    "\\par \\page \r\n"
    "{\\cs16\\super #{\\footnote\\pard\\plain \\s15\\nowidctlpar\\widctlpar\\adjustright \\fs20\\lang1036\\cgrid{\\cs16\\super #}{ IDH_Dmarrage}}\r\n"
    "${\\footnote \\pard\\plain \\s15\\nowidctlpar\\widctlpar\\adjustright \\fs20\\lang1036\\cgrid {\\cs16\\super $}{D\\'E9marrage}}}\r\n"
    "+{\\footnote \\pard \\plain\\f16\\fs20\\up6\\super +\\plain\\f16 0001}\r\n"
    "\\f11\\fs24\\cf0 \\cgrid0\\keepn D\\'E9marrage \\par\\pard\\fs20\r\n"
    "\\fs20 Lancez le \\b programme\\b0 .\r\n"
    "\\par }{\\par \\f11\\fs20\\uldb\\cgrid0 Voir aussi}{\\v\\cgrid0 IDH_Accueil}{\\f11\\fs20\\cgrid0 \r\n"
    "\\page \r\n"
    "\\par }\r\n"
    "{\\cs16\\super #{\\footnote\\pard\\plain \\s15\\nowidctlpar\\widctlpar\\adjustright \\fs20\\lang1036\\cgrid{\\cs16\\super #}{ Pp0000}}\r\n"
    "\\fs20 \\b Note\\b0 \r\n"
    "\\par \\fs20 Texte de la note. \r\n"
    "\\par \r\n"
    "\\par \\page \r\n"
    "\\par }\r\n";

QByteArray text(const hlp::Paragraph& p)
{
    QByteArray t;
    for (const hlp::Item& it : p.items) {
        switch (it.kind) {
        case hlp::ItemKind::Text:
            t += it.text;
            break;
        case hlp::ItemKind::Tab:
            t += "<tab>";
            break;
        case hlp::ItemKind::LineBreak:
            t += "<line>";
            break;
        case hlp::ItemKind::NbSpace:
            t += "<nbsp>";
            break;
        case hlp::ItemKind::Picture:
            t += "<pic " + it.text + ">";
            break;
        case hlp::ItemKind::HotspotBegin:
            t += (it.link == hlp::LinkKind::Jump ? "<jump " : it.link == hlp::LinkKind::Popup ? "<popup " : "<macro ") + it.text + ">";
            break;
        case hlp::ItemKind::HotspotEnd:
            t += "</>";
            break;
        }
    }
    return t;
}

hlp::HelpDocument read(const QByteArray& rtf, hlp::Diagnostics* diag = nullptr)
{
    hlp::HelpDocument doc;
    hlp::Diagnostics local;
    hlp::RtfReader(doc, diag ? *diag : local).read(rtf, QStringLiteral("t.rtf"));
    return doc;
}

} // namespace

class RtfReaderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workedExample()
    {
        const hlp::HelpDocument doc = read(kHeader + kWorkedExample);
        QCOMPARE(doc.topics.size(), size_t(3));

        const hlp::Topic& t0 = doc.topics[0];
        QCOMPARE(t0.title, QByteArray("Accueil"));
        QCOMPARE(t0.contexts, QList<QByteArray>{"IDH_Accueil"});
        QCOMPARE(t0.keywords, QList<QByteArray>{"accueil"});
        QVERIFY(t0.hasBrowse);
        QCOMPARE(t0.browse, QByteArray("0000"));
        QCOMPARE(t0.paragraphs.size(), size_t(4));
        QCOMPARE(text(t0.paragraphs[0]), QByteArray("Accueil "));
        QVERIFY(t0.paragraphs[0].format.keepWithNext);
        QCOMPARE(t0.paragraphs[0].items[0].format.halfPoints, 24);
        QCOMPARE(text(t0.paragraphs[1]), QByteArray("Bienvenue dans l'aide."));
        QVERIFY(!t0.paragraphs[1].format.keepWithNext);
        QCOMPARE(text(t0.paragraphs[2]), QByteArray());
        QCOMPARE(text(t0.paragraphs[3]), QByteArray("<jump IDH_Dmarrage>D\xE9marrage</>"));
        QCOMPARE(t0.paragraphs[3].items[1].format.attrs, std::uint8_t(0)); // the viewer draws the link itself

        const hlp::Topic& t1 = doc.topics[1];
        QCOMPARE(t1.title, QByteArray("D\xE9marrage"));
        QCOMPARE(t1.contexts, QList<QByteArray>{"IDH_Dmarrage"});
        QVERIFY(t1.keywords.isEmpty());
        QCOMPARE(t1.browse, QByteArray("0001"));
        QCOMPARE(t1.paragraphs.size(), size_t(4));
        QCOMPARE(text(t1.paragraphs[1]), QByteArray("Lancez le programme."));
        QCOMPARE(t1.paragraphs[1].items[1].format.attrs, std::uint8_t(hlp::AttrBold));
        QCOMPARE(text(t1.paragraphs[3]), QByteArray("<jump IDH_Accueil>Voir aussi</>"));

        // The popup stands after the document's closing brace; the paragraph mark before its
        // footnote is not a line of it.
        const hlp::Topic& popup = doc.topics[2];
        QVERIFY(popup.title.isEmpty());
        QCOMPARE(popup.contexts, QList<QByteArray>{"Pp0000"});
        QVERIFY(!popup.hasBrowse);
        QCOMPARE(popup.paragraphs.size(), size_t(3));
        QCOMPARE(text(popup.paragraphs[0]), QByteArray("Note"));
        QCOMPARE(popup.paragraphs[0].items[0].format.attrs, std::uint8_t(hlp::AttrBold));
        QCOMPARE(text(popup.paragraphs[1]), QByteArray("Texte de la note. "));
        QCOMPARE(popup.displayName(hlp::CodePage()), QStringLiteral("« Pp0000 »"));
    }

    void undeclaredFontsTakeTheDefault()
    {
        const hlp::HelpDocument doc = read(kHeader + kWorkedExample);
        const hlp::CharFormat& title = doc.topics[0].paragraphs[0].items[0].format;
        QCOMPARE(doc.faces[static_cast<size_t>(title.face)].name, QByteArray("MS Sans Serif"));
    }

    void bodyMarkup_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("popup link") << QByteArray("Voir la {\\ul note}{\\v Pp0003} ici.") << QByteArray("Voir la <popup Pp0003>note</> ici.");
        QTest::newRow("strike jump") << QByteArray("{\\strike Suite}{\\v IDH_Suite}") << QByteArray("<jump IDH_Suite>Suite</>");
        QTest::newRow("macro") << QByteArray("{\\uldb Fermer}{\\v !Exit()}") << QByteArray("<macro Exit()>Fermer</>");
        QTest::newRow("picture as character") << QByteArray("Cliquez \\{bmc print.bmp\\} ici") << QByteArray("Cliquez <pic print.bmp> ici");
        QTest::newRow("picture left, capitals") << QByteArray("\\{BML Logo.bmp\\}Texte") << QByteArray("<pic Logo.bmp>Texte");
        QTest::newRow("escaped braces") << QByteArray("un \\{mot\\} et \\\\ fin") << QByteArray("un {mot} et \\ fin");
        QTest::newRow("tab line nbsp") << QByteArray("a\\tab b\\line c\\~d") << QByteArray("a<tab>b<line>c<nbsp>d");
        QTest::newRow("hex and unicode") << QByteArray("\\'e9t\\'E9 \\u8364? \\u30000?x") << QByteArray("\xE9t\xE9 \x80 ?x");
        QTest::newRow("hex inside runs") << QByteArray("d\\'e9j\\'E0\r\nvu\\'09x\\'7bz\\'0\\'41 \\'00y\\'") << QByteArray("d\xE9j\xE0vu<tab>x{zA y");
        QTest::newRow("hex inside hidden runs") << QByteArray("{\\uldb Suite}{\\v IDH\\'5fS\\'09uite}") << QByteArray("<jump IDH_S\tuite>Suite</>");
        QTest::newRow("unknown words ignored") << QByteArray("\\foo12 a\\bar b{\\*\\unknown skipped}c") << QByteArray("abc");
        QTest::newRow("hidden without hot spot") << QByteArray("a{\\v hidden}b") << QByteArray("ab");
        QTest::newRow("emdash and quotes") << QByteArray("\\emdash\\lquote x\\rquote") << QByteArray("\x97\x91x\x92");
    }
    void bodyMarkup()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, expected);
        const hlp::HelpDocument doc = read("{\\rtf1\\ansi #{\\footnote # IDH_X}" + body + "\\par}");
        QCOMPARE(doc.topics.size(), size_t(1));
        QCOMPARE(doc.topics[0].paragraphs.size(), size_t(1));
        QCOMPARE(text(doc.topics[0].paragraphs[0]), expected);
    }

    void paragraphFormats()
    {
        const hlp::HelpDocument doc =
            read(kHeader + "#{\\footnote # X}\\fs20 \\qc Centr\\'E9\r\n\\par \\fs20 \\pard\\fs20 \\box Encadr\\'E9\r\n\\par \\fs20 "
                           "\\pard\\li720\\ri360\\fi-360\\sb120\\sa60\\tx1440\\tqr\\tx2880 Normal \\cf5 rouge\\cf0\\i  it\\par}");
        QCOMPARE(doc.topics.size(), size_t(1));
        const auto& ps = doc.topics[0].paragraphs;
        QCOMPARE(ps.size(), size_t(3));
        QCOMPARE(ps[0].format.align, hlp::Align::Centre);
        QCOMPARE(ps[1].format.align, hlp::Align::Left);
        QCOMPARE(ps[1].format.border, std::uint8_t(hlp::BorderBox));
        const hlp::ParaFormat& f = ps[2].format;
        QCOMPARE(f.border, std::uint8_t(0));
        QCOMPARE(f.leftIndent, 720);
        QCOMPARE(f.rightIndent, 360);
        QCOMPARE(f.firstIndent, -360);
        QCOMPARE(f.spaceBefore, 120);
        QCOMPARE(f.spaceAfter, 60);
        QCOMPARE(f.tabs.size(), size_t(2));
        QCOMPARE(f.tabs[1].kind, 1);
        QCOMPARE(ps[2].items.size(), size_t(3));
        QCOMPARE(int(ps[2].items[1].format.red), 255);
        QCOMPARE(int(ps[2].items[1].format.green), 0);
        QCOMPARE(ps[2].items[2].format.attrs, std::uint8_t(hlp::AttrItalic));
    }

    void textItemsAreIndependent()
    {
        // Text items share storage; each must still read, end and change on its own.
        hlp::HelpDocument doc = read("{\\rtf1\\ansi #{\\footnote # IDH_X}un \\b deux\\b0  trois\\par quatre\\par}");
        QCOMPARE(doc.topics.size(), size_t(1));
        auto& ps = doc.topics[0].paragraphs;
        QCOMPARE(ps.size(), size_t(2));
        QCOMPARE(ps[0].items.size(), size_t(3));
        for (const hlp::Item& it : ps[0].items)
            QCOMPARE(it.text.constData()[it.text.size()], '\0');
        const QByteArray copy = ps[0].items[1].text;
        ps[0].items[0].text.append("XYZ");
        ps[0].items[1].text.chop(1);
        QCOMPARE(ps[0].items[0].text, QByteArray("un XYZ"));
        QCOMPARE(ps[0].items[1].text, QByteArray("deu"));
        QCOMPARE(copy, QByteArray("deux"));
        QCOMPARE(ps[0].items[2].text, QByteArray(" trois"));
        QCOMPARE(ps[1].items[0].text, QByteArray("quatre"));
        const QByteArray kept = ps[1].items[0].text;
        doc.topics.clear();
        QCOMPARE(kept, QByteArray("quatre"));
    }

    void foreignRtf()
    {
        // A word processor's file: style sheet, \plain, \s, \line, info group, a field.
        const QByteArray rtf =
            "{\\rtf1\\ansi\\ansicpg1252\\deff1{\\fonttbl{\\f0\\froman\\fprq2 Times New Roman;}{\\f1\\fswiss\\fprq2{\\*\\panose 020b0604020202020204}Arial;}}"
            "{\\stylesheet{\\s0\\snext0 Normal;}{\\s1\\sb240\\keepn\\b\\f1\\fs28 heading 1;}}{\\info{\\title Doc}{\\author Moi}}"
            "\\uc1\\pard\\plain\\s1\\f1\\fs28\\b #{\\footnote \\pard\\plain \\s0 #\\chftn  sujet_un}${\\footnote \\pard\\plain $ Premier sujet}"
            "K{\\footnote K un;deux ; trois}!{\\footnote ! CloseWindow(\"main\"); Next()}"
            "Premier sujet\\par\\pard\\plain\\s0\\f1\\fs20 Ligne une\\line ligne deux {\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt r\\'e9sultat}}"
            "\\u233\\'e9 fin\\par\\page"
            "#{\\footnote sujet.deux}Second\\par}";
        hlp::Diagnostics diag;
        const hlp::HelpDocument doc = read(rtf, &diag);
        QVERIFY2(diag.lines().isEmpty(), qPrintable(diag.lines().join('\n')));
        QCOMPARE(doc.topics.size(), size_t(2));
        const hlp::Topic& t = doc.topics[0];
        QCOMPARE(t.contexts, QList<QByteArray>{"sujet_un"});
        QCOMPARE(t.title, QByteArray("Premier sujet"));
        QCOMPARE(t.keywords, (QList<QByteArray>{"un", "deux", "trois"}));
        QCOMPARE(t.macros, (QList<QByteArray>{"CloseWindow(\"main\")", "Next()"}));
        QCOMPARE(t.paragraphs.size(), size_t(2));
        QCOMPARE(text(t.paragraphs[0]), QByteArray("Premier sujet"));
        QCOMPARE(t.paragraphs[0].items[0].format.halfPoints, 28);
        QCOMPARE(doc.faces[static_cast<size_t>(t.paragraphs[0].items[0].format.face)].name, QByteArray("Arial"));
        QCOMPARE(text(t.paragraphs[1]), QByteArray("Ligne une<line>ligne deux r\xE9sultat\xE9 fin"));
        QCOMPARE(doc.topics[1].contexts, QList<QByteArray>{"sujet.deux"});
        QCOMPARE(text(doc.topics[1].paragraphs[0]), QByteArray("Second"));
    }

    void emptyTrailingPageMakesNoTopic()
    {
        const hlp::HelpDocument doc = read("{\\rtf1 #{\\footnote A}Un\\par\\page\\par\\page }");
        QCOMPARE(doc.topics.size(), size_t(1));
    }
};

TYX_TEST(RtfReaderTest);
#include "RtfReaderTest.moc"
