// tyxhlpc given a compiled help: its site (--html) or a project of it (--hpa).
#include "RunProgram.h"
#include "support/FileBytes.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

clitest::Run tyxhlpc(const QStringList& args) { return clitest::runProgram(QStringLiteral(TYXHLPC_EXE), args); }

QString u8(const char* s) { return QString::fromUtf8(s); }

// A help of two topics and a popup, compiled by tyxhlpc into `folder`/P.hlp.
bool compiledHelp(const QString& folder, const QByteArray& options)
{
    return testfile::write(folder + u8("/P.hpj"), "[OPTIONS]\r\nTITLE=Essai\r\n" + options + "[FILES]\r\np.rtf\r\n")
        && testfile::write(folder + u8("/p.rtf"),
            "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20\r\n"
            "#{\\footnote A}${\\footnote Accueil}K{\\footnote d\\'e9but}\r\nVoir {\\uldb B}{\\v B} et {\\ul la note}{\\v N}.\\par\\page\r\n"
            "#{\\footnote B}${\\footnote Suite}\r\n\\b Fin\\b0 .\\par\\page\r\n"
            "#{\\footnote N}\r\nUne note.\\par\\page\r\n}")
        && tyxhlpc({folder + u8("/P.hpj")}).code == 0;
}

} // namespace

class TyxHlpcHelpFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fromHelpFile_data()
    {
        QTest::addColumn<QByteArray>("options"); // of the help compiled first
        QTest::addColumn<QStringList>("args");   // "P.hlp", "site" and "out/p.hpa" stand in the temporary folder
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("written"); // the file that shows the output, '|' then a text it holds
        QTest::newRow("site") << QByteArray() << QStringList{u8("--html"), u8("site"), u8("P.hlp")} << 0 << QString()
                              << u8("site/Suite.html|<title>Suite \xE2\x80\x93 Essai</title>");
        QTest::newRow("site of a compressed help") << QByteArray("COMPRESS=HIGH\r\n") << QStringList{u8("--html"), u8("site"), u8("P.hlp")}
                                                   << 0 << QString() << u8("site/motscles.html|début");
        QTest::newRow("project") << QByteArray() << QStringList{u8("--hpa"), u8("out/p.hpa"), u8("P.hlp")} << 0
                                 << u8("1 fenêtre(s) surgissante(s)") << u8("out/p.hpa|{\\ul la note}{\\v Pp0000}");
        QTest::newRow("help file without an output") << QByteArray() << QStringList{u8("P.hlp")} << 2 << u8("déjà compilé")
                                                     << QString();
        QTest::newRow("project of a project") << QByteArray() << QStringList{u8("--hpa"), u8("out/p.hpa"), u8("P.hpj")} << 1
                                              << u8("n'est pas un fichier d'aide") << QString();
        QTest::newRow("site and project at once") << QByteArray() << QStringList{u8("--html"), u8("site"), u8("--hpa"), u8("x.hpa"), u8("P.hlp")}
                                                  << 2 << u8("ne vont pas ensemble") << QString();
        QTest::newRow("project name missing") << QByteArray() << QStringList{u8("P.hlp"), u8("--hpa")} << 2
                                              << u8("--hpa demande") << QString();
        QTest::newRow("code page 1251") << QByteArray("CHARSET=204\r\n") << QStringList{u8("--hpa"), u8("out/p.hpa"), u8("P.hlp")}
                                        << 1 << u8("page de code 1251") << QString();
    }
    void fromHelpFile()
    {
        QFETCH(QByteArray, options);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, err);
        QFETCH(QString, written);
        QTemporaryDir dir;
        QVERIFY(compiledHelp(dir.path(), options));
        for (QString& a : args)
            if (!a.startsWith(u'-'))
                a = dir.filePath(a);
        const clitest::Run r = tyxhlpc(args);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        if (!written.isEmpty()) {
            const QByteArray bytes = testfile::read(dir.filePath(written.section('|', 0, 0)));
            const QString wanted = written.section('|', 1);
            QVERIFY2(bytes.contains(written.section(u'|', 0, 0).endsWith(u".hpa") ? wanted.toLatin1() : wanted.toUtf8()), qPrintable(wanted));
        }
        if (code != 0) // nothing written
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                (QStringList{u8("P.hlp"), u8("P.hpj"), u8("p.rtf")}));
    }
};

TYX_TEST(TyxHlpcHelpFileTest);
#include "TyxHlpcHelpFileTest.moc"
