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
        QTest::newRow("semicolon comment") << QByteArray("IDH_NEW 10; le nouveau document") << QByteArray("IDH_NEW") << 10u;
        QTest::newRow("32-bit hex of MFC") << QByteArray("HID_FILE_NEW                            0x1E100") << QByteArray("HID_FILE_NEW") << 0x1E100u;
        QTest::newRow("upper X, C suffix") << QByteArray("#define IDH_A 0X1FUL") << QByteArray("IDH_A") << 31u;
        QTest::newRow("parentheses and a sum") << QByteArray("#define IDH_B (0x10 + 2)") << QByteArray("IDH_B") << 18u;
        QTest::newRow("tab and comment") << QByteArray("IDH_C\t0x20\t// trente-deux") << QByteArray("IDH_C") << 32u;
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

    // C headers: other preprocessor lines, comments and definitions of names are no mistakes; a
    // definition may use an earlier one.
    void mapIncludesCHeaders()
    {
        QTemporaryDir dir;
        QFile inc(dir.filePath(QStringLiteral("resource.h")));
        QVERIFY(inc.open(QIODevice::WriteOnly));
        inc.write("//{{NO_DEPENDENCIES}}\r\n#ifndef RESOURCE_H\r\n#define RESOURCE_H\r\n#define IDH_BASE 0x100 /* base */\r\n"
                  "/* several\r\n   lines #define IDH_HIDDEN 5 */\r\n#define IDH_NEXT (IDH_BASE + 1)\r\n#define NAME \"texte\"\r\n"
                  "typedef int t;\r\n#endif\r\n");
        inc.close();
        hlp::ProjectFiles files(dir.path());
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse("[MAP]\r\n#include \"RESOURCE.H\"\r\n#define IDH_LAST (IDH_NEXT | 0x1000)\r\n", p, d, &files);
        QVERIFY2(d.lines().isEmpty(), qPrintable(d.lines().join('\n')));
        QCOMPARE(p.map.size(), size_t(3));
        QCOMPARE(p.map[0].context, QByteArray("IDH_BASE"));
        QCOMPARE(p.map[1].number, 0x101u);
        QCOMPARE(p.map[2].number, 0x1101u);
    }

    void helpWorkshopWindows_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("caption");
        QTest::addColumn<QList<int>>("position"); // -1: not given
        QTest::addColumn<int>("state");
        QTest::addColumn<qint64>("colour"); // -1: not given
        QTest::addColumn<qint64>("nonScroll");
        QTest::addColumn<int>("flags");     // 1 on top, 2 auto-size height
        QTest::newRow("workshop colours and flags") << QByteArray("main=\"Aide\",(653,102,360,600),20736,(r14876671),(r12632256),f3")
                                                    << QByteArray("Aide") << QList<int>{653, 102, 360, 600} << 20736
                                                    << qint64(14876671) << qint64(12632256) << 3;
        QTest::newRow("empty fields") << QByteArray("sec=,(,,500,),,(255,255,224),,1") << QByteArray() << QList<int>{-1, -1, 500, -1} << 0
                                      << qint64(0xE0FFFF) << qint64(-1) << 1;
        QTest::newRow("empty caption") << QByteArray("main=\"\",,0,(192,192,192),(192,192,192)") << QByteArray()
                                       << QList<int>{-1, -1, -1, -1} << 0 << qint64(0xC0C0C0) << qint64(0xC0C0C0) << 0;
        QTest::newRow("auto-size only") << QByteArray("proc=\"Proc\xE9\",(1,2,3,4),1,,,f2") << QByteArray("Proc\xE9")
                                        << QList<int>{1, 2, 3, 4} << 1 << qint64(-1) << qint64(-1) << 2;
        QTest::newRow("empty groups") << QByteArray("w=\"T\",(),,(),()") << QByteArray("T") << QList<int>{-1, -1, -1, -1} << 0
                                      << qint64(-1) << qint64(-1) << 0;
        QTest::newRow("comment, and its marks in the caption") << QByteArray("w=\"Aide ; voir http://x\",(1,2,3,4) ; la fenêtre")
                                                               << QByteArray("Aide ; voir http://x") << QList<int>{1, 2, 3, 4} << 0
                                                               << qint64(-1) << qint64(-1) << 0;
    }
    void helpWorkshopWindows()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, caption);
        QFETCH(QList<int>, position);
        QFETCH(int, state);
        QFETCH(qint64, colour);
        QFETCH(qint64, nonScroll);
        QFETCH(int, flags);
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse("[WINDOWS]\r\n" + line + "\r\n", p, d);
        QVERIFY2(d.lines().isEmpty(), qPrintable(d.lines().join('\n')));
        QCOMPARE(p.windows.size(), size_t(1));
        const hlp::WindowDef& w = p.windows[0];
        QCOMPARE(w.caption, caption);
        const bool has[4] = {w.hasX, w.hasY, w.hasWidth, w.hasHeight};
        const int value[4] = {w.x, w.y, w.width, w.height};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(has[i] ? value[i] : -1, position[i]);
        QCOMPARE(w.maximize, state);
        QCOMPARE(w.hasColour ? qint64(w.colour) : -1, colour);
        QCOMPARE(w.hasNonScrollColour ? qint64(w.nonScrollColour) : -1, nonScroll);
        QCOMPARE((w.onTop ? 1 : 0) | (w.autoSizeHeight ? 2 : 0), flags);
    }

    // A field that cannot be read is left to the viewer; the window stays, for the jumps naming it.
    void unreadableWindowFieldKeepsTheWindow()
    {
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse("[WINDOWS]\nsec=\"Seconde\",(1,2,3),0,(300,0,0)\n", p, d);
        QCOMPARE(p.windows.size(), size_t(1));
        QCOMPARE(p.windows[0].caption, QByteArray("Seconde"));
        QVERIFY(!p.windows[0].hasPosition());
        QCOMPARE(d.lines().size(), 1);
        QVERIFY2(d.lines()[0].contains(QStringLiteral("« sec »")), qPrintable(d.lines()[0]));
    }

    void compressionLevels_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("compress");
        QTest::addColumn<bool>("warned");
        for (const char* off : {"OFF", "no", "FALSE", "0", "NONE"})
            QTest::addRow("%s", off) << QByteArray(off) << false << false;
        for (const char* on : {"HIGH", "medium", "LOW", "TRUE", "YES", "1", "12 Hall Zeck", "8", "4", "ON ; avec commentaire"})
            QTest::addRow("%s", on) << QByteArray(on) << true << false;
        QTest::newRow("unknown") << QByteArray("PARFOIS") << false << true;
    }
    void compressionLevels()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, compress);
        QFETCH(bool, warned);
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse("[OPTIONS]\nCOMPRESS=" + value + "\n", p, d);
        QCOMPARE(p.compress, compress);
        QCOMPARE(d.lines().size(), warned ? 1 : 0);
    }

    void aliasesBaggageCharsetAndLanguage()
    {
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse("[OPTIONS]\r\nCHARSET=RUSSIAN\r\nLCID=0x419 0x1 0x2\r\n[ALIAS]\r\nmain_index=IDH_SOMMAIRE ; MFC\r\n"
                              "HID_NEW = IDH_NOUVEAU\r\nmauvais\r\n[BAGGAGE]\r\nlisezmoi.txt\r\ndata\\table.dat ; une table\r\n",
                              p, d);
        QCOMPARE(p.charset, 204);
        QVERIFY(p.hasLcid);
        QCOMPARE(p.lcid, std::uint16_t(0x419));
        QCOMPARE(p.lcidExtra[0], std::uint16_t(1));
        QCOMPARE(p.lcidExtra[1], std::uint16_t(2));
        QCOMPARE(p.aliases.size(), size_t(2));
        QCOMPARE(p.aliases[0].alias, QByteArray("main_index"));
        QCOMPARE(p.aliases[0].context, QByteArray("IDH_SOMMAIRE"));
        QCOMPARE(p.aliases[1].alias, QByteArray("HID_NEW"));
        QCOMPARE(p.aliases[1].line, 6);
        QCOMPARE(p.baggage, (QStringList{QStringLiteral("lisezmoi.txt"), QStringLiteral("data\\table.dat")}));
        QCOMPARE(d.lines().size(), 1); // the alias without its context string
        QVERIFY(d.lines()[0].contains(QStringLiteral("ligne 7")));
    }

    // The project's code page is known before its first message: a Russian line reads as Cyrillic.
    void messagesInTheProjectsCodePage()
    {
        hlp::HelpProject p;
        hlp::Diagnostics d;
        hlp::HpjReader::parse("[OPTIONS]\r\n\xC7\xE0\xE3\xEE\xEB\xEE\xE2\xEE\xEA\r\nLCID=0x419 0x0 0x0\r\n", p, d);
        QCOMPARE(d.codePage().number(), 1251);
        QCOMPARE(d.lines().size(), 1);
        QVERIFY2(d.lines()[0].contains(QStringLiteral("« Заголовок »")), qPrintable(d.lines()[0]));
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
