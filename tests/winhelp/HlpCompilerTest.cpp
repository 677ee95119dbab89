// The whole compiler: projects written by the program's build are compiled, read back with the
// project's own reader and checked index by index; bad projects give French diagnostics.
#include "SampleProject.h"
#include "winhelp/format/HlpBytes.h"
#include "winhelp/HlpCompiler.h"
#include "winhelp/reader/HlpFileReader.h"
#include "winhelp/model/HelpModel.h"
#include "support/TestRegistry.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray allText(const hlp::HlpFile::Topic& t)
{
    QByteArray s;
    for (const auto& p : t.paragraphs)
        s += p.text + '|';
    return s;
}

bool hasLine(const QStringList& lines, const QString& part)
{
    for (const QString& l : lines)
        if (l.contains(part))
            return true;
    return false;
}

// A minimal project: the given RTF body and .hpj text.
QString writeProject(const QTemporaryDir& dir, const QByteArray& hpj, const QByteArray& rtf)
{
    const QString hpjPath = dir.filePath(QStringLiteral("P.hpj"));
    if (!testfile::write(hpjPath, hpj) || !testfile::write(dir.filePath(QStringLiteral("p.rtf")), rtf))
        return {};
    return hpjPath;
}

} // namespace

class HlpCompilerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void demoProjectReadsBack()
    {
        QTemporaryDir dir;
        QVERIFY(hlptest::writeDemoPictures(dir.path()));
        const hlptest::SampleProject demo = hlptest::demoProject();
        const QString hpj = demo.writeWithBuild(dir.path(), QStringLiteral("DEMO"));
        QVERIFY(!hpj.isEmpty());

        const hlp::CompileResult r = hlp::HlpCompiler().compile(hpj);
        QVERIFY2(r.written, qPrintable(r.diagnostics.join('\n')));
        QCOMPARE(r.errorCount, 0);
        QCOMPARE(r.diagnostics.size(), 1); // the summary alone
        QCOMPARE(r.hlpPath, QDir(dir.path()).filePath(QStringLiteral("DEMO.hlp")));
        QCOMPARE(r.topicCount, 4);

        hlp::HlpFile f;
        QVERIFY2(f.load(testfile::read(r.hlpPath)), qPrintable(f.problems().join('\n')));
        QCOMPARE(f.fileNames(), (QList<QByteArray>{"|CONTEXT", "|CTXOMAP", "|FONT", "|KWBTREE", "|KWDATA", "|KWMAP", "|SYSTEM",
                                                   "|TOPIC", "|TTLBTREE", "|bm0", "|bm1"}));

        // Topics in file order, with titles; the popup is untitled.
        const auto& topics = f.topics();
        QCOMPARE(topics.size(), size_t(4));
        QCOMPARE(topics[0].title, QByteArray("Accueil"));
        QCOMPARE(topics[1].title, QByteArray("D\xE9marrage rapide"));
        QCOMPARE(topics[2].title, QByteArray("Imprimer un document"));
        QVERIFY(topics[3].title.isEmpty());
        for (const auto& t : topics)
            QCOMPARE(f.titleAt(t.offset), t.title);

        // Every context string through |CONTEXT, every [MAP] number through |CTXOMAP.
        const QList<QByteArray> contexts{"IDH_Accueil", "IDH_Dmarragerapide", "IDH_Imprimerundocument", "Pp0000"};
        for (int i = 0; i < contexts.size(); ++i) {
            QCOMPARE(f.contextOffset(contexts[i]), std::optional<std::uint32_t>(topics[static_cast<size_t>(i)].offset));
            if (i < 3)
                QCOMPARE(f.mapOffset(static_cast<std::uint32_t>(i + 1)), std::optional<std::uint32_t>(topics[static_cast<size_t>(i)].offset));
        }
        QVERIFY(!f.contextOffset("IDH_Absent"));
        QVERIFY(!f.mapOffset(4));

        // Every keyword through |KWBTREE.
        const QList<std::pair<QByteArray, int>> keywords{{"accueil", 0}, {"bienvenue", 0}, {"d\xE9marrage", 1}, {"lancer", 1},
                                                         {"impression", 2}, {"imprimer", 2}};
        for (const auto& [k, topic] : keywords)
            QCOMPARE(f.keywordOffsets(k), QList<std::uint32_t>{topics[static_cast<size_t>(topic)].offset});
        QCOMPARE(f.keywordOffsets("IMPRIMER"), QList<std::uint32_t>{topics[2].offset});
        QCOMPARE(f.keywords().size(), 6);

        // Browse sequence over the three topics, the popup outside it.
        QCOMPARE(topics[0].browseBack, -1);
        QCOMPARE(topics[0].browseFor, std::int32_t(topics[1].offset));
        QCOMPARE(topics[2].browseBack, std::int32_t(topics[1].offset));
        QCOMPARE(topics[2].browseFor, -1);
        QCOMPARE(topics[3].browseFor, -1);

        // Text, formatting, links, pictures.
        const QByteArray home = allText(topics[0]);
        QVERIFY2(home.startsWith("Accueil |Bienvenue dans l'aide de D\xE9mo, \xE9""crite en fran\xE7""ais.|"), home.constData());
        QVERIFY(topics[0].paragraphs[0].nonScroll);
        QVERIFY(!topics[0].paragraphs[1].nonScroll);
        QVERIFY(home.contains("et un {mot} entre accolades."));
        const auto& paras = topics[0].paragraphs;
        auto para = [&paras](const QByteArray& start) {
            for (const auto& p : paras)
                if (p.text.startsWith(start))
                    return p;
            return hlp::HlpFile::Paragraph{};
        };
        QVERIFY(para("Un paragraphe centr").bits & 0x0800);
        QVERIFY(para("Un paragraphe encadr").bits & 0x0100);
        QCOMPARE(para("Un paragraphe encadr").border, std::uint8_t(1));
        QVERIFY(!(para("Le logo").bits & 0x0900));
        QCOMPARE(para("Le logo").pictures, QList<int>{0});
        QCOMPARE(para("Le logo").pictureCommands, QList<std::uint8_t>{0x86});
        QCOMPARE(topics[1].paragraphs[2].pictureCommands, QList<std::uint8_t>{0x87});
        QCOMPARE(topics[2].paragraphs[1].pictures, QList<int>{1});
        QVERIFY(allText(topics[2]).contains("Colonne\tsuivante"));

        QCOMPARE(topics[0].links.size(), size_t(2));
        QCOMPARE(topics[0].links[0].command, std::uint8_t(0xE3));
        QCOMPARE(topics[0].links[0].hash, hlp::contextHash("IDH_Dmarragerapide"));
        QCOMPARE(topics[0].links[0].text, QByteArray("D\xE9marrage rapide"));
        QCOMPARE(topics[1].links.size(), size_t(2));
        QCOMPARE(topics[1].links[0].command, std::uint8_t(0xE2));
        QCOMPARE(topics[1].links[0].hash, hlp::contextHash("Pp0000"));
        QCOMPARE(topics[1].links[0].text, QByteArray("note"));
        QCOMPARE(topics[1].links[1].text, QByteArray("Voir aussi"));

        bool bold = false, italic = false, underline = false;
        for (const auto& font : f.fonts()) {
            bold = bold || font.attrs == hlp::AttrBold;
            italic = italic || font.attrs == hlp::AttrItalic;
            underline = underline || font.attrs == hlp::AttrUnderline;
            QCOMPARE(font.face, QByteArray("MS Sans Serif"));
        }
        QVERIFY(bold && italic && underline);

        // |SYSTEM: title, contents, macro, main window, icon, language.
        const auto& sys = f.system();
        QCOMPARE(sys.minor, 33u);
        QCOMPARE(sys.flags, 0u);
        QCOMPARE(sys.title, QByteArray("Aide de d\xE9mo"));
        QCOMPARE(sys.contents, std::optional<std::uint32_t>(topics[0].offset));
        QCOMPARE(sys.macros, QList<QByteArray>{"BrowseButtons()"});
        QCOMPARE(sys.windows.size(), size_t(1));
        QCOMPARE(sys.windows[0].name, QByteArray("main"));
        QCOMPARE(sys.windows[0].caption, QByteArray("Aide de d\xE9mo"));
        QCOMPARE(sys.windows[0].width, 800);
        QCOMPARE(sys.windows[0].nonScrollColour, 0xC0C0C0u);
        QCOMPARE(sys.lcid, std::optional<unsigned>(0x040C));
        QCOMPARE(sys.icon, hlptest::sampleIcon());
    }

    void manyTopicsReadBack_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("compress");
        QTest::newRow("one") << 1 << false;
        QTest::newRow("300") << 300 << false;
        QTest::newRow("2500") << 2500 << false;
        QTest::newRow("one compressed") << 1 << true;
        QTest::newRow("2500 compressed") << 2500 << true;
    }
    void manyTopicsReadBack()
    {
        QFETCH(int, count);
        QFETCH(bool, compress);
        QTemporaryDir dir;
        const QString hpj = hlptest::generatedProject(count).writeWithBuild(dir.path(), QStringLiteral("GENERE"));
        QVERIFY(!hpj.isEmpty());
        if (compress) {
            QFile f(hpj);
            QVERIFY(f.open(QIODevice::Append));
            f.write("[OPTIONS]\r\nCOMPRESS=HIGH\r\n");
        }
        const hlp::CompileResult r = hlp::HlpCompiler().compile(hpj);
        QVERIFY2(r.written && r.errorCount == 0, qPrintable(r.diagnostics.join('\n')));
        hlp::HlpFile f;
        QVERIFY2(f.load(testfile::read(r.hlpPath)), qPrintable(f.problems().mid(0, 10).join('\n')));
        QCOMPARE(f.topics().size(), size_t(count));
        for (int k = 0; k < count; ++k) {
            const QByteArray key = QByteArray::number(k + 1).rightJustified(4, '0');
            const std::uint32_t offset = f.topics()[static_cast<size_t>(k)].offset;
            QCOMPARE(f.contextOffset("IDH_Sujet" + key), std::optional<std::uint32_t>(offset));
            QCOMPARE(f.keywordOffsets("mot" + key), QList<std::uint32_t>{offset});
            QCOMPARE(f.mapOffset(static_cast<std::uint32_t>(k + 1)), std::optional<std::uint32_t>(offset));
            QCOMPARE(f.titleAt(offset), "Sujet " + key);
            QVERIFY(allText(f.topics()[static_cast<size_t>(k)]).contains(QByteArray("Texte du sujet " + QByteArray::number(k + 1) + " : ")));
        }
        QCOMPARE(f.system().flags, compress ? 4u : 0u);
    }

    // The same project compressed and not: the same help, in fewer bytes.
    void compressionKeepsEverything()
    {
        QTemporaryDir dir;
        QVERIFY(hlptest::writeDemoPictures(dir.path()));
        const QString hpj = hlptest::demoProject().writeWithBuild(dir.path(), QStringLiteral("DEMO"));
        const hlp::CompileResult plain = hlp::HlpCompiler().compile(hpj);
        QVERIFY(plain.written);
        const QByteArray plainBytes = testfile::read(plain.hlpPath);
        QFile f(hpj);
        QVERIFY(f.open(QIODevice::Append));
        f.write("[OPTIONS]\r\nCOMPRESS=MEDIUM\r\n");
        f.close();
        const hlp::CompileResult packed = hlp::HlpCompiler().compile(hpj);
        QCOMPARE(packed.diagnostics, plain.diagnostics);
        hlp::HlpFile a, b;
        QVERIFY(a.load(plainBytes));
        QVERIFY2(b.load(testfile::read(packed.hlpPath)), qPrintable(b.problems().join('\n')));
        QVERIFY(testfile::read(packed.hlpPath).size() < plainBytes.size());
        QCOMPARE(b.topics().size(), a.topics().size());
        for (size_t t = 0; t < a.topics().size(); ++t) {
            QCOMPARE(b.topics()[t].title, a.topics()[t].title);
            QCOMPARE(allText(b.topics()[t]), allText(a.topics()[t]));
            QCOMPARE(b.topics()[t].links.size(), a.topics()[t].links.size());
        }
        QCOMPARE(b.keywords(), a.keywords());
        QCOMPARE(b.fileNames(), a.fileNames());
        QCOMPARE(b.picture(0)->width, a.picture(0)->width);
        QVERIFY(b.picture(0)->packing != 0);
    }

    void longParagraphCrossesBlocks_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("compress");
        QByteArray words;
        for (int i = 0; i < 900; ++i)
            words += "mot" + QByteArray::number(i) + ' ';
        // Letters in no order: LZ77 finds little in them, so they fill several compressed blocks.
        QByteArray letters;
        quint32 seed = 12345;
        for (int i = 0; i < 30000; ++i) {
            seed = seed * 1103515245u + 12345u;
            letters += static_cast<char>('a' + (seed >> 16) % 26);
        }
        QTest::newRow("uncompressed") << words << QByteArray("OFF");
        QTest::newRow("compressed, one block") << words << QByteArray("HIGH");
        QTest::newRow("compressed, over 16 KB of text") << words + words + words + words + words << QByteArray("HIGH");
        QTest::newRow("compressed, blocks filled to the byte") << letters << QByteArray("HIGH");
        QTest::newRow("uncompressed, many blocks") << letters << QByteArray("OFF");
    }
    void longParagraphCrossesBlocks()
    {
        // One long paragraph, with a jump after it.
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, compress);
        QTemporaryDir dir;
        const QByteArray rtf = "{\\rtf1\\ansi #{\\footnote A}${\\footnote Un}" + body + "\\par {\\uldb B}{\\v B}\\par\\page "
                               "#{\\footnote B}${\\footnote Deux}Fin\\par}";
        const QString hpj = writeProject(dir, "[OPTIONS]\nTITLE=T\nCOMPRESS=" + compress + "\n[FILES]\nP.RTF\n", rtf);
        const hlp::CompileResult r = hlp::HlpCompiler().compile(hpj);
        QVERIFY2(r.written, qPrintable(r.diagnostics.join('\n')));
        hlp::HlpFile f;
        QVERIFY2(f.load(testfile::read(r.hlpPath)), qPrintable(f.problems().join('\n')));
        QCOMPARE(f.topics().size(), size_t(2));
        QCOMPARE(f.topics()[0].paragraphs[0].text, body);
        QCOMPARE(f.contextOffset("B"), std::optional<std::uint32_t>(f.topics()[1].offset));
        QCOMPARE(f.system().flags, compress == "OFF" ? 0u : 4u);
        if (compress == "OFF" || body.size() > 20000)
            QVERIFY(f.topics()[1].offset >= 0x8000); // the second topic starts in a later block
    }

    void sharedKeywordListsEveryTopic()
    {
        QTemporaryDir dir;
        const QByteArray rtf = "{\\rtf1\\ansi #{\\footnote A}K{\\footnote commun;Seul}Un\\par\\page #{\\footnote B}K{\\footnote Commun}Deux\\par}";
        const hlp::CompileResult r = hlp::HlpCompiler().compile(writeProject(dir, "[FILES]\np.rtf\n", rtf));
        QVERIFY(r.written);
        hlp::HlpFile f;
        QVERIFY2(f.load(testfile::read(r.hlpPath)), qPrintable(f.problems().join('\n')));
        QCOMPARE(f.keywords(), (QList<QByteArray>{"commun", "Seul"}));
        QCOMPARE(f.keywordOffsets("COMMUN"), (QList<std::uint32_t>{f.topics()[0].offset, f.topics()[1].offset}));
    }

    void diagnostics_data()
    {
        QTest::addColumn<QByteArray>("hpj");
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("expected");
        const QByteArray files = "[FILES]\np.rtf\n";
        QTest::newRow("jump to nowhere") << files << QByteArray("{\\rtf1 #{\\footnote A}${\\footnote Accueil}{\\uldb Suite}{\\v IDH_Suite}\\par}") << true
                                         << QStringLiteral("dans la rubrique « Accueil », le saut « Suite » mène à « IDH_Suite », qu'aucune rubrique ne définit.");
        QTest::newRow("see also to nowhere") << files << QByteArray("{\\rtf1 #{\\footnote A}${\\footnote D\\'E9but}{\\uldb Voir aussi}{\\v IDH_X}\\par}") << true
                                             << QStringLiteral("dans la rubrique « Début », le renvoi « Voir aussi » mène à « IDH_X »");
        QTest::newRow("missing popup") << files << QByteArray("{\\rtf1 #{\\footnote A}${\\footnote Accueil}Voir {\\ul note}{\\v Pp0007}\\par}") << true
                                       << QStringLiteral("le lien « note » appelle la fenêtre surgissante « Pp0007 », qui n'existe pas.");
        QTest::newRow("same context twice") << files
                                            << QByteArray("{\\rtf1 #{\\footnote IDH_A}${\\footnote Un}x\\par\\page #{\\footnote IDH_A}${\\footnote Deux}y\\par}")
                                            << true << QStringLiteral("les rubriques « Un » et « Deux » ont la même chaîne de contexte « IDH_A »");
        QTest::newRow("same hash") << files
                                   << QByteArray("{\\rtf1 #{\\footnote M359HPEHGW}${\\footnote Un}x\\par\\page #{\\footnote Y5VQEXZQVJ}${\\footnote Deux}y\\par}")
                                   << true << QStringLiteral("ont la même valeur de hachage");
        QTest::newRow("missing picture") << files << QByteArray("{\\rtf1 #{\\footnote A}${\\footnote Un}\\{bmc absent.bmp\\}\\par}") << true
                                         << QStringLiteral("image « absent.bmp » de la rubrique « Un » introuvable");
        QTest::newRow("missing icon") << QByteArray("[OPTIONS]\nICON=absent.ico\n") + files << QByteArray("{\\rtf1 #{\\footnote A}x\\par}") << true
                                      << QStringLiteral("icône « absent.ico » introuvable");
        QTest::newRow("missing topic file") << QByteArray("[FILES]\nautre.rtf\n") << QByteArray("{\\rtf1 x}") << false
                                            << QStringLiteral("fichier de rubriques « autre.rtf » introuvable");
        QTest::newRow("no topics") << files << QByteArray("{\\rtf1 \\par\\page}") << false << QStringLiteral("aucune rubrique à compiler.");
        QTest::newRow("unreadable hpj line") << QByteArray("[MAP]\nIDH_A\n") + files << QByteArray("{\\rtf1 #{\\footnote A}x\\par}") << true
                                             << QStringLiteral("ligne 2 de P.hpj illisible");
        QTest::newRow("map to nowhere") << QByteArray("[MAP]\nIDH_B 2\n") + files << QByteArray("{\\rtf1 #{\\footnote A}x\\par}") << true
                                        << QStringLiteral("[MAP] : la chaîne de contexte « IDH_B » (numéro 2) ne correspond à aucune rubrique.");
        QTest::newRow("accented context") << files << QByteArray("{\\rtf1 #{\\footnote \\'E9t\\'E9}${\\footnote Un}x\\par}") << true
                                          << QStringLiteral("la chaîne de contexte « été » de la rubrique « Un » contient « é »");
        const QByteArray one = "{\\rtf1 #{\\footnote A}${\\footnote Un}x\\par}";
        QTest::newRow("alias to nowhere") << QByteArray("[ALIAS]\nx=IDH_Rien\n") + files << one << true
                                          << QStringLiteral("[ALIAS] : l'alias « x » (ligne 2) mène à « IDH_Rien », qu'aucune rubrique ne définit.");
        QTest::newRow("alias named like a context") << QByteArray("[ALIAS]\nA=B\n") + files
                                                    << QByteArray("{\\rtf1 #{\\footnote A}x\\par\\page #{\\footnote B}y\\par}") << true
                                                    << QStringLiteral("l'alias « A » (ligne 2) porte le nom de la chaîne de contexte ou de l'alias « A »");
        QTest::newRow("alias loop") << QByteArray("[ALIAS]\nx=y\ny=x\n") + files << one << true
                                    << QStringLiteral("l'alias « y » (ligne 3) mène à « x »");
        QTest::newRow("jump to an alias") << QByteArray("[ALIAS]\nsommaire=A\n") + files
                                          << QByteArray("{\\rtf1 #{\\footnote A}{\\uldb Haut}{\\v sommaire}\\par}") << true << QStringLiteral("P.hlp écrit : 1 rubrique(s), 0 erreur(s).");
        QTest::newRow("baggage named like a picture") << QByteArray("[BAGGAGE]\nBM3\n") + files << one << true
                                                      << QStringLiteral("[BAGGAGE] : le fichier « BM3 » porte le nom d'une image du fichier d'aide");
        QTest::newRow("missing baggage") << QByteArray("[BAGGAGE]\nabsent.dat\n") + files << one << true
                                         << QStringLiteral("[BAGGAGE] : le fichier « absent.dat » est introuvable ou illisible.");
        QTest::newRow("macro opens an undefined window")
            << files << QByteArray("{\\rtf1 #{\\footnote A}${\\footnote Un}{\\uldb a}{\\v !JI(`>nulle',`A')}\\par}") << true
            << QStringLiteral("la macro « JI(`>nulle',`A') » de la rubrique « Un » ouvre la fenêtre « nulle », qui n'est pas définie dans [WINDOWS].");
        QTest::newRow("picture of the RTF that cannot be read")
            << files << QByteArray("{\\rtf1 #{\\footnote A}${\\footnote Un}{\\pict\\pngblip 0102}\\par}") << true
            << QStringLiteral("une image de la rubrique « Un » est illisible (image PNG illisible) ; elle est omise.");
        QTest::newRow("picture file of another kind")
            << files << QByteArray("{\\rtf1 #{\\footnote A}${\\footnote Un}\\{bmc p.rtf\\}\\par}") << true
            << QStringLiteral("image « p.rtf » de la rubrique « Un » inutilisable (ni .bmp, ni .shg, ni .mrb, ni .wmf)");
    }
    void diagnostics()
    {
        QFETCH(QByteArray, hpj);
        QFETCH(QByteArray, rtf);
        QFETCH(bool, written);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const hlp::CompileResult r = hlp::HlpCompiler().compile(writeProject(dir, hpj, rtf));
        QVERIFY2(hasLine(r.diagnostics, expected), qPrintable(r.diagnostics.join('\n')));
        QCOMPARE(r.written, written);
        QCOMPARE(QFile::exists(r.hlpPath), written);
        QVERIFY(r.diagnostics.last().contains(written ? QStringLiteral("P.hlp écrit") : QStringLiteral("P.hlp n'a pas été écrit")));
        if (written) {
            hlp::HlpFile f;
            QVERIFY2(f.load(testfile::read(r.hlpPath)), qPrintable(f.problems().join('\n')));
        }
    }

    // A placeable metafile named by {bmc}: stored as a metafile, its size taken from its header.
    void metafileFileBecomesAPicture()
    {
        QTemporaryDir dir;
        hlp::ByteWriter w;
        w.u32(0x9AC6CDD7u);
        w.zeros(6);
        w.i16(720);
        w.i16(360);
        w.u16(1440);
        w.zeros(6);
        w.raw(QByteArray("\x01\x00\x09\x00\x00\x03\x0C\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00", 24));
        QVERIFY(testfile::write(dir.filePath(QStringLiteral("Dessin.WMF")), w.bytes));
        const hlp::CompileResult r = hlp::HlpCompiler().compile(
            writeProject(dir, "[FILES]\np.rtf\n", "{\\rtf1 #{\\footnote A}Voici \\{bmc dessin.wmf\\}\\par}"));
        QVERIFY2(r.written && r.diagnostics.size() == 1, qPrintable(r.diagnostics.join('\n')));
        hlp::HlpFile f;
        QVERIFY2(f.load(testfile::read(r.hlpPath)), qPrintable(f.problems().join('\n')));
        QCOMPARE(f.topics()[0].paragraphs[0].pictures, QList<int>{0});
        QCOMPARE(f.picture(0)->type, 8);
        QCOMPARE(f.picture(0)->width, 1270);
        QCOMPARE(f.picture(0)->height, 635);
    }

    void missingProjectFileIsNoSuccess()
    {
        QTemporaryDir dir;
        const hlp::CompileResult r = hlp::HlpCompiler().compile(dir.filePath(QStringLiteral("ABSENT.hpj")));
        QVERIFY(!r.written);
        QCOMPARE(r.errorCount, 1);
        QVERIFY(r.diagnostics.first().startsWith(QStringLiteral("Erreur : impossible de lire le fichier projet")));
        QVERIFY(!QFile::exists(r.hlpPath));
    }

    void failedBuildKeepsThePreviousHelpFile()
    {
        QTemporaryDir dir;
        const QString hpj = writeProject(dir, "[FILES]\np.rtf\n", "{\\rtf1 #{\\footnote A}x\\par}");
        QVERIFY(hlp::HlpCompiler().compile(hpj).written);
        const QByteArray before = testfile::read(dir.filePath(QStringLiteral("P.hlp")));
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("p.rtf"))));
        QVERIFY(!hlp::HlpCompiler().compile(hpj).written);
        QCOMPARE(testfile::read(dir.filePath(QStringLiteral("P.hlp"))), before);
    }

    void contentsOptionChoosesTheContentsTopic()
    {
        QTemporaryDir dir;
        const QString hpj = writeProject(dir, "[OPTIONS]\nCONTENTS=IDH_B\n[FILES]\np.rtf\n",
                                         "{\\rtf1 #{\\footnote IDH_A}x\\par\\page #{\\footnote IDH_B}y\\par}");
        const hlp::CompileResult r = hlp::HlpCompiler().compile(hpj);
        hlp::HlpFile f;
        QVERIFY(f.load(testfile::read(r.hlpPath)));
        QCOMPARE(f.system().contents, std::optional<std::uint32_t>(f.topics()[1].offset));
    }

    void secondaryWindowAndOtherFileLinks()
    {
        QTemporaryDir dir;
        const QString hpj = writeProject(dir, "[FILES]\np.rtf\n[WINDOWS]\nmain=\"M\"\nsec=\"S\",(10,10,300,200)\n",
                                         "{\\rtf1 #{\\footnote IDH_A}{\\uldb Ici}{\\v IDH_A>sec}, {\\uldb L\\'E0}{\\v IDH_Z@autre.hlp}, "
                                         "{\\ul Note}{\\v %IDH_A}\\par}");
        const hlp::CompileResult r = hlp::HlpCompiler().compile(hpj);
        QVERIFY2(r.written && r.errorCount == 0, qPrintable(r.diagnostics.join('\n')));
        hlp::HlpFile f;
        QVERIFY2(f.load(testfile::read(r.hlpPath)), qPrintable(f.problems().join('\n')));
        const auto& links = f.topics()[0].links;
        QCOMPARE(links.size(), size_t(3));
        QCOMPARE(links[0].command, std::uint8_t(0xEB));
        QCOMPARE(links[0].hash, hlp::contextHash("IDH_A"));
        QCOMPARE(links[0].text, QByteArray("Ici"));
        QCOMPARE(links[1].command, std::uint8_t(0xEB));
        QCOMPARE(links[1].hash, hlp::contextHash("IDH_Z"));
        QCOMPARE(links[2].command, std::uint8_t(0xE6));
        QCOMPARE(f.system().windows.size(), size_t(2));
        QCOMPARE(f.system().windows[1].type, QByteArray("secondary"));
        QCOMPARE(f.system().windows[1].height, 200);
    }

    void readerFindsDamage_data()
    {
        QTest::addColumn<int>("what");
        QTest::newRow("context entries swapped") << 0;
        QTest::newRow("topic link chain broken") << 1;
        QTest::newRow("file size wrong") << 2;
        QTest::newRow("topic length wrong") << 3;
    }
    void readerFindsDamage()
    {
        QFETCH(int, what);
        QTemporaryDir dir;
        const QString hpj = hlptest::generatedProject(3).writeWithBuild(dir.path(), QStringLiteral("G"));
        const hlp::CompileResult r = hlp::HlpCompiler().compile(hpj);
        QByteArray data = testfile::read(r.hlpPath);
        hlp::HlpFile good;
        QVERIFY(good.load(data));
        auto fileStart = [&data](const QByteArray& name) {
            const int at = static_cast<int>(data.lastIndexOf(QByteArray(name).append('\0')));
            return hlp::ByteReader(data, at + static_cast<int>(name.size()) + 1).i32() + 9;
        };
        if (what == 0) {
            // Swap the first two leaf entries of |CONTEXT.
            const int leaf = fileStart("|CONTEXT") + 38 + 8;
            const QByteArray a = data.mid(leaf, 8), b = data.mid(leaf + 8, 8);
            data.replace(leaf, 8, b);
            data.replace(leaf + 8, 8, a);
        } else if (what == 1) {
            const int link = fileStart("|TOPIC") + 12;
            hlp::putU32(data, link + 12, 0x7FFFFFF0u); // NextBlock of the first link
        } else if (what == 2) {
            data.append('\0');
        } else {
            // TopicLength of the first text record: after the 21-byte header of the topic header
            // record and its 28 + title bytes, then the next header and the cslong TopicSize.
            const int link = fileStart("|TOPIC") + 12;
            const int second = link + static_cast<int>(hlp::ByteReader(data, link).i32());
            const int ld1 = second + 21;
            const int topicLengthAt = ld1 + ((data[ld1] & 1) ? 4 : 2);
            data[topicLengthAt] = static_cast<char>(data[topicLengthAt] + 2);
        }
        hlp::HlpFile f;
        QVERIFY(!f.load(data));
        QVERIFY(!f.problems().isEmpty());
    }
};

TYX_TEST(HlpCompilerTest);
#include "HlpCompilerTest.moc"
