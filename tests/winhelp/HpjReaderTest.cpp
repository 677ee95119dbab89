// The project file: options, files, macros, windows, [MAP] and what is reported for bad lines.
#include "winhelp/project/HpjReader.h"
#include "winhelp/project/ProjectFiles.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class HpjReaderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void projectAsOurBuildWritesIt()
    {
        const QByteArray text = "[OPTIONS]\r\nTITLE=Aide de demo.hpa\r\nICON=demo.ico\r\n[FILES]\r\ndemo.rtf\r\n[CONFIG]\r\n"
                                "BrowseButtons()\r\n[WINDOWS]\r\n"
                                "main=\"Aide de demo.hpa\",(100,5,800,800),0,(255,255,255),(192,192,192)\r\n"
                                "[MAP]\r\nIDH_Accueil\t1\r\nIDH_Dmarrage\t2\r\n";
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse(text, p, d);
        QVERIFY2(d.lines().isEmpty(), qPrintable(d.lines().join('\n')));
        QCOMPARE(p.title, QByteArray("Aide de demo.hpa"));
        QCOMPARE(p.icon, QStringLiteral("demo.ico"));
        QCOMPARE(p.files, QStringList{QStringLiteral("demo.rtf")});
        QCOMPARE(p.configMacros, QList<QByteArray>{"BrowseButtons()"});
        QCOMPARE(p.windows.size(), size_t(1));
        const hlp::WindowDef& w = p.windows[0];
        QCOMPARE(w.name, QByteArray("main"));
        QCOMPARE(w.caption, QByteArray("Aide de demo.hpa"));
        QVERIFY(w.hasPosition());
        QCOMPARE(w.x, 100);
        QCOMPARE(w.y, 5);
        QCOMPARE(w.width, 800);
        QVERIFY(w.hasColour && w.hasNonScrollColour);
        QCOMPARE(w.colour, 0xFFFFFFu);
        QCOMPARE(w.nonScrollColour, 0xC0C0C0u);
        QCOMPARE(p.map.size(), size_t(2));
        QCOMPARE(p.map[1].context, QByteArray("IDH_Dmarrage"));
        QCOMPARE(p.map[1].number, 2u);
    }

    void emptyConfigLineIsNoMacro()
    {
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse("[CONFIG]\r\n\r\n[WINDOWS]\r\n", p, d);
        QVERIFY(p.configMacros.isEmpty());
        QVERIFY(d.lines().isEmpty());
    }

    void otherOptions()
    {
        const QByteArray text = "; comment\n[options]\nCopyright=(c) Moi\nCONTENTS=IDH_Sommaire ; the first page\nLCID=0x40c 0x0 0x0\n"
                                "ROOT=topics;more\nBMROOT=images\nCOMPRESS=12 Hall Zeck\n[BITMAPS]\nimages\\logo.bmp\n"
                                "[WINDOWS]\nsec = \"Second\", , , (0,0,255)\n";
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse(text, p, d);
        QVERIFY2(d.lines().isEmpty(), qPrintable(d.lines().join('\n')));
        QCOMPARE(p.copyright, QByteArray("(c) Moi"));
        QCOMPARE(p.contents, QByteArray("IDH_Sommaire"));
        QVERIFY(p.hasLcid);
        QCOMPARE(p.lcid, std::uint16_t(0x040C));
        QCOMPARE(p.rootFolders, (QStringList{QStringLiteral("topics"), QStringLiteral("more")}));
        QCOMPARE(p.bitmapFolders, QStringList{QStringLiteral("images")});
        QCOMPARE(p.bitmaps, QStringList{QStringLiteral("images\\logo.bmp")});
        QCOMPARE(p.windows.size(), size_t(1));
        QVERIFY(!p.windows[0].hasPosition());
        QVERIFY(p.windows[0].hasColour);
        QCOMPARE(p.windows[0].colour, 0xFF0000u);
    }

    void mapForms_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("context");
        QTest::addColumn<quint32>("number");
        QTest::newRow("tab") << QByteArray("IDH_Accueil\t1") << QByteArray("IDH_Accueil") << 1u;
        QTest::newRow("spaces") << QByteArray("IDH_Accueil   12") << QByteArray("IDH_Accueil") << 12u;
        QTest::newRow("equals") << QByteArray("IDH_Accueil=7") << QByteArray("IDH_Accueil") << 7u;
        QTest::newRow("define") << QByteArray("#define IDH_Accueil 0x10") << QByteArray("IDH_Accueil") << 16u;
        QTest::newRow("define comment") << QByteArray("#define IDH_Accueil 3 // page 3") << QByteArray("IDH_Accueil") << 3u;
        QTest::newRow("no key digits") << QByteArray("IDH_\t4") << QByteArray("IDH_") << 4u;
    }
    void mapForms()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, context);
        QFETCH(quint32, number);
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse("[MAP]\n" + line + "\n", p, d);
        QVERIFY2(d.lines().isEmpty(), qPrintable(d.lines().join('\n')));
        QCOMPARE(p.map.size(), size_t(1));
        QCOMPARE(p.map[0].context, context);
        QCOMPARE(p.map[0].number, number);
    }

    void mapInclude()
    {
        QTemporaryDir dir;
        QFile inc(dir.filePath(QStringLiteral("Ids.H")));
        QVERIFY(inc.open(QIODevice::WriteOnly));
        inc.write("#define IDH_A 101\n#define IDH_B 102\n");
        inc.close();
        hlp::ProjectFiles files(dir.path());
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse("[MAP]\n#include <ids.h>\nIDH_C 3\n", p, d, &files);
        QVERIFY2(d.lines().isEmpty(), qPrintable(d.lines().join('\n')));
        QCOMPARE(p.map.size(), size_t(3));
        QCOMPARE(p.map[0].number, 101u);
        QCOMPARE(p.map[2].context, QByteArray("IDH_C"));
    }

    void unreadableLines_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("map without number") << QByteArray("[MAP]\nIDH_Accueil\n") << QStringLiteral("ligne 2");
        QTest::newRow("option without =") << QByteArray("[OPTIONS]\nTITLE Aide\n") << QStringLiteral("signe = manquant");
        QTest::newRow("bad window") << QByteArray("[WINDOWS]\nmain=\"x\",(1,2,3)\n") << QStringLiteral("fenêtre");
        QTest::newRow("outside sections") << QByteArray("TITLE=x\n") << QStringLiteral("hors de toute section");
        QTest::newRow("unknown option") << QByteArray("[OPTIONS]\nFOO=1\n") << QStringLiteral("« FOO »");
        QTest::newRow("unknown section") << QByteArray("[FONTS]\na=b\n") << QStringLiteral("[FONTS]");
    }
    void unreadableLines()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse(text, p, d);
        QCOMPARE(d.lines().size(), 1);
        QVERIFY2(d.lines()[0].contains(expected), qPrintable(d.lines()[0]));
        QVERIFY(d.lines()[0].startsWith(QStringLiteral("Attention : ")));
    }

    void filesFoundWithoutRegardToCase()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("Images/Sub"));
        for (const QString& name : {QStringLiteral("DEMO.rtf"), QStringLiteral("Images/Sub/Logo.BMP")}) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        hlp::ProjectFiles files(dir.path());
        QCOMPARE(files.find(QStringLiteral("demo.rtf")), QDir(dir.path()).filePath(QStringLiteral("DEMO.rtf")));
        QCOMPARE(files.find(QStringLiteral("images\\sub\\logo.bmp")), QDir(dir.path()).filePath(QStringLiteral("Images/Sub/Logo.BMP")));
        QCOMPARE(files.find(QStringLiteral("logo.bmp"), {QStringLiteral("images\\SUB")}),
                 QDir(dir.path()).filePath(QStringLiteral("Images/Sub/Logo.BMP")));
        QCOMPARE(files.find(QStringLiteral("C:\\AIDE\\demo.rtf")), QDir(dir.path()).filePath(QStringLiteral("DEMO.rtf")));
        QVERIFY(files.find(QStringLiteral("absent.rtf")).isEmpty());
    }
};

TYX_TEST(HpjReaderTest);
#include "HpjReaderTest.moc"
