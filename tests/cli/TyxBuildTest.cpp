#include "RunProgram.h"
#include "publish/WorkedExample.h"
#include "publish/core/ProjectBuild.h"
#include "platform/core/TextFile.h"
#include "store/core/DocumentStore.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

using clitest::Run;

Run tyxbuild(const QStringList& args) { return clitest::runProgram(QStringLiteral(TYXBUILD_EXE), args); }

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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

    void unreadableProject_data()
    {
        QTest::addColumn<bool>("asFolder");
        QTest::newRow("missing") << false;
        QTest::newRow("a folder") << true;
    }
    void unreadableProject()
    {
        QFETCH(bool, asFolder);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString hpa = dir.filePath(u8("projet.hpa"));
        if (asFolder)
            QVERIFY(QDir(dir.path()).mkdir(u8("projet.hpa")));
        const Run r = tyxbuild({hpa});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(u8("« ") + hpa + u8(" »")), qPrintable(r.err));
        QVERIFY(!QFile::exists(dir.filePath(u8("projet.hpj"))));
        QVERIFY(!QFile::exists(dir.filePath(u8("projet.rtf"))));
    }

    void workedExample()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString hpa = dir.filePath(u8("demo.hpa"));
        QVERIFY(writeProject(hpa, workedexample::projectLines()));
        const QByteArray before = bytesOf(hpa);

        const Run r = tyxbuild({hpa});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(bytesOf(dir.filePath(u8("demo.rtf"))), workedexample::expectedRtf());
        QCOMPARE(bytesOf(dir.filePath(u8("demo.hpj"))),
            QByteArray("[OPTIONS]\r\nTITLE=Aide de demo.hpa\r\n[FILES]\r\ndemo.rtf\r\n[CONFIG]\r\n\r\n[WINDOWS]\r\n"
                       "main=\"demo.hpa\",(100,5,800,800),0,(255,255,255),(255,255,255)\r\n"
                       "[MAP]\r\nIDH_Accueil\t1\r\nIDH_Dmarrage\t2\r\n"));
        QVERIFY(QFileInfo(dir.filePath(u8("demo.hlp"))).size() > 0);
        QCOMPARE(bytesOf(hpa), before);
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
        QVERIFY(bytesOf(dir.filePath(u8("demo-html/index.html"))).contains("<title>Accueil \xE2\x80\x93 Aide de demo.hpa</title>"));
        QVERIFY(bytesOf(dir.filePath(u8("demo-html/sommaire.js"))).contains("[\"Accueil\",\"index\",0]"));
        QVERIFY2(r.err.contains(u8("demo-html écrit")), qPrintable(r.err));
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
        const QByteArray before = bytesOf(cliHpa);

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
        for (const char* ext : {"hpj", "rtf"}) {
            const QByteArray cli = bytesOf(dir.filePath(u8("cli/Projet.") + u8(ext)));
            QVERIFY(!cli.isEmpty());
            QCOMPARE(cli, bytesOf(dir.filePath(u8("gui/Projet.") + u8(ext))));
        }
        QVERIFY(!QFile::exists(dir.filePath(u8("cli/Projet.hlp"))));
        QCOMPARE(bytesOf(cliHpa), before);
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
        QCOMPARE(bytesOf(dir.filePath(base + u8(".rtf"))), workedexample::expectedRtf());
        QVERIFY(QFile::exists(dir.filePath(base + u8(".hpj"))));
    }

    // The compiler cannot find the topic file its project names: a failure, with its reasons.
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

    void compileFailure()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString hpa = dir.filePath(u8("autre.hpa")); // the project block names demo.rtf
        QVERIFY(writeProject(hpa, workedexample::projectLines()));
        const Run r = tyxbuild({hpa});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(u8("Erreur : ")), qPrintable(r.err));
        QVERIFY2(r.err.contains(dir.filePath(u8("autre.hlp"))), qPrintable(r.err));
        QVERIFY(!QFile::exists(dir.filePath(u8("autre.hlp"))));
        QCOMPARE(bytesOf(dir.filePath(u8("autre.rtf"))), workedexample::expectedRtf());
    }

    void writeFailures_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("blocked"); // output name taken by a folder, or empty
        QTest::addColumn<QString>("named");   // the file the message must name
        QTest::addColumn<QString>("written"); // the file still written
        QStringList noProjectBlock = workedexample::projectLines();
        noProjectBlock.remove(10, 10);
        QTest::newRow("rtf blocked") << workedexample::projectLines() << u8("p.rtf") << u8("p.rtf") << u8("p.hpj");
        QTest::newRow("hpj blocked") << workedexample::projectLines() << u8("p.hpj") << u8("p.hpj") << u8("p.rtf");
        QTest::newRow("no project block") << noProjectBlock << QString() << u8("p.hpj") << u8("p.rtf");
    }
    void writeFailures()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, blocked);
        QFETCH(QString, named);
        QFETCH(QString, written);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString hpa = dir.filePath(u8("p.hpa"));
        QVERIFY(writeProject(hpa, lines));
        if (!blocked.isEmpty())
            QVERIFY(QDir(dir.path()).mkdir(blocked));
        const Run r = tyxbuild({hpa});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(u8("impossible d'écrire « ") + dir.filePath(named) + u8(" »")), qPrintable(r.err));
        QVERIFY(QFileInfo(dir.filePath(written)).isFile());
        QVERIFY(!QFile::exists(dir.filePath(u8("p.hlp"))));
    }
};

TYX_TEST(TyxBuildTest);
#include "TyxBuildTest.moc"
