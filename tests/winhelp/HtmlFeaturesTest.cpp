// The compiler's feature projects as help sites: tables, pictures of every source with the hot
// spots of a .shg picture, a Help Workshop project (aliases, [MAP] numbers), macro hot spots and
// a Russian project in its own code page.
#include "FeatureProjects.h"
#include "SampleProject.h"
#include "winhelp/format/HlpBytes.h"
#include "winhelp/html/HtmlHelp.h"
#include "winhelp/reader/HlpFileReader.h"
#include "support/FileBytes.h"
#include "winhelp/html/HtmlTopic.h"
#include "support/TestRegistry.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Site {
    QTemporaryDir dir;
    hlp::CompileResult result;
    QString folder;

    explicit Site(const QString& feature)
    {
        const QString hpj = hlptest::writeFeatureProject(feature, dir.filePath(QStringLiteral("projet")));
        folder = dir.filePath(QStringLiteral("site"));
        if (!hpj.isEmpty())
            result = hlp::html::writeHtmlHelp(hpj, folder);
    }
    QByteArray file(const QString& name) const
    {
        QFile f(QDir(folder).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString said() const { return result.diagnostics.join(QLatin1Char('\n')); }
};

} // namespace

class HtmlFeaturesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tables()
    {
        const Site site(QStringLiteral("tables"));
        QVERIFY2(site.result.written, qPrintable(site.said()));
        const QByteArray page = site.file(QStringLiteral("index.html"));
        // Four rows of two cells, sized from \cellx; an empty cell keeps its place.
        const qsizetype table = page.indexOf("<div class=\"tableau\"><table>");
        QVERIFY(table > 0);
        QCOMPARE(page.mid(table, page.indexOf("</table>", table) - table).count("<tr>"), 4);
        QVERIFY(page.contains("<td style=\"width:13.14rem;padding-left:0.54rem;padding-right:0.54rem;\"><p><span class=\"c2\">Commande</span>"));
        QVERIFY(page.contains("<p>Premier</p>\n</td><td style=\"width:12.6rem;padding-left:0.54rem;padding-right:0.54rem;\"><p><br></p>\n"
                              "</td><td style=\"width:22.14rem;padding-left:0.54rem;padding-right:0.54rem;\"><p>Ligne un</p>\n<p>Ligne deux</p>"));
        QVERIFY(page.contains("</table></div>\n<p>Texte apr\xC3\xA8s la table.</p>"));
        // Cell borders.
        QVERIFY(site.file(QStringLiteral("IDH_NOUVEAU.html")).contains("border-top:1px solid;"));
    }

    void picturesOfEverySource()
    {
        const Site site(QStringLiteral("pictures"));
        QVERIFY2(site.result.written, qPrintable(site.said()));
        const QByteArray page = site.file(QStringLiteral("index.html"));
        // Bitmaps as PNG of their own size, JPEG as it is, the metafile drawn at the size the topic
        // gives it (an ellipse and a rectangle).
        for (const auto& [file, w, h] : {std::tuple{"images/image-1.png", 200, 100}, std::tuple{"images/image-2.png", 32, 24},
                 std::tuple{"images/image-3.png", 16, 16}, std::tuple{"images/image-4.png", 96, 48},
                 std::tuple{"images/zones.png", 96, 64}, std::tuple{"images/logo.png", 48, 32}}) {
            const QImage image = QImage::fromData(site.file(QString::fromLatin1(file)));
            QCOMPARE(image.size(), QSize(w, h));
        }
        const QImage drawn = QImage::fromData(site.file(QStringLiteral("images/image-1.png")));
        QCOMPARE(drawn.pixel(50, 50), qRgb(0x20, 0x50, 0xC0));
        QCOMPARE(drawn.pixel(150, 50), qRgb(0xE0, 0x40, 0x20));
        QCOMPARE(qAlpha(drawn.pixel(100, 50)), 0);
        QVERIFY(page.contains("<img class=\"car\" src=\"images/image-1.png\" width=\"200\" height=\"100\" alt=\"image 1\">"));
        QVERIFY(site.file(QStringLiteral("images/image-5.jpg")).startsWith("\xFF\xD8"));
        QVERIFY2(!site.said().contains(QStringLiteral("métafichier")), qPrintable(site.said()));
        // The .shg hot spots as an image map: jumps (one into a secondary window), a popup opened
        // in place, the macro's jump.
        QVERIFY(page.contains("<img class=\"car\" src=\"images/zones.png\" width=\"96\" height=\"64\" alt=\"zones\" usemap=\"#zones5\">"
                              "<map name=\"zones5\"><area shape=\"rect\" coords=\"0,0,48,32\" href=\"IDH_CIBLE.html\" alt=\"saut\">"
                              "<area shape=\"rect\" coords=\"48,0,96,32\" href=\"IDH_NOTE.html\" data-surgissant=\"pp-IDH_NOTE\" alt=\"note\">"
                              "<area shape=\"rect\" coords=\"0,32,48,64\" href=\"IDH_SECONDAIRE.html\" target=\"aide-second\" alt=\"seconde\">"
                              "<area shape=\"rect\" coords=\"48,32,96,64\" href=\"IDH_CIBLE.html\" alt=\"macro\"></map>"));
        QVERIFY(page.contains("<div class=\"surgissant texte\" id=\"pp-IDH_NOTE\" popover aria-label=\"Note\">"));
        // A topic only a hot spot pops up is no entry of the contents.
        QVERIFY(!site.file(QStringLiteral("sommaire.js")).contains("IDH_NOTE"));
    }

    void workshopAliasesAndNumbers()
    {
        const Site site(QStringLiteral("workshop"));
        QVERIFY2(site.result.written, qPrintable(site.said()));
        // CONTENTS= names an alias; jumps through aliases (and an alias of an alias) reach their topics.
        QVERIFY(site.file(QStringLiteral("index.html")).contains("<title>Sommaire de l'atelier \xE2\x80\x93 Atelier d'aide</title>"));
        QVERIFY(site.file(QStringLiteral("index.html")).contains("<a class=\"lien\" href=\"IDH_NOUVEAU.html\">Nouveau document</a>"));
        // A jump into a secondary window opens a browser window of that name.
        QVERIFY(site.file(QStringLiteral("index.html"))
                    .contains("<a class=\"lien\" href=\"IDH_OUVRIR.html\" target=\"aide-proc4\">Ouvrir un document</a>"));
        // [MAP] numbers of every form, for the program's own help.
        const QByteArray map = site.file(QStringLiteral("contextes.json"));
        QVERIFY2(map.contains("\"16\": \"index.html\"") && map.contains("\"17\": \"IDH_NOUVEAU.html\"")
                     && map.contains("\"18\": \"IDH_OUVRIR.html\"") && map.contains("\"105\": \"IDH_SECONDE.html\""),
            map.constData());
    }

    void macroHotspots_data()
    {
        QTest::addColumn<QByteArray>("macro");
        QTest::addColumn<int>("topic");
        QTest::addColumn<QByteArray>("href");
        QTest::newRow("JumpId") << QByteArray("JumpId(`', `B')") << 1 << QByteArray();
        QTest::newRow("into a window of another file name") << QByteArray("JI(`X.HLP>second',`b')") << 1 << QByteArray();
        QTest::newRow("by [MAP] number") << QByteArray("JC(`', 0x20)") << 1 << QByteArray();
        QTest::newRow("unknown number") << QByteArray("JumpContext(`', 21)") << -1 << QByteArray();
        QTest::newRow("window macro, then a jump") << QByteArray("CloseWindow(`second');JI(`',`A')") << 0 << QByteArray();
        QTest::newRow("two jumps: no single link") << QByteArray("JI(`',`A');JI(`',`B')") << -1 << QByteArray();
        QTest::newRow("keyword link, ';' inside quotes") << QByteArray("KL(`\xE9t\xE9;autre',1,`',`')") << -1
                                                         << QByteArray("motscles.html?filtre=%C3%A9t%C3%A9");
        QTest::newRow("contents") << QByteArray("Contents()") << -1 << QByteArray("index.html");
        QTest::newRow("next in the sequence") << QByteArray("Next()") << 1 << QByteArray();
        QTest::newRow("no previous") << QByteArray("Prev()") << -1 << QByteArray();
        QTest::newRow("no equivalent") << QByteArray("ExecFile(`notepad')") << -1 << QByteArray();
    }

    void macroHotspots()
    {
        QFETCH(QByteArray, macro);
        QFETCH(int, topic);
        QFETCH(QByteArray, href);
        hlp::HelpDocument doc;
        doc.topics.resize(2);
        doc.topics[0].contexts << "A";
        doc.topics[1].contexts << "B";
        hlp::html::SiteNames names(doc, 0);
        names.addMap({{"B", 0x20, 1}});
        const hlp::html::TextCodec codec;
        const hlp::html::MacroLink link = hlp::html::macroLink(macro, names, hlp::BrowseNeighbours{-1, 1}, &codec);
        QCOMPARE(link.topic, topic);
        QCOMPARE(link.href, href);
        QCOMPARE(link.missing.isEmpty(), QByteArray(QTest::currentDataTag()) != "unknown number");
    }

    // Each output says what it did with a picture: the help file and the site each show what they
    // can, and warn only about what they left out.
    void picturesSayWhatEachOutputDid_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // the file's, or without a name the picture's RTF
        QTest::addColumn<QString>("hlpSaid"); // empty: nothing but the summary
        QTest::addColumn<QString>("siteSaid");
        const auto runLengths = [](int bits, const QByteArray& runs) {
            QByteArray bmp = hlptest::sampleBmp(4, 2, bits).left(54 + (4 << bits)) + runs;
            hlp::putU32(bmp, 30, bits == 8 ? 1 : 2);
            return bmp;
        };
        QByteArray sixteen = hlptest::sampleBmp(4, 2, 24);
        hlp::putU16(sixteen, 28, 16);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImage(4, 2, QImage::Format_RGB32).save(&buffer, "PNG");
        const QString unusable = QStringLiteral("image « %1 » de la rubrique « Un » inutilisable (%2) ; elle est omise.");
        QTest::newRow("RLE8") << QStringLiteral("r8.bmp") << runLengths(8, QByteArray("\x04\x09\x00\x00\x04\x0c\x00\x01", 8))
                              << QString() << QString();
        QTest::newRow("RLE4") << QStringLiteral("r4.bmp") << runLengths(4, QByteArray("\x04\x9c\x00\x00\x04\xc9\x00\x01", 8))
                              << QString() << QString();
        QTest::newRow("16 bits: the site shows it") << QStringLiteral("p16.bmp") << sixteen
                                                    << unusable.arg(QStringLiteral("p16.bmp"), QStringLiteral("bitmap de 16 bits par pixel : enregistrez-le en 1, 4, 8 ou 24 bits"))
                                                    << QString();
        QTest::newRow("PNG file: the site shows it") << QStringLiteral("p.png") << png
                                                     << unusable.arg(QStringLiteral("p.png"), QStringLiteral("ni .bmp, ni .shg, ni .mrb, ni .wmf"))
                                                     << QString();
        QTest::newRow("no picture at all") << QStringLiteral("x.bmp") << QByteArray(40, 'x')
                                           << unusable.arg(QStringLiteral("x.bmp"), QStringLiteral("ni .bmp, ni .shg, ni .mrb, ni .wmf"))
                                           << QStringLiteral("l'image « x.bmp » de la rubrique « Un » est illisible pour l'aide HTML ; elle est omise.");
        QTest::newRow("OLE object: the picture of its result")
            << QString() << "{\\object\\objemb{\\*\\objdata 0102}{\\result{\\pict\\dibitmap0 " + hlptest::sampleBmp(4, 2, 4).mid(14).toHex() + "}}}"
            << QString() << QString();
        QTest::newRow("OLE object without a picture") << QString() << QByteArray("{\\object\\objemb{\\*\\objdata 0102}}")
                                                      << QStringLiteral("dans la rubrique « Un », un objet OLE sans image de remplacement est omis.")
                                                      << QStringLiteral("dans la rubrique « Un », un objet OLE sans image de remplacement est omis.");
    }
    void picturesSayWhatEachOutputDid()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, hlpSaid);
        QFETCH(QString, siteSaid);
        QTemporaryDir dir;
        // A file named by {bmc}, or the bytes are the picture's RTF.
        const QByteArray shown = name.isEmpty() ? bytes : "\\{bmc " + name.toLatin1() + "\\}";
        const QString hpj = dir.filePath(QStringLiteral("P.hpj"));
        QVERIFY(testfile::write(hpj, "[FILES]\np.rtf\n"));
        QVERIFY(testfile::write(dir.filePath(QStringLiteral("p.rtf")), "{\\rtf1 #{\\footnote A}${\\footnote Un}Image " + shown + "\\par}"));
        if (!name.isEmpty())
            QVERIFY(testfile::write(dir.filePath(name), bytes));

        const hlp::CompileResult hlpResult = hlp::HlpCompiler().compile(hpj);
        QVERIFY(hlpResult.written);
        QCOMPARE(hlpResult.diagnostics.mid(0, hlpResult.diagnostics.size() - 1),
            hlpSaid.isEmpty() ? QStringList() : QStringList{QStringLiteral("Attention : ") + hlpSaid});
        hlp::HlpFile file;
        QVERIFY2(file.load(testfile::read(hlpResult.hlpPath)), qPrintable(file.problems().join('\n')));
        QCOMPARE(file.picture(0) != nullptr, hlpSaid.isEmpty());

        const QString folder = dir.filePath(QStringLiteral("site"));
        const hlp::CompileResult siteResult = hlp::html::writeHtmlHelp(hpj, folder);
        QVERIFY(siteResult.written);
        QCOMPARE(siteResult.diagnostics.mid(0, siteResult.diagnostics.size() - 1),
            siteSaid.isEmpty() ? QStringList() : QStringList{QStringLiteral("Attention : ") + siteSaid});
        const QString base = name.isEmpty() ? QStringLiteral("image-1") : QFileInfo(name).completeBaseName();
        const QImage image(QDir(folder).filePath(QStringLiteral("images/") + base + QStringLiteral(".png")));
        QCOMPARE(image.isNull() ? QSize() : image.size(), siteSaid.isEmpty() ? QSize(4, 2) : QSize());
    }

    void russianInItsCodePage()
    {
        const Site site(QStringLiteral("russian"));
        QVERIFY2(site.result.written, qPrintable(site.said()));
        const QByteArray page = site.file(QStringLiteral("index.html"));
        QVERIFY(page.contains("<html lang=\"ru\">"));
        QVERIFY(page.contains(QStringLiteral("<h1 class=\"cache\">Главная страница</h1>").toUtf8()));
        // The program's own words keep their language.
        QVERIFY(page.contains("<nav class=\"outils\" aria-label=\"Outils de l'aide\" lang=\"fr\">"));
        QVERIFY(site.file(QStringLiteral("recherche.js")).contains(QStringLiteral("печать").toUtf8()));
        QVERIFY(site.file(QStringLiteral("motscles.html")).contains(QStringLiteral("data-cle=\"печать\"").toUtf8()));
    }
};

TYX_TEST(HtmlFeaturesTest);
#include "HtmlFeaturesTest.moc"
