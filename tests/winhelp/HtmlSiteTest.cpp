// The HTML help made from the compiler's help model: pages, links, popups, the contents tree,
// the keyword index, the search index and every byte of the code page.
#include "SampleProject.h"
#include "platform/core/Cp1252.h"
#include "winhelp/HlpCompiler.h"
#include "winhelp/html/HtmlHelp.h"
#include "winhelp/html/HtmlIndexes.h"
#include "winhelp/model/Diagnostics.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <map>

namespace {

const QByteArray kHpj = "[OPTIONS]\r\nTITLE=Essai\r\nCONTENTS=C\r\n[FILES]\r\np.rtf\r\n";

// One topic of a test topic file; an empty title gives an untitled topic.
QByteArray topic(const QByteArray& context, const QByteArray& title, const QByteArray& body, const QByteArray& keywords = {})
{
    QByteArray t = "#{\\footnote " + context + "}";
    if (!title.isEmpty())
        t += "${\\footnote " + title + "}";
    if (!keywords.isEmpty())
        t += "K{\\footnote " + keywords + "}";
    return t + "\r\n" + body + "\\par\\page\r\n";
}

QByteArray topicFile(const QByteArray& topics)
{
    return "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}{\\colortbl;\\red255\\green0\\blue0;}"
           "\\f0\\fs20\r\n"
        + topics + "}";
}

struct Built {
    hlp::CompileResult result;
    std::map<QString, QByteArray> files;
    QByteArray file(const QString& name) const
    {
        const auto it = files.find(name);
        return it == files.end() ? QByteArray() : it->second;
    }
    QString diagnostics() const { return result.diagnostics.join(QLatin1Char('\n')); }
};

// The site of a project, in memory, read and checked as the compiler does.
Built build(const QByteArray& rtf, const QByteArray& hpj = kHpj, const hlp::html::HtmlOptions& options = {})
{
    QTemporaryDir dir;
    for (const auto& [name, bytes] : {std::pair{QStringLiteral("P.hpj"), hpj}, std::pair{QStringLiteral("p.rtf"), rtf}}) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return {};
    }
    Built b;
    b.result = hlp::HlpCompiler().compile(dir.filePath(QStringLiteral("P.hpj")), dir.filePath(QStringLiteral("site")),
        [&](const hlp::ReadHelp& help) {
            for (const hlp::html::SiteFile& f : hlp::html::makeSite(help, options))
                b.files[f.name] = f.bytes;
            return true;
        });
    return b;
}

// The text of <main> of a page.
QByteArray mainOf(const QByteArray& page)
{
    const qsizetype from = page.indexOf("<main");
    return page.mid(from, page.indexOf("</main>") - from);
}

// The topics of sommaire.js as "page:depth".
QStringList tree(const Built& b)
{
    QStringList out;
    static const QRegularExpression entry(QStringLiteral("\\[\"[^\"]*\",\"([^\"]+)\",(\\d+)\\]"));
    for (auto it = entry.globalMatch(QString::fromUtf8(b.file(QStringLiteral("sommaire.js")))); it.hasNext();) {
        const auto m = it.next();
        out << m.captured(1) + QLatin1Char(':') + m.captured(2);
    }
    return out;
}

} // namespace

class HtmlSiteTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void topicText_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("wanted");
        QTest::addColumn<QByteArray>("unwanted");
        QTest::newRow("centred") << QByteArray("\\qc Milieu") << QByteArray("style=\"text-align:center;\">Milieu") << QByteArray();
        QTest::newRow("boxed") << QByteArray("\\box Cadre") << QByteArray("border:1px solid;") << QByteArray();
        QTest::newRow("jump") << QByteArray("{\\uldb Vers B}{\\v B}") << QByteArray("<a class=\"lien\" href=\"B.html\">Vers B</a>")
                              << QByteArray();
        QTest::newRow("jump to a missing topic is text") << QByteArray("{\\uldb Nulle part}{\\v Absent}")
                                                         << QByteArray("<p>Nulle part</p>") << QByteArray("Absent");
        QTest::newRow("plain jump") << QByteArray("{\\uldb sobre}{\\v %B}") << QByteArray("<a class=\"lien sobre\" href=\"B.html\">")
                                    << QByteArray();
        QTest::newRow("jump with a window") << QByteArray("{\\uldb fen}{\\v B>second}") << QByteArray("href=\"B.html\" target=\"aide-second\">fen</a>")
                                            << QByteArray();
        QTest::newRow("other help file is text") << QByteArray("{\\uldb ailleurs}{\\v B@autre.hlp}")
                                                 << QByteArray("<p>ailleurs</p>") << QByteArray("href=\"B.html\"");
        QTest::newRow("popup in place") << QByteArray("{\\ul note}{\\v P}")
                                        << QByteArray("<button type=\"button\" class=\"lien surgir\" popovertarget=\"pp-P\" "
                                                      "data-page=\"P.html\">note</button>")
                                        << QByteArray();
        QTest::newRow("popup text in the page") << QByteArray("{\\ul note}{\\v P}") << QByteArray("id=\"pp-P\" popover>")
                                                << QByteArray();
        QTest::newRow("macro jump") << QByteArray("{\\uldb par macro}{\\v !JumpId(\"\", \"B\")}")
                                    << QByteArray("href=\"B.html\">par macro</a>") << QByteArray();
        QTest::newRow("macro popup") << QByteArray("{\\uldb mac}{\\v !PI(`', `P')}") << QByteArray("popovertarget=\"pp-P\"")
                                     << QByteArray();
        QTest::newRow("macro without equivalent") << QByteArray("{\\uldb son}{\\v !PlaySound(\"x.wav\")}")
                                                  << QByteArray("<p>son</p>") << QByteArray("PlaySound");
        QTest::newRow("HTML characters") << QByteArray("a < b & c > \"d\"") << QByteArray("a &lt; b &amp; c &gt; &quot;d&quot;")
                                         << QByteArray();
        QTest::newRow("breaks, tabs, no-break spaces") << QByteArray("un\\line deux\\tab trois\\~quatre")
                                                       << QByteArray("un<br>deux<span class=\"tab\"> </span>trois&nbsp;quatre")
                                                       << QByteArray();
        QTest::newRow("non-scrolling region") << QByteArray("\\keepn En-t\\'eate\\par\\pard Corps")
                                              << QByteArray("<div class=\"fixe\">\n<h1>En-t\xC3\xAAte</h1>\n</div>\n<div class=\"corps\">\n<p>Corps")
                                              << QByteArray("class=\"cache\"");
        QTest::newRow("heading kept for readers") << QByteArray("Corps") << QByteArray("<h1 class=\"cache\">Titre A</h1>")
                                                  << QByteArray();
    }

    void topicText()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, wanted);
        QFETCH(QByteArray, unwanted);
        const Built b = build(topicFile(topic("C", "Sommaire", "{\\uldb A}{\\v A}") + topic("A", "Titre A", body)
            + topic("B", "Titre B", "Texte B") + topic("P", {}, "Texte de P")));
        QVERIFY2(b.result.written, qPrintable(b.diagnostics()));
        const QByteArray page = mainOf(b.file(QStringLiteral("A.html")));
        QVERIFY2(page.contains(wanted), page.constData());
        if (!unwanted.isEmpty())
            QVERIFY2(!page.contains(unwanted), page.constData());
    }

    void characterFormats_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("css");
        QTest::newRow("bold") << QByteArray("un \\b mot\\b0  ici, et le reste du texte") << QByteArray("font-weight:bold;");
        QTest::newRow("italic") << QByteArray("un \\i mot\\i0  ici, et le reste du texte") << QByteArray("font-style:italic;");
        QTest::newRow("underline") << QByteArray("un \\ul mot\\ul0  ici, et le reste du texte") << QByteArray("text-decoration:underline;");
        QTest::newRow("size") << QByteArray("un \\fs40 mot\\fs20  ici, et le reste du texte") << QByteArray("font-size:2em;");
        QTest::newRow("face") << QByteArray("un \\f1 mot\\f0  ici, et le reste du texte")
                              << QByteArray("font-family:\"Courier New\",monospace;");
        QTest::newRow("colour") << QByteArray("un \\cf1 mot\\cf0  ici, et le reste du texte")
                                << QByteArray("color:#ff0000;");
    }

    void characterFormats()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, css);
        const Built b = build(topicFile(topic("C", "Sommaire", body)));
        const QByteArray page = b.file(QStringLiteral("index.html"));
        const QRegularExpression run(QStringLiteral("<span class=\"(c\\d+)\">mot</span>"));
        const auto m = run.match(QString::fromUtf8(page));
        QVERIFY2(m.hasMatch(), page.constData());
        const QByteArray rule = "." + m.captured(1).toUtf8() + "{" + css + "}";
        QVERIFY2(b.file(QStringLiteral("aide.css")).contains(rule), b.file(QStringLiteral("aide.css")).right(300).constData());
        // The rest of the text is in the text's own format: no class.
        QVERIFY(page.contains("</span> ici, et le reste du texte</p>"));
    }

    void everyByteOfTheCodePage()
    {
        QByteArray escaped, bytes;
        for (int b = 0x20; b < 0x100; ++b) {
            escaped += QByteArray("\\'") + QByteArray::number(b, 16);
            bytes += char(b);
        }
        const Built built = build(topicFile(topic("C", "Sommaire", "[" + escaped + "]")));
        const QByteArray page = built.file(QStringLiteral("index.html"));
        const qsizetype from = page.indexOf("<p>[") + 4;
        QString shown = QString::fromUtf8(page.mid(from, page.indexOf("]</p>") - from));
        shown.replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&lt;"), QLatin1String("<"));
        shown.replace(QLatin1String("&gt;"), QLatin1String(">")).replace(QLatin1String("&amp;"), QLatin1String("&"));
        // Every byte is its own character; DEL and the five bytes the code page leaves undefined are no text.
        QString expected = cp1252::decode(bytes);
        expected.removeIf([](QChar c) { return c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0); });
        QCOMPARE(shown, expected);
        QVERIFY(page.startsWith("<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">"));
    }

    void contentsTree_data()
    {
        QTest::addColumn<QByteArray>("topics");
        QTest::addColumn<QStringList>("given"); // "context:depth"
        QTest::addColumn<QStringList>("expected");
        const QByteArray linked = topic("C", "Sommaire", "{\\uldb a}{\\v A}\\par {\\uldb b}{\\v B}")
            + topic("A", "A", "{\\uldb a1}{\\v A1}") + topic("B", "B", "{\\uldb a}{\\v A}\\par {\\uldb b1}{\\v B1}")
            + topic("A1", "A1", "{\\uldb a2}{\\v A2}") + topic("A2", "A2", "x") + topic("B1", "B1", "x");
        QTest::newRow("from the links, nearest the contents first") << linked << QStringList()
                                                                    << QStringList{"index:0", "A:0", "A1:1", "A2:2", "B:0", "B1:1"};
        QTest::newRow("popups stay out, unreached topics follow")
            << topic("C", "Sommaire", "{\\ul p}{\\v P}") + topic("P", "Surgissant", "x") + topic("Seul", "Seul", "x")
                   + topic("Muet", {}, "x")
            << QStringList() << QStringList{"index:0", "Seul:0"};
        QTest::newRow("four levels at most")
            << topic("C", "Sommaire", "{\\uldb 1}{\\v T1}") + topic("T1", "T1", "{\\uldb 2}{\\v T2}") + topic("T2", "T2", "{\\uldb 3}{\\v T3}")
                   + topic("T3", "T3", "{\\uldb 4}{\\v T4}") + topic("T4", "T4", "{\\uldb 5}{\\v T5}") + topic("T5", "T5", "x")
            << QStringList() << QStringList{"index:0", "T1:0", "T2:1", "T3:2", "T4:3", "T5:0"};
        QTest::newRow("the author's levels") << linked << QStringList{"C:0", "B:1", "inconnu:1", "A:3", "A1:0"}
                                             << QStringList{"index:0", "B:1", "A:2", "A1:0", "A2:0", "B1:0"};
        QTest::newRow("contents first when the author's tree lacks it") << linked << QStringList{"A:1", "B:0"}
                                                                        << QStringList{"index:0", "A:1", "B:0", "A1:0", "A2:0", "B1:0"};
    }

    void contentsTree()
    {
        QFETCH(QByteArray, topics);
        QFETCH(QStringList, given);
        QFETCH(QStringList, expected);
        hlp::html::HtmlOptions options;
        for (const QString& g : given)
            options.contents.push_back({g.section(':', 0, 0).toLatin1(), g.section(':', 1).toInt(), {}});
        const Built b = build(topicFile(topics), kHpj, options);
        QCOMPARE(tree(b), expected);
    }

    void pageNames()
    {
        QByteArray hpj = kHpj + "[MAP]\r\nC 10\r\nindex 11\r\nA_B 12\r\nabsent 13\r\n";
        const Built b = build(topicFile(topic("C", "Sommaire", "x") + topic("index", "Index ?", "x") + topic("a b", "Espace", "x")
                                  + topic("A_B", "Souligne", "x") + "${\\footnote Sans contexte}x\\par\\page\r\n"),
            hpj);
        for (const char* page : {"index.html", "index-2.html", "a_b.html", "A_B-2.html", "rubrique-5.html", "motscles.html",
                 "recherche.html", "aide.css", "aide.js", "sommaire.js", "recherche.js", "contextes.json"})
            QVERIFY2(b.files.count(QString::fromLatin1(page)), page);
        const QByteArray map = b.file(QStringLiteral("contextes.json"));
        QVERIFY(map.contains("\"C\": \"index.html\""));
        QVERIFY(map.contains("\"index\": \"index-2.html\""));
        QVERIFY(map.contains("\"10\": \"index.html\""));
        QVERIFY(map.contains("\"12\": \"A_B-2.html\""));
        QVERIFY(!map.contains("\"13\""));
    }

    void keywordIndex()
    {
        const Built b = build(topicFile(topic("C", "Sommaire", "x", "\xC9t\xE9;Z\xE8" "bre") + topic("A", "Titre A", "x", "\xE9t\xE9;abc")
            + topic("B", "Titre B", "x", "ABC")));
        const QByteArray page = mainOf(b.file(QStringLiteral("motscles.html")));
        // Folded order; one keyword whatever its case, with the topics it names.
        const qsizetype abc = page.indexOf("data-cle=\"abc\""), ete = page.indexOf("data-cle=\"ete\""), zebre = page.indexOf("data-cle=\"zebre\"");
        QVERIFY2(abc > 0 && abc < ete && ete < zebre, page.constData());
        QCOMPARE(page.count("data-cle=\"ete\""), 1);
        QVERIFY(page.contains("<span class=\"cle\">\xC3\x89t\xC3\xA9</span><ul><li><a href=\"index.html\">Sommaire</a></li>"
                              "<li><a href=\"A.html\">Titre A</a></li></ul>"));
        QVERIFY(page.contains("<li data-cle=\"zebre\"><a href=\"index.html\">Z\xC3\xA8" "bre</a></li>"));
    }

    void searchIndex()
    {
        const Built b = build(topicFile(topic("C", "Sommaire", "\\'c9t\\'e9, \\'e0 l'\\'e9" "cole") + topic("A", "\xC9" "coles", "x")));
        const QByteArray index = b.file(QStringLiteral("recherche.js"));
        // Folded words of two letters or more, titles included; "ecole" in entry 0, "ecoles" in 1.
        QVERIFY2(index.startsWith("tyxRecherche({\"mots\":\"ecole ecoles ete sommaire\",\"listes\":\"0 1 0 0\"});"), index.constData());
    }

    void entryLists_data()
    {
        QTest::addColumn<QList<int>>("entries");
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("first") << QList<int>{0} << QByteArray("0");
        QTest::newRow("neighbours") << QList<int>{3, 4, 5} << QByteArray("300");
        QTest::newRow("last one-digit gap") << QList<int>{31} << QByteArray("v");
        QTest::newRow("two digits") << QList<int>{0, 40} << QByteArray("0x7");
        QTest::newRow("three digits") << QList<int>{32 * 32 * 2 + 5} << QByteArray("yw5");
    }

    void entryLists()
    {
        QFETCH(QList<int>, entries);
        QFETCH(QByteArray, code);
        QCOMPARE(hlp::html::encodeEntries(std::vector<int>(entries.begin(), entries.end())), code);
    }

    void searchIndexIsSmall()
    {
        QTemporaryDir dir;
        const QString hpj = hlptest::generatedProject(300).writeWithBuild(dir.path(), QStringLiteral("GENERE"));
        qsizetype text = 0, index = 0;
        hlp::HlpCompiler().compile(hpj, dir.filePath(QStringLiteral("site")), [&](const hlp::ReadHelp& help) {
            for (const hlp::Topic& t : help.document.topics) {
                text += t.title.size();
                for (const hlp::Paragraph& p : t.paragraphs)
                    for (const hlp::Item& it : p.items)
                        text += it.kind == hlp::ItemKind::Text ? it.text.size() : 0;
            }
            for (const hlp::html::SiteFile& f : hlp::html::makeSite(help, {}))
                if (f.name == QLatin1String("recherche.js"))
                    index = f.bytes.size();
            return true;
        });
        QVERIFY(text > 10000);
        QVERIFY2(index > 0 && index * 4 <= text, qPrintable(QStringLiteral("%1 / %2").arg(index).arg(text)));
    }

    void browseButtonsAndLanguage()
    {
        const QByteArray hpj = "[OPTIONS]\r\nLCID=0x409 0x0 0x0\r\n[FILES]\r\np.rtf\r\n[CONFIG]\r\nBrowseButtons()\r\n";
        const Built b = build(topicFile(topic("C", "Home", "+{\\footnote 001}x") + topic("A", "Two", "+{\\footnote 002}x")
                                  + topic("B", "Out", "x")),
            hpj);
        QVERIFY(b.file(QStringLiteral("A.html")).contains("<html lang=\"en\">"));
        QVERIFY(b.file(QStringLiteral("A.html")).contains(
            "<a class=\"bouton\" rel=\"prev\" href=\"index.html\">\xC2\xAB Pr\xC3\xA9" "c\xC3\xA9" "dent</a>"
            "<span class=\"bouton\" aria-disabled=\"true\">Suivant \xC2\xBB</span>"));
        QVERIFY(!b.file(QStringLiteral("B.html")).contains("class=\"parcours\""));
    }

    void diagnosticsNameTopicsByTitle()
    {
        const Built b = build(topicFile(topic("C", "Sommaire", "{\\uldb perdu}{\\v Absent}\\par {\\uldb x}{\\v !Foo()}{\\uldb y}{\\v !Foo(1)}")));
        QVERIFY(b.result.written);
        QCOMPARE(b.result.errorCount, 1);
        const QString said = b.diagnostics();
        QVERIFY2(said.contains(QStringLiteral("dans la rubrique « Sommaire », le saut « perdu » mène à « Absent »")), qPrintable(said));
        QCOMPARE(said.count(QStringLiteral("la macro « Foo »")), 1);
    }

    void picturesBecomePng()
    {
        QTemporaryDir dir;
        QVERIFY(hlptest::writeDemoPictures(dir.path()));
        const QString hpj = hlptest::demoProject().writeWithBuild(dir.path(), QStringLiteral("DEMO"));
        const QString site = dir.filePath(QStringLiteral("DEMO-html"));
        const hlp::CompileResult r = hlp::html::writeHtmlHelp(hpj, site);
        QVERIFY2(r.written, qPrintable(r.diagnostics.join('\n')));
        QCOMPARE(r.diagnostics.size(), 1);
        const QImage logo(QDir(site).filePath(QStringLiteral("images/logo.png")));
        QCOMPARE(logo.size(), QImage(dir.filePath(QStringLiteral("logo.bmp"))).size());
        QFile home(QDir(site).filePath(QStringLiteral("index.html")));
        QVERIFY(home.open(QIODevice::ReadOnly));
        const QByteArray page = home.readAll();
        QVERIFY(page.contains(QByteArray(QByteArray("<img class=\"car\" src=\"images/logo.png\" width=\"") + QByteArray::number(logo.width()))));
        QVERIFY(page.contains("alt=\"logo\""));
        QFile quick(QDir(site).filePath(QStringLiteral("IDH_Dmarragerapide.html")));
        QVERIFY(quick.open(QIODevice::ReadOnly));
        QVERIFY(quick.readAll().contains("<img class=\"gauche\" src=\"images/logo.png\""));
    }

    void fuzzEntryTakesAnything_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("unclosed") << QByteArray("{\\rtf1 #{\\footnote a}${\\footnote b}{\\uldb x}{\\v a");
        QTest::newRow("odd links") << QByteArray("{\\rtf1 #{\\footnote a}{\\ul}{\\v a}{\\uldb x}{\\v !}{\\uldb y}{\\v @}\\page #{\\footnote a}}");
        QTest::newRow("bytes") << QByteArray("{\\rtf1 #{\\footnote \x01\xff<>\"&}x\\'00\\'ff\\page}");
    }

    void fuzzEntryTakesAnything()
    {
        QFETCH(QByteArray, rtf);
        const int files = hlp::html::siteFromTopicFile(rtf);
        QVERIFY(files == 0 || files >= 8);
    }
};

TYX_TEST(HtmlSiteTest);
#include "HtmlSiteTest.moc"
