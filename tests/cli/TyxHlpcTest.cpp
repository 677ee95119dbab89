// tyxhlpc, the compiler's own program: arguments, exit codes and the .hlp it writes.
#include "RunProgram.h"
#include "support/TestRegistry.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

clitest::Run tyxhlpc(const QStringList& args) { return clitest::runProgram(QStringLiteral(TYXHLPC_EXE), args); }

QString u8(const char* s) { return QString::fromUtf8(s); }

const QByteArray kRtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\n"
                        "#{\\footnote IDH_A}${\\footnote Accueil}\\f0 Bienvenue.\\par\n"
                        "\\page\n}\n";

} // namespace

class TyxHlpcTest : public QObject {
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
        QTest::newRow("two projects") << QStringList{u8("a.hpj"), u8("b.hpj")} << 2 << QString() << u8("un seul projet");
        QTest::newRow("empty name") << QStringList{QString()} << 2 << QString() << u8("vide");
        QTest::newRow("help") << QStringList{u8("--help")} << 0 << u8("Usage : tyxhlpc") << QString();
        QTest::newRow("version") << QStringList{u8("--version")} << 0 << u8("tyxhlpc 2.0\n") << QString();
        QTest::newRow("missing project") << QStringList{u8("/nulle/part/P.hpj")} << 1 << QString() << u8("n'existe pas");
        QTest::newRow("html without folder") << QStringList{u8("--html")} << 2 << QString() << u8("--html demande le dossier");
        QTest::newRow("html twice") << QStringList{u8("--html=a"), u8("--html"), u8("b"), u8("P.hpj")} << 2 << QString()
                                    << u8("deux fois");
        QTest::newRow("html empty folder name") << QStringList{u8("--html="), u8("P.hpj")} << 2 << QString() << u8("vide");
        QTest::newRow("chm without file") << QStringList{u8("--chm")} << 2 << QString() << u8("--chm demande le fichier");
        QTest::newRow("chm and html") << QStringList{u8("--chm=a.chm"), u8("--html"), u8("b"), u8("P.hpj")} << 2 << QString()
                                      << u8("ne vont pas ensemble");
    }
    void usage()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const clitest::Run r = tyxhlpc(args);
        QCOMPARE(r.code, code);
        QVERIFY2(r.out.contains(out), qPrintable(r.out));
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        if (code != 0)
            QVERIFY(r.out.isEmpty());
    }

    void compilesAProject_data()
    {
        QTest::addColumn<QByteArray>("hpj");
        QTest::addColumn<QByteArray>("rtf"); // empty: no topic file
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err");
        QTest::newRow("whole") << QByteArray("[OPTIONS]\r\nTITLE=Essai\r\n[FILES]\r\np.rtf\r\n") << kRtf << 0 << u8("1 rubrique");
        QTest::newRow("topic file missing") << QByteArray("[FILES]\r\np.rtf\r\n") << QByteArray() << 1 << u8("p.rtf");
        QByteArray noise;
        for (int i = 0; i < 4096; ++i)
            noise += char((i * 7919 + 13) % 256);
        QTest::newRow("topic file that is not RTF") << QByteArray("[FILES]\r\np.rtf\r\n") << noise << 1
                                                    << u8("Erreur : le fichier de rubriques « p.rtf » n'est pas un fichier RTF "
                                                          "(il ne commence pas par {\\rtf) ; il est refusé.");
    }
    void compilesAProject()
    {
        QFETCH(QByteArray, hpj);
        QFETCH(QByteArray, rtf);
        QFETCH(int, code);
        QFETCH(QString, err);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(testfile::write(dir.filePath(u8("P.hpj")), hpj));
        if (!rtf.isEmpty())
            QVERIFY(testfile::write(dir.filePath(u8("p.rtf")), rtf));
        const clitest::Run r = tyxhlpc({dir.filePath(u8("P.hpj"))});
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        const QFileInfo hlp(dir.filePath(u8("P.hlp")));
        QCOMPARE(hlp.exists(), code == 0);
        if (code == 0) {
            QFile f(hlp.filePath());
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.read(4), QByteArray("\x3F\x5F\x03\x00", 4)); // the .hlp magic number
        }
    }

    // A FIFO or a device as the project: refused at once, nothing written.
    void notARegularFile_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("fifo") << true;
        QTest::newRow("device") << false;
    }
    void notARegularFile()
    {
        QFETCH(bool, fifo);
        QTemporaryDir dir;
        const QString hpj = dir.filePath(u8("p.hpj"));
        QVERIFY(fifo ? mkfifo(QFile::encodeName(hpj).constData(), 0600) == 0 : QFile::link(u8("/dev/zero"), hpj));
        const clitest::Run r = tyxhlpc({hpj});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(u8("ce n'est pas un fichier ordinaire")), qPrintable(r.err));
        QVERIFY(!QFile::exists(dir.filePath(u8("p.hlp"))));
    }

    // From a project, or from a help file read back (a file that is no help file is refused).
    void writesACompiledHelp_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");
        QTest::newRow("project") << u8("P.hpj") << 0 << u8("aide.chm écrit : 1 rubrique(s), 0 erreur(s).");
        QTest::newRow("help file") << u8("P.hlp") << 0 << u8("aide.chm écrit : 1 rubrique(s), 0 erreur(s).");
        QTest::newRow("not a help file") << u8("p.rtf.hlp") << 1 << u8("impossible de lire");
    }
    void writesACompiledHelp()
    {
        QFETCH(QString, input);
        QFETCH(int, code);
        QFETCH(QString, said);
        QTemporaryDir dir;
        QVERIFY(testfile::write(dir.filePath(u8("P.hpj")), "[OPTIONS]\r\nTITLE=Essai\r\n[FILES]\r\np.rtf\r\n"));
        QVERIFY(testfile::write(dir.filePath(u8("p.rtf")), kRtf));
        QVERIFY(testfile::write(dir.filePath(u8("p.rtf.hlp")), kRtf));
        if (input.endsWith(u8("P.hlp")))
            QCOMPARE(tyxhlpc({dir.filePath(u8("P.hpj"))}).code, 0);
        const QString chm = dir.filePath(u8("aide.chm"));
        const clitest::Run r = tyxhlpc({u8("--chm"), chm, dir.filePath(input)});
        QCOMPARE(r.code, code);
        QCOMPARE(testfile::read(chm).startsWith("ITSF"), code == 0);
        QVERIFY2(r.err.contains(said), qPrintable(r.err));
    }

    void writesAHelpSite_data()
    {
        QTest::addColumn<bool>("foreignFolder");
        QTest::addColumn<int>("code");
        QTest::newRow("new folder") << false << 0;
        QTest::newRow("folder of other files") << true << 1;
    }
    void writesAHelpSite()
    {
        QFETCH(bool, foreignFolder);
        QFETCH(int, code);
        QTemporaryDir dir;
        QVERIFY(testfile::write(dir.filePath(u8("P.hpj")), "[OPTIONS]\r\nTITLE=Essai\r\n[FILES]\r\np.rtf\r\n"));
        QVERIFY(testfile::write(dir.filePath(u8("p.rtf")), kRtf));
        const QString site = dir.filePath(u8("sortie/aide"));
        if (foreignFolder) {
            QVERIFY(QDir().mkpath(site));
            QVERIFY(testfile::write(site + u8("/lettre.txt"), "x"));
        }
        const clitest::Run r = tyxhlpc({u8("--html"), site, dir.filePath(u8("P.hpj"))});
        QCOMPARE(r.code, code);
        QCOMPARE(QFile::exists(site + u8("/index.html")), code == 0);
        QVERIFY(!QFile::exists(dir.filePath(u8("P.hlp")))); // the site instead of the .hlp
        if (code == 0)
            QVERIFY2(r.err.contains(u8("aide écrit : 1 rubrique(s), 0 erreur(s).")), qPrintable(r.err));
        else
            QVERIFY2(r.err.contains(u8("n'est pas vide")) && r.err.contains(u8("l'aide HTML « ")), qPrintable(r.err));
    }

    // The metafiles of a real project become pictures of the site, their text drawn: the
    // equation "y = ke^mx" is text only. Qt says nothing of its own on the way.
    void drawsMetafilesWithTheirText()
    {
        QTemporaryDir dir;
        QVERIFY(testfile::write(dir.filePath(u8("P.hpj")), "[FILES]\r\ncalc.rtf\r\n"));
        QVERIFY(QFile::copy(QStringLiteral(TYX_TEST_DATA "/metafiles/calc.rtf"), dir.filePath(u8("calc.rtf"))));
        const clitest::Run r = tyxhlpc({u8("--html"), dir.filePath(u8("site")), dir.filePath(u8("P.hpj"))});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err.trimmed(), u8("site écrit : 1 rubrique(s), 0 erreur(s)."));
        const QImage equation(dir.filePath(u8("site/images/image-15.png")));
        QCOMPARE(equation.size(), QSize(56, 21));
        int ink = 0;
        for (int y = 0; y < equation.height(); ++y)
            for (int x = 0; x < equation.width(); ++x)
                ink += qAlpha(equation.pixel(x, y)) > 128;
        QVERIFY2(ink > 50, qPrintable(QString::number(ink)));
    }

    // --info: what a help file of any compiler is, one "clé : valeur" line each.
    void describesAHelpFile_data()
    {
        QTest::addColumn<QString>("file"); // in the samples; "compiled": a project compiled here
        QTest::addColumn<int>("cut");      // bytes left of it, 0: all
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("4.0, LZ77 and Hall phrases")
            << u8("abbrevia-readme/README.HLP") << 0 << 0
            << QStringList{u8("version : WinHelp 4.0"), u8("compression : LZ77 (blocs de 4096 octets), phrases Hall (747)"),
                           u8("rubriques : 23"), u8("mots-clés : 10"), u8("fenêtres : 2"), u8("fenêtre : main")}
            << QString();
        QTest::newRow("3.1, metafiles, [MAP]") << u8("calc-de/CALC.HLP") << 0 << 0
                                               << QStringList{u8("version : WinHelp 3.1"), u8("compression : aucune"), u8("images : 148"),
                                                              u8("numéros [MAP] : 4"), u8("titre : Calculator Hilfe")}
                                               << QString();
        QTest::newRow("A-keywords, macro hot spots") << u8("ddab-pjdropfiles/PJDropFiles.hlp") << 0 << 0
                                                     << QStringList{u8("mots-clés A : 108"), u8("zones macros : 95"), u8("images : 5")} << QString();
        QTest::newRow("compiled here") << u8("compiled") << 0 << 0
                                       << QStringList{u8("rubriques : 1"), u8("macro de démarrage : BrowseButtons()"), u8("titre : Essai")}
                                       << QString();
        QTest::newRow("truncated") << u8("abbrevia-readme/README.HLP") << 20000 << 1 << QStringList() << u8("tronqué");
        QTest::newRow("no file") << QString() << 0 << 2 << QStringList() << u8("--info demande");
    }
    void describesAHelpFile()
    {
        QFETCH(QString, file);
        QFETCH(int, cut);
        QFETCH(int, code);
        QFETCH(QStringList, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        QString path;
        if (file == u"compiled") {
            QVERIFY(testfile::write(dir.filePath(u8("P.hpj")), "[OPTIONS]\r\nTITLE=Essai\r\n[CONFIG]\r\nBrowseButtons()\r\n[FILES]\r\np.rtf\r\n"));
            QVERIFY(testfile::write(dir.filePath(u8("p.rtf")), kRtf));
            QCOMPARE(tyxhlpc({dir.filePath(u8("P.hpj"))}).code, 0);
            path = dir.filePath(u8("P.hlp"));
        } else if (!file.isEmpty()) {
            path = QStringLiteral(TYX_TEST_DATA "/hlp-samples/") + file;
            if (cut > 0) {
                QVERIFY(testfile::write(dir.filePath(u8("coupe.hlp")), testfile::read(path).left(cut)));
                path = dir.filePath(u8("coupe.hlp"));
            }
        }
        const clitest::Run r = tyxhlpc(path.isEmpty() ? QStringList{u8("--info")} : QStringList{u8("--info"), path});
        QCOMPARE(r.code, code);
        const QStringList lines = r.out.split(QLatin1Char('\n'));
        for (const QString& line : out)
            QVERIFY2(lines.contains(line), qPrintable(line + u8(" ?\n") + r.out));
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        if (code != 0)
            QVERIFY(r.out.isEmpty());
    }
};

TYX_TEST(TyxHlpcTest);
#include "TyxHlpcTest.moc"
