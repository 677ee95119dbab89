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
            t += "<pic " + (it.text.isEmpty() ? "#" + QByteArray::number(it.picture) : it.text) + ">";
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

// Every paragraph of a topic: "text" outside tables, "row.cell:text" inside.
QList<QByteArray> layout(const hlp::Topic& t)
{
    QList<QByteArray> out;
    for (const hlp::Paragraph& p : t.paragraphs)
        out << (p.row >= 0 ? QByteArray::number(p.row) + "." + QByteArray::number(p.cell) + ":" : QByteArray()) + text(p);
    return out;
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
        // Macro hot spots, however Word splits their hidden text.
        QTest::newRow("macro without mark") << QByteArray("{\\uldb Sans}{\\v %!KL(`x',1)}") << QByteArray("<macro KL(`x',1)>Sans</>");
        QTest::newRow("macro over three groups") << QByteArray("{\\uldb A}{\\v !AL(}{\\v\\f2\\lang1036 `x',}{\\v 0)}")
                                                 << QByteArray("<macro AL(`x',0)>A</>");
        QTest::newRow("macro around a bookmark") << QByteArray("{\\uldb B}{\\*\\bkmkstart m}{\\v !JI(}{\\*\\bkmkend m}{\\v `',`X')}")
                                                 << QByteArray("<macro JI(`',`X')>B</>");
        QTest::newRow("macro after \\plain") << QByteArray("{\\uldb Suite \\plain\\v !Next()\\v0 }") << QByteArray("<macro Next()>Suite </>");
        QTest::newRow("two macros") << QByteArray("{\\uldb C}{\\v !A();B(`;')}") << QByteArray("<macro A();B(`;')>C</>");
        QTest::newRow("picture of the RTF") << QByteArray("a {\\pict\\wmetafile8\\picw10\\pich10 010009000003}b")
                                             << QByteArray("a <pic #0>b");
        QTest::newRow("hot spot on a picture") << QByteArray("{\\uldb {\\pict\\dibitmap0 2800}}{\\v IDH_Y}")
                                               << QByteArray("<jump IDH_Y><pic #0></>");
        QTest::newRow("picture in hidden text") << QByteArray("a{\\v {\\pict\\dibitmap0 2800}}b") << QByteArray("ab");
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

    void tables_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::addColumn<QList<QByteArray>>("rows"); // "left gap right/border right/border ..."
        const QByteArray def = "\\trowd \\trgaph108\\trleft-108 \\cellx2520\\cellx8748 ";
        QTest::newRow("Word 97: definition first")
            << def + "\\pard\\intbl {\\b Commande\\cell Action\\cell }\\pard\\intbl {\\row }" + def
                   + "\\pard\\intbl Nouveau\\cell Cr\\'e9e\\cell \\pard\\intbl \\row \\pard Apr\\'e8s\\par"
            << QList<QByteArray>{"0.0:Commande", "0.1:Action", "1.0:Nouveau", "1.1:Cr\xE9" "e", "Apr\xE8s"}
            << QList<QByteArray>{"-108 108 2520/0 8748/0", "-108 108 2520/0 8748/0"};
        QTest::newRow("Word 2000: definition before \\row, borders")
            << QByteArray("\\pard\\intbl {A\\cell }{B\\cell }\\pard\\intbl {\\trowd \\trgaph70\\trleft-70\\trbrdrt\\brdrs "
                          "\\clbrdrt\\brdrs\\brdrw10 \\clbrdrb\\brdrs \\cellx3000\\clbrdrl\\brdrth \\clbrdrr\\brdrtbl \\cellx6000\\row }"
                          "\\pard Fin\\par")
            << QList<QByteArray>{"0.0:A", "0.1:B", "Fin"} << QList<QByteArray>{"-70 70 3000/10 6000/36"};
        QTest::newRow("empty cell, two paragraphs in a cell")
            << def + "\\pard\\intbl \\cell Un\\par Deux\\cell \\pard\\intbl \\row "
            << QList<QByteArray>{"0.0:", "0.1:Un", "0.1:Deux"} << QList<QByteArray>{"-108 108 2520/0 8748/0"};
        QTest::newRow("more cells than \\cellx")
            << QByteArray("\\trowd\\cellx1000 \\intbl a\\cell b\\cell c\\cell \\row ")
            << QList<QByteArray>{"0.0:a", "0.1:b", "0.2:c"} << QList<QByteArray>{"0 0 1000/0 2440/0 3880/0"};
        QTest::newRow("text after the last \\cell")
            << def + "\\intbl a\\cell b\\row " << QList<QByteArray>{"0.0:a", "0.1:b"} << QList<QByteArray>{"-108 108 2520/0 8748/0"};
        QTest::newRow("no \\row before the topic ends")
            << def + "\\intbl a\\cell b\\cell \\pard Suite\\par" << QList<QByteArray>{"0.0:a", "0.1:b", "Suite"}
            << QList<QByteArray>{"-108 108 2520/0 8748/0"};
        QTest::newRow("nested table flattened")
            << def + "\\intbl a\\cell \\itap2 x\\nestcell y\\nestcell {\\*\\nesttableprops\\trowd\\cellx500\\cellx900\\nestrow}"
                     "\\itap1 \\cell \\row "
            << QList<QByteArray>{"0.0:a", "0.1:x", "0.1:y", "0.1:"} << QList<QByteArray>{"-108 108 2520/0 8748/0"};
    }
    void tables()
    {
        QFETCH(QByteArray, body);
        QFETCH(QList<QByteArray>, expected);
        QFETCH(QList<QByteArray>, rows);
        hlp::Diagnostics diag;
        const hlp::HelpDocument doc = read("{\\rtf1\\ansi #{\\footnote # IDH_T}" + body + "}", &diag);
        QVERIFY(diag.lines().isEmpty());
        QCOMPARE(doc.topics.size(), size_t(1));
        QCOMPARE(layout(doc.topics[0]), expected);
        QList<QByteArray> got;
        for (const hlp::TableRow& r : doc.topics[0].rows) {
            QByteArray line = QByteArray::number(r.left) + " " + QByteArray::number(r.gap);
            for (const hlp::TableCell& c : r.cells)
                line += " " + QByteArray::number(c.right) + "/" + QByteArray::number(c.border);
            got << line;
        }
        QCOMPARE(got, rows);
    }

    void picturesOfTheRtf_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QList<int>>("sources"); // PictureSource of each picture kept
        QTest::addColumn<QByteArray>("firstData");
        QTest::addColumn<int>("warnings");
        const QByteArray props = "{\\*\\picprop\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}}\\picscalex100\\picw10\\pich20\\picwgoal150\\pichgoal300";
        QTest::newRow("metafile, hex over lines") << QByteArray("{\\pict\\wmetafile8\\picw10\\pich20 0100\r\n09 00\r\n0003}")
                                                 << QList<int>{int(hlp::PictureSource::Metafile)} << QByteArray("\x01\x00\x09\x00\x00\x03", 6) << 0;
        QTest::newRow("Word 2007: PNG, its metafile twin left out")
            << "{\\*\\shppict{\\pict" + props + "\\pngblip\\bliptag5{\\*\\blipuid 0a0b}89504e47}}{\\nonshppict{\\pict\\wmetafile8 0100}}"
            << QList<int>{int(hlp::PictureSource::Png)} << QByteArray("\x89PNG") << 0;
        QTest::newRow("EMF of Word: the metafile twin is kept")
            << "{\\*\\shppict{\\pict" + props + "\\emfblip 0100}}{\\nonshppict{\\pict\\wmetafile8 0200}}"
            << QList<int>{int(hlp::PictureSource::Metafile)} << QByteArray("\x02\x00", 2) << 0;
        QTest::newRow("nonshppict alone is read") << QByteArray("{\\nonshppict{\\pict\\jpegblip ffd8}}")
                                                  << QList<int>{int(hlp::PictureSource::Jpeg)} << QByteArray("\xFF\xD8") << 0;
        QTest::newRow("binary data") << QByteArray("{\\pict\\dibitmap0\\bin4 {}\\\x01}")
                                     << QList<int>{int(hlp::PictureSource::Dib)} << QByteArray("{}\\\x01", 4) << 0;
        QTest::newRow("device bitmap") << QByteArray("{\\pict\\wbitmap0\\picw16\\pich2\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2 ffff0000}")
                                       << QList<int>{int(hlp::PictureSource::Ddb)} << QByteArray("\xFF\xFF\x00\x00", 4) << 0;
        // An OLE object shows the picture of its result; its own data is no picture.
        QTest::newRow("OLE object: its result's picture")
            << QByteArray("{\\object\\objemb\\objw10{\\*\\objclass Paint.Picture}{\\*\\objdata 0102}{\\result {\\pict\\dibitmap0 2800}}}")
            << QList<int>{int(hlp::PictureSource::Dib)} << QByteArray("\x28\x00", 2) << 0;
        QTest::newRow("OLE object: Word's result picture, its twin left out")
            << QByteArray("{\\object\\objemb{\\*\\objdata 01}{\\result{\\*\\shppict{\\pict\\pngblip 89504e47}}{\\nonshppict{\\pict\\wmetafile8 0100}}}}")
            << QList<int>{int(hlp::PictureSource::Png)} << QByteArray("\x89PNG") << 0;
        QTest::newRow("OLE object without a picture") << QByteArray("{\\object\\objemb{\\*\\objclass Excel.Sheet.8}{\\*\\objdata 0102}}")
                                                      << QList<int>{} << QByteArray() << 1;
        QTest::newRow("EMF alone") << QByteArray("{\\pict\\emfblip 0100}") << QList<int>{} << QByteArray() << 1;
        QTest::newRow("no data") << QByteArray("{\\pict\\pngblip }") << QList<int>{} << QByteArray() << 1;
    }
    void picturesOfTheRtf()
    {
        QFETCH(QByteArray, body);
        QFETCH(QList<int>, sources);
        QFETCH(QByteArray, firstData);
        QFETCH(int, warnings);
        hlp::Diagnostics diag;
        const hlp::HelpDocument doc = read("{\\rtf1\\ansi #{\\footnote # IDH_P}Image : " + body + " fin\\par}", &diag);
        QCOMPARE(diag.lines().size(), warnings);
        QList<int> got;
        for (const hlp::Picture& p : doc.pictures)
            got << int(p.source);
        QCOMPARE(got, sources);
        QCOMPARE(doc.topics[0].paragraphs[0].items.size(), size_t(sources.isEmpty() ? 1 : 3));
        if (!sources.isEmpty()) {
            QCOMPARE(doc.pictures[0].data, firstData);
            QCOMPARE(doc.topics[0].paragraphs[0].items[1].picture, 0);
        }
    }

    void pictureSizes()
    {
        const hlp::HelpDocument doc = read("{\\rtf1 #{\\footnote X}{\\pict\\wmetafile7\\picw5292\\pich2646\\picwgoal3000\\pichgoal1500 00}"
                                           "{\\pict\\wbitmap0\\picw16\\pich8\\wbmbitspixel4\\wbmplanes1\\wbmwidthbytes8 00}\\par}");
        QCOMPARE(doc.pictures.size(), size_t(2));
        QCOMPARE(doc.pictures[0].mapMode, 7);
        QCOMPARE(doc.pictures[0].width, 5292);
        QCOMPARE(doc.pictures[0].goalHeight, 1500);
        QCOMPARE(doc.pictures[1].ddbBitsPerPixel, 4);
        QCOMPARE(doc.pictures[1].ddbWidthBytes, 8);
    }

    // \uN takes the project's code page; a character it has no byte for keeps the replacement
    // the file gives after it (a byte of the font's code page).
    void unicodeInTheProjectsCodePage_data()
    {
        QTest::addColumn<int>("charset");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("fontCharset");
        QTest::newRow("Cyrillic project") << 204 << QByteArray() << QByteArray("\xCF\xE5 ?") << -1;
        QTest::newRow("Western project keeps the replacement") << 0 << QByteArray() << QByteArray("\xCF\xE5 \xE9") << -1;
        QTest::newRow("the fonts say it") << -1 << QByteArray("{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}")
                                           << QByteArray("\xCF\xE5 ?") << 204;
        QTest::newRow("\\ansicpg says it") << -1 << QByteArray("\\ansicpg1251 ") << QByteArray("\xCF\xE5 ?") << 204;
    }
    void unicodeInTheProjectsCodePage()
    {
        QFETCH(int, charset);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, expected);
        QFETCH(int, fontCharset);
        hlp::HelpDocument doc;
        hlp::Diagnostics diag;
        if (charset >= 0)
            diag.setCodePage(hlp::CodePage::forCharset(charset));
        hlp::RtfReader reader(doc, diag);
        reader.setCodePageFixed(charset >= 0);
        reader.read("{\\rtf1\\ansi\\deff0 " + header + "#{\\footnote X}\\u1055\\'cf\\u1077\\'e5 \\u233?\\par}", QStringLiteral("t.rtf"));
        QCOMPARE(text(doc.topics[0].paragraphs[0]), expected);
        QCOMPARE(doc.fontCharset, fontCharset);
    }

    void emptyTrailingPageMakesNoTopic()
    {
        const hlp::HelpDocument doc = read("{\\rtf1 #{\\footnote A}Un\\par\\page\\par\\page }");
        QCOMPARE(doc.topics.size(), size_t(1));
    }
};

TYX_TEST(RtfReaderTest);
#include "RtfReaderTest.moc"
