#include "RunProgram.h"
#include "publish/WorkedExample.h"
#include "publish/core/ProjectBuild.h"
#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "store/core/DocumentStore.h"
#include "winhelp/reader/HlpFileReader.h"
#include "support/FaultPoints.h"
#include "support/FileBytes.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

using clitest::Run;

Run tyxbuild(const QStringList& args) { return clitest::runProgram(QStringLiteral(TYXBUILD_EXE), args); }

bool writeProject(const QString& path, const QStringList& lines)
{
    return textfile::writeLines(path, lines);
}

QString u8(const char* s) { return QString::fromUtf8(s); }

// The worked example with its topic tags unpaired: topic 1 lost its close tag.
QStringList unpaired()
{
    QStringList lines = workedexample::projectLines();
    lines.removeAll(u8("</BLOC0001>"));
    return lines;
}

// Another look in the header block: title 14 points red, body 12 points.
QStringList otherFonts()
{
    QStringList lines = workedexample::projectLines();
    lines[2] = u8("14");
    lines[3] = u8("255");
    lines[6] = u8("12");
    return lines;
}

} // namespace

class TyxBuildTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("no argument") << QStringList{} << 2 << QString() << u8("aucun projet");
        QTest::newRow("unknown option") << QStringList{u8("--vite")} << 2 << QString() << u8("« --vite »");
        QTest::newRow("two projects") << QStringList{u8("a.hpa"), u8("b.hpa")} << 2 << QString() << u8("un seul projet");
        QTest::newRow("help") << QStringList{u8("--help")} << 0 << u8("Usage : tyxbuild") << QString();
        QTest::newRow("version") << QStringList{u8("--version")} << 0 << u8("tyxbuild 2.0\n") << QString();
        QTest::newRow("html without a build") << QStringList{u8("--html"), u8("--sans-hlp"), u8("a.hpa")} << 2 << QString()
                                              << u8("ne vont pas ensemble");
        QTest::newRow("chm without a build") << QStringList{u8("--chm"), u8("--sans-hlp"), u8("a.hpa")} << 2 << QString()
                                             << u8("--chm et --sans-hlp ne vont pas ensemble");
        QTest::newRow("chm and html") << QStringList{u8("--chm"), u8("--html"), u8("a.hpa")} << 2 << QString()
                                      << u8("--html et --chm ne vont pas ensemble");
    }
    void usage()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run r = tyxbuild(args);
        QCOMPARE(r.code, code);
        QVERIFY2(r.out.contains(out), qPrintable(r.out));
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        if (code != 0)
            QVERIFY(r.out.isEmpty());
    }

    // What is not a readable project: refused at once (a FIFO or a device never blocks), with a
    // French reason, and nothing is written beside it.
    void unreadableProject_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        QTest::newRow("missing") << "missing" << u8("le fichier n'existe pas");
        QTest::newRow("a folder") << "folder" << u8("c'est un dossier");
        QTest::newRow("a fifo") << "fifo" << u8("ce n'est pas un fichier ordinaire");
        QTest::newRow("a device") << "device" << u8("ce n'est pas un fichier ordinaire");
        QTest::newRow("a picture") << "picture" << u8("n'est pas un projet d'aide");
        QTest::newRow("topics without project block") << "text" << u8("n'est pas un projet d'aide");
    }
    void unreadableProject()
    {
        QFETCH(QString, kind);
        QFETCH(QString, says);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString hpa = dir.filePath(u8("projet.hpa"));
        if (kind == "folder")
            QVERIFY(QDir(dir.path()).mkdir(u8("projet.hpa")));
        else if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(hpa).constData(), 0600), 0);
        else if (kind == "device")
            QVERIFY(QFile::link(u8("/dev/zero"), hpa));
        else if (kind == "picture")
            QVERIFY(textfile::writeBytes(hpa, QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(3, '\0') + "\rIHDR<BLOC0000>\n"));
        else if (kind == "text")
            QVERIFY(writeProject(hpa, {u8("<BLOC0000>"), u8("1\\"), u8("Titre\x01"), u8("</BLOC0000>"), u8("<BLOC0001>")}));
        const auto before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const Run r = tyxbuild({hpa});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(u8("« ") + hpa + u8(" »")), qPrintable(r.err));
        QVERIFY2(r.err.contains(says), qPrintable(r.err));
        QVERIFY2(!r.err.contains(u8("» écrit")), qPrintable(r.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    }

    void workedExample()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString hpa = dir.filePath(u8("demo.hpa"));
        QVERIFY(writeProject(hpa, workedexample::projectLines()));
        const QByteArray before = testfile::read(hpa);

        const Run r = tyxbuild({hpa});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(testfile::read(dir.filePath(u8("demo.rtf"))), workedexample::expectedRtf());
        QCOMPARE(testfile::read(dir.filePath(u8("demo.hpj"))),
            QByteArray("[OPTIONS]\r\nTITLE=Aide de demo.hpa\r\n[FILES]\r\ndemo.rtf\r\n[CONFIG]\r\n\r\n[WINDOWS]\r\n"
                       "main=\"demo.hpa\",(100,5,800,800),0,(255,255,255),(255,255,255)\r\n"
                       "[MAP]\r\nIDH_Accueil\t1\r\nIDH_Dmarrage\t2\r\n"));
        QVERIFY(QFileInfo(dir.filePath(u8("demo.hlp"))).size() > 0);
        QCOMPARE(testfile::read(hpa), before);
    }

    void htmlHelpBesideTheProject()
    {
        QTemporaryDir dir;
        const QString hpa = dir.filePath(u8("demo.hpa"));
        QStringList lines = workedexample::projectLines();
        QVERIFY(writeProject(hpa, lines));
        const Run r = tyxbuild({u8("--html"), hpa});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFile::exists(dir.filePath(u8("demo.hpj"))));
        QVERIFY(!QFile::exists(dir.filePath(u8("demo.hlp"))));
        QVERIFY(testfile::read(dir.filePath(u8("demo-html/index.html"))).contains("<title>Accueil \xE2\x80\x93 Aide de demo.hpa</title>"));
        QVERIFY(testfile::read(dir.filePath(u8("demo-html/sommaire.js"))).contains("[\"Accueil\",\"index\",0]"));
        QVERIFY2(r.err.contains(u8("demo-html écrit")), qPrintable(r.err));
    }

    void chmHelpBesideTheProject()
    {
        QTemporaryDir dir;
        const QString hpa = dir.filePath(u8("demo.hpa"));
        QVERIFY(writeProject(hpa, workedexample::projectLines()));
        const Run r = tyxbuild({u8("--chm"), hpa});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFile::exists(dir.filePath(u8("demo.hpj"))));
        QVERIFY(!QFile::exists(dir.filePath(u8("demo.hlp"))));
        QVERIFY(testfile::read(dir.filePath(u8("demo.chm"))).startsWith("ITSF"));
        QVERIFY2(r.err.contains(u8("demo.chm écrit")), qPrintable(r.err));
    }

    // The same bytes as the Build command: the document opened as Open does (tags checked and
    // repaired in memory, fonts from the header block), then the .hpj and the .rtf.
    void sameAsBuildCommand_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("repaired");
        QTest::newRow("worked example") << workedexample::projectLines() << false;
        QTest::newRow("other fonts") << otherFonts() << false;
        QTest::newRow("unpaired tags") << unpaired() << true;
    }
    void sameAsBuildCommand()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, repaired);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(u8("cli")) && QDir(dir.path()).mkdir(u8("gui")));
        const QString cliHpa = dir.filePath(u8("cli/Projet.hpa")), guiHpa = dir.filePath(u8("gui/Projet.hpa"));
        QVERIFY(writeProject(cliHpa, lines) && writeProject(guiHpa, lines));
        const QByteArray before = testfile::read(cliHpa);

        store::DocumentStore doc;
        bool missing = true;
        QVERIFY(doc.load(guiHpa, &missing, nullptr) && !missing);
        doc.countBlocks();
        store::FieldLook title, body;
        QCOMPARE(doc.tagBalance() != 0, repaired);
        if (repaired)
            doc.repair(title, body);
        store::litHeader(doc.DocumentLines, title, body);
        QVERIFY(publish::writeBuildFiles(doc.DocumentLines, doc.PageCount, doc.PopupCount, title, body, guiHpa).ok());

        const Run r = tyxbuild({u8("--sans-hlp"), cliHpa});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.err.contains(u8("réparé")), repaired);
        for (const char* ext : {"hpj", "rtf", "cnt"}) {
            const QByteArray cli = testfile::read(dir.filePath(u8("cli/Projet.") + u8(ext)));
            QVERIFY(!cli.isEmpty());
            QCOMPARE(cli, testfile::read(dir.filePath(u8("gui/Projet.") + u8(ext))));
        }
        QVERIFY(!QFile::exists(dir.filePath(u8("cli/Projet.hlp"))));
        QCOMPARE(testfile::read(cliHpa), before);
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("stored");   // the project file on disk
        QTest::addColumn<QString>("argument"); // what the user types
        QTest::addColumn<QString>("base");     // the base of the written names
        QTest::newRow("no extension") << u8("demo.hpa") << u8("demo") << u8("demo");
        QTest::newRow("upper-case extension") << u8("DEMO.HPA") << u8("DEMO.HPA") << u8("DEMO");
        QTest::newRow("other extension") << u8("notes.hpa") << u8("notes.txt") << u8("notes");
        QTest::newRow("dots in the folder") << u8("v1.2/aide.hpa") << u8("v1.2/aide") << u8("v1.2/aide");
    }
    void fileNames()
    {
        QFETCH(QString, stored);
        QFETCH(QString, argument);
        QFETCH(QString, base);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QDir(dir.path()).mkpath(u8("v1.2"));
        QVERIFY(writeProject(dir.filePath(stored), workedexample::projectLines()));
        const Run r = tyxbuild({u8("--sans-hlp"), dir.filePath(argument)});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(testfile::read(dir.filePath(base + u8(".rtf"))), workedexample::expectedRtf());
        QVERIFY(QFile::exists(dir.filePath(base + u8(".hpj"))));
    }

    // Names and titles at the edges of what files and the format take still build whole: a ';'
    // in the name (a comment in the .hpj), a name of 255 bytes (the longest a folder takes), a
    // title of 1 MB (its context string is cut as the format wants, the same everywhere).
    void namesAndTitlesAtTheLimits_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<int>("titleLength"); // 0: the worked example's titles
        QTest::newRow("semicolon") << u8("a;b") << 0;
        QTest::newRow("name of 255 bytes") << QString(251, u'n') << 0;
        QTest::newRow("accented name of 255 bytes") << QString(125, u'\u00e9') + u8("x") << 0;
        QTest::newRow("title of 1 MB") << u8("demo") << (1 << 20);
    }
    void namesAndTitlesAtTheLimits()
    {
        QFETCH(QString, base);
        QFETCH(int, titleLength);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QStringList lines = workedexample::projectLines();
        if (titleLength) {
            // Topic 0 gets the long title, and topic 1 its "Voir aussi" link to it.
            const QString title(titleLength, u'A');
            lines[lines.indexOf(u8("Accueil") + QChar(1))] = title + QChar(1);
            lines[lines.indexOf(u8("1\\Accueil"))] = u8("1\\") + title;
        }
        const QString hpa = dir.filePath(base + u8(".hpa"));
        QVERIFY(testfile::write(hpa, textfile::joinLines(lines)));
        const Run r = tyxbuild({hpa});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFileInfo(dir.filePath(base + u8(".hlp"))).size() > 0);
        QVERIFY2(!r.err.contains(u8("[MAP]")) && !r.err.contains(u8("mène à")) && !r.err.contains(u8("introuvable")), qPrintable(r.err));
        const QByteArray hpj = testfile::read(dir.filePath(base + u8(".hpj")));
        const QList<QByteArray> map = hpj.mid(hpj.indexOf("[MAP]\r\n") + 7).split('\n');
        QCOMPARE(map.size(), 3);
        for (const QByteArray& line : map.mid(0, 2))
            QVERIFY2(line.indexOf('\t') > 0 && line.indexOf('\t') <= 255, line.left(300).constData());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(u8(".tyx")), QStringList());
    }

    // A project whose block was made for another name (demo.rtf) still compiles the topics it
    // holds: the .hpj the build writes names the topic file the build writes.
    void blockOfAnotherNameCompilesThisProject()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString hpa = dir.filePath(u8("autre.hpa"));
        QVERIFY(writeProject(hpa, workedexample::projectLines()));
        const Run r = tyxbuild({hpa});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFile::exists(dir.filePath(u8("autre.hlp"))));
        const QByteArray hpj = testfile::read(dir.filePath(u8("autre.hpj")));
        QVERIFY2(hpj.contains("[FILES]\r\nautre.rtf\r\n"), hpj.constData());
        QVERIFY2(hpj.contains("TITLE=Aide de autre.hpa\r\n"), hpj.constData());
        QCOMPARE(testfile::read(dir.filePath(u8("autre.rtf"))), workedexample::expectedRtf());
    }

    // Unbalanced braces in a popup are a warning, and the build still succeeds.
    void unbalancedBracesAreWarned()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString hpa = dir.filePath(u8("demo.hpa"));
        QStringList lines = workedexample::projectLines();
        lines[lines.indexOf(u8("Texte de la note.") + QChar(0xB6))] = u8("Texte { de la note.");
        QVERIFY(writeProject(hpa, lines));
        const Run r = tyxbuild({u8("--sans-hlp"), hpa});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(u8("avertissement : PopUp « Note » : accolades non équilibrées")), qPrintable(r.err));
        QVERIFY(!r.err.contains(u8("Rubrique « ")));
    }

    // The compiler cannot write the help file: a failure, with its reasons.
    void compileFailure()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString hpa = dir.filePath(u8("demo.hpa"));
        QVERIFY(writeProject(hpa, workedexample::projectLines()));
        QVERIFY(QDir(dir.path()).mkdir(u8("demo.hlp"))); // a folder where the help file goes
        const Run r = tyxbuild({hpa});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(u8("Erreur : ")), qPrintable(r.err));
        QVERIFY2(r.err.contains(dir.filePath(u8("demo.hlp"))), qPrintable(r.err));
        QVERIFY(!QFileInfo(dir.filePath(u8("demo.hlp"))).isFile());
        // The three files are one set: without the .hlp, the .hpj and .rtf are not left either.
        QVERIFY2(r.err.contains(u8("sont remis tels qu'ils étaient")), qPrintable(r.err));
        QVERIFY(!QFile::exists(dir.filePath(u8("demo.rtf"))));
        QVERIFY(!QFile::exists(dir.filePath(u8("demo.hpj"))));
        QVERIFY(!QFile::exists(dir.filePath(u8("demo.cnt"))));
    }

    // The files that once lost or garbled text build whole: the compiler's own reader finds every
    // topic in a consistent .hlp.
    void caseFilesBuildWhole_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name"); // as its project block names the topic file
        QTest::addColumn<int>("topics");   // topics and popups
        QTest::newRow("close tag with a trailing space") << u8("close-tag-trailing-space.hpa") << u8("DEMO") << 6;
        QTest::newRow("body line ends in a backslash") << u8("body-line-ends-in-backslash.hpa") << u8("DEMO") << 6;
        QTest::newRow("title of 1,001 characters") << u8("title-1001-characters.hpa") << u8("DEMO") << 6;
        QTest::newRow("block without title line") << u8("block-without-title-line.hpa") << u8("t") << 1;
        QTest::newRow("topic tag inside a popup") << u8("popup-holds-topic-tag.hpa") << u8("t") << 3;
    }
    void caseFilesBuildWhole()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QFETCH(int, topics);
        QTemporaryDir dir;
        const QString hpa = dir.filePath(name + u8(".hpa"));
        QVERIFY(QFile::copy(u8(TYX_TEST_DATA "/cases/") + file, hpa));
        const Run r = tyxbuild({hpa});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        hlp::HlpFile f;
        QVERIFY2(f.load(testfile::read(dir.filePath(name + u8(".hlp")))), qPrintable(f.problems().join(u8("\n"))));
        QCOMPARE(int(f.topics().size()), topics);
    }

    // A gap in the topic numbers (a file edited by hand) hid every later topic from the help: the
    // build closes it in memory, says so, and leaves the project file as it is.
    void gapInTopicNumbersBuildsEveryTopic()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString whole = dir.filePath(u8("entier.hpa"));
        const QString gapped = dir.filePath(u8("trou.hpa"));
        QStringList lines = workedexample::projectLines();
        QVERIFY(writeProject(whole, lines));
        QVERIFY(lines.contains(u8("<BLOC0001>")) && lines.contains(u8("</BLOC0001>")));
        lines.replace(lines.indexOf(u8("<BLOC0001>")), u8("<BLOC0009>"));
        lines.replace(lines.indexOf(u8("</BLOC0001>")), u8("</BLOC0009>"));
        QVERIFY(writeProject(gapped, lines));
        const QByteArray before = testfile::read(gapped);
        QCOMPARE(tyxbuild({whole}).code, 0);
        const Run r = tyxbuild({gapped});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(u8("leurs numéros ne se suivent pas")), qPrintable(r.err));
        hlp::HlpFile a, b;
        QVERIFY(a.load(testfile::read(dir.filePath(u8("entier.hlp")))));
        QVERIFY(b.load(testfile::read(dir.filePath(u8("trou.hlp")))));
        QCOMPARE(b.topics().size(), a.topics().size());
        QCOMPARE(testfile::read(gapped), before);
    }

    // An output name taken by a folder (or, for the help site, a folder of other files): none of
    // the build's files changes, and nothing says "écrit".
    void writeFailures_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("reason");
        QTest::newRow("rtf blocked") << u8("p.rtf") << QString() << u8("c'est un dossier");
        QTest::newRow("hpj blocked") << u8("p.hpj") << QString() << u8("c'est un dossier");
        QTest::newRow("hlp blocked") << u8("p.hlp") << QString() << u8("c'est un dossier");
        QTest::newRow("cnt blocked") << u8("p.cnt") << QString() << u8("c'est un dossier");
        QTest::newRow("help site blocked") << u8("p-html") << u8("--html") << u8("n'est pas vide");
        QTest::newRow("chm blocked") << u8("p.chm") << u8("--chm") << u8("c'est un dossier");
    }
    void writeFailures()
    {
        QFETCH(QString, blocked);
        QFETCH(QString, option);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString hpa = dir.filePath(u8("p.hpa"));
        QStringList lines = workedexample::projectLines();
        lines.replaceInStrings(u8("demo.rtf"), u8("p.rtf"));
        QVERIFY(writeProject(hpa, lines));
        for (const char* name : {"p.hpj", "p.rtf", "p.hlp", "p.cnt"})
            QVERIFY(u8(name) == blocked ? QDir(dir.path()).mkdir(blocked) : textfile::writeBytes(dir.filePath(u8(name)), name));
        if (!option.isEmpty())
            QVERIFY(QDir(dir.path()).mkdir(blocked) && textfile::writeBytes(dir.filePath(blocked + u8("/notes.txt")), "à garder"));
        const auto before = faults::folderBytes(dir.path());
        const Run r = tyxbuild(option.isEmpty() ? QStringList{hpa} : QStringList{option, hpa});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(u8("« ") + dir.filePath(blocked) + u8(" »")), qPrintable(r.err));
        QVERIFY2(r.err.contains(reason), qPrintable(r.err));
        QVERIFY2(!r.err.contains(u8("» écrit")) && !r.err.contains(u8("hlp écrit")), qPrintable(r.err));
        QCOMPARE(faults::folderBytes(dir.path()), before);
    }

    // A pasted path and two lines joined without a space: warned by topic, and the help still built.
    void textTheHelpWouldLoseIsWarned()
    {
        QTemporaryDir dir;
        const QString hpa = dir.filePath(u8("demo.hpa"));
        QStringList lines = workedexample::projectLines();
        lines[lines.indexOf(u8("Bienvenue dans l'aide.") + QChar(0xB6))] = u8("Voir C:\\Calculo\\calculo.ini");
        lines.insert(lines.indexOf(u8("</BLOC0000>")), u8("Ligne B"));
        QVERIFY(writeProject(hpa, lines));
        const Run r = tyxbuild({hpa});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(u8("avertissement : Rubrique « Accueil » : le compilateur ne connaît pas les mots de contrôle "
                                   "\\Calculo, \\calculo")),
            qPrintable(r.err));
        QVERIFY2(r.err.contains(u8("avertissement : Rubrique « Accueil » : les lignes « … C:\\Calculo\\calculo.ini » et "
                                   "« Ligne B » se suivent sans ¶")),
            qPrintable(r.err));
    }

    // The hierarchy's levels become the contents file beside the help file.
    void contentsFileFromLevels()
    {
        QTemporaryDir dir;
        const QString hpa = dir.filePath(u8("demo.hpa"));
        const QChar end(1);
        QStringList lines{u8("<HPJ>"), u8("[OPTIONS]"), u8("TITLE=Aide de démo"), u8("</HPJ>")};
        const QStringList titles{u8("Accueil"), u8("Démarrage"), u8("a = b"), u8("Fin")};
        const QList<int> levels{1, 1, 2, 1};
        for (int n = 0; n < titles.size(); ++n)
            lines << store::topicOpenTag(n) << QString::number(levels[n]) + u8("\\") << titles[n] + end << u8("x")
                  << store::topicCloseTag(n);
        QVERIFY(writeProject(hpa, lines));
        const Run r = tyxbuild({u8("--sans-hlp"), hpa});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(testfile::read(dir.filePath(u8("demo.cnt"))),
            QByteArray(":Base demo.hlp\r\n:Title Aide de d\xE9mo\r\n1 Accueil=IDH_Accueil\r\n1 D\xE9marrage\r\n"
                       "2 D\xE9marrage=IDH_Dmarrage\r\n2 a \\= b=IDH_ab\r\n1 Fin=IDH_Fin\r\n"));
    }

    // A see-also to a topic that does not exist is an error of the compile: the help is written,
    // and only --strict turns it into a failure.
    void strictFailsOnErrors_data()
    {
        QTest::addColumn<bool>("hlpc");
        QTest::addColumn<bool>("strict");
        QTest::newRow("tyxbuild") << false << false;
        QTest::newRow("tyxbuild --strict") << false << true;
        QTest::newRow("tyxhlpc") << true << false;
        QTest::newRow("tyxhlpc --strict") << true << true;
    }
    void strictFailsOnErrors()
    {
        QFETCH(bool, hlpc);
        QFETCH(bool, strict);
        QTemporaryDir dir;
        const QString hpa = dir.filePath(u8("demo.hpa"));
        QStringList lines = workedexample::projectLines();
        lines[lines.indexOf(u8("1\\Accueil"))] = u8("1\\Inexistant");
        QVERIFY(writeProject(hpa, lines));
        if (hlpc)
            QCOMPARE(tyxbuild({u8("--sans-hlp"), hpa}).code, 0);
        const QString target = hlpc ? dir.filePath(u8("demo.hpj")) : hpa;
        const QStringList args = strict ? QStringList{u8("--strict"), target} : QStringList{target};
        const Run r = hlpc ? clitest::runProgram(QStringLiteral(TYXHLPC_EXE), args) : tyxbuild(args);
        QCOMPARE(r.code, strict ? 1 : 0);
        QVERIFY2(r.err.contains(u8("IDH_Inexistant")), qPrintable(r.err));
        QVERIFY(QFileInfo(dir.filePath(u8("demo.hlp"))).size() > 0);
    }

    // Every option the programs take is in their --help and their manual page.
    void everyOptionIsDocumented_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        for (const char* o : {"--help", "--version", "--sans-hlp", "--html", "--chm", "--strict", "--"})
            QTest::addRow("tyxbuild %s", o) << u8("tyxbuild") << u8(o);
        for (const char* o : {"--help", "--version", "--html", "--chm", "--hpa", "--info", "--strict", "--"})
            QTest::addRow("tyxhlpc %s", o) << u8("tyxhlpc") << u8(o);
    }
    void everyOptionIsDocumented()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        const Run r = clitest::runProgram(program == u8("tyxbuild") ? QStringLiteral(TYXBUILD_EXE) : QStringLiteral(TYXHLPC_EXE),
            {u8("--help")});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(u8("  ") + option + u8(" ")), qPrintable(r.out));
        QString page = QString::fromUtf8(testfile::read(QStringLiteral(TYX_SOURCE_DIR "/data/man/") + program + u8(".1")));
        page.replace(u8("\\-"), u8("-"));
        QVERIFY2(page.contains(QRegularExpression(u8("^\\.(B|BR|BI|RB) ") + QRegularExpression::escape(option) + u8("( |\"|,|$)"),
                     QRegularExpression::MultilineOption)),
            qPrintable(option));
    }
};

TYX_TEST(TyxBuildTest);
#include "TyxBuildTest.moc"
