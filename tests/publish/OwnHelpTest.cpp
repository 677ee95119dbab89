// The program's own help: the project it is written in, the compiled file's [MAP] against the help
// context numbers of the menus and fields, and where the file is looked for.
#include "publish/core/HtmlBuild.h"
#include "publish/core/OwnHelp.h"
#include "store/core/DocumentStore.h"
#include "store/core/TextRules.h"
#include "support/TestRegistry.h"
#include "winhelp/HlpCompiler.h"
#include "winhelp/reader/HlpFileReader.h"
#include "platform/core/Cp1252.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString HelpSource = QStringLiteral(TYX_SOURCE_DIR "/docs/aide");

} // namespace

class OwnHelpTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theHelpProjectIsKeptInTheProgramsOwnForm()
    {
        store::DocumentStore doc;
        bool missing = true;
        QString error;
        QVERIFY(doc.load(HelpSource + "/TyxHelp.hpa", &missing, &error));
        QVERIFY(!missing);
        doc.countBlocks();
        QCOMPARE(doc.tagBalance(), 0); // Open asks no repair question
        QCOMPARE(doc.PageCount, 16);
        QCOMPARE(doc.PopupCount, 2);
        // Saved again by the program, it is the same file byte for byte: [MAP] up to date, CR LF,
        // code page 1252, every block where the program puts it.
        QTemporaryDir dir;
        bool lossy = true;
        QVERIFY(doc.save(dir.filePath("TyxHelp.hpa"), &error, &lossy));
        QVERIFY(!lossy);
        QCOMPARE(testfile::read(dir.filePath("TyxHelp.hpa")), testfile::read(HelpSource + "/TyxHelp.hpa"));
    }

    void theHelpCompilesWithoutAWarning()
    {
        // The build's input files, compiled again in a folder of the test's own.
        QTemporaryDir dir;
        const QDir built = QFileInfo(QStringLiteral(TYX_HELP_HLP)).dir();
        for (const QString& name : built.entryList({"*.hpj", "*.rtf", "*.bmp", "*.ico"}, QDir::Files))
            QVERIFY(QFile::copy(built.filePath(name), dir.filePath(name)));
        const hlp::CompileResult r = hlp::HlpCompiler().compile(dir.filePath("TyxHelp.hpj"));
        QVERIFY(r.written);
        // One line of summary, nothing else: every picture, the icon and every jump were found.
        QVERIFY2(r.diagnostics.size() <= 1, qPrintable(r.diagnostics.join('\n')));
        QCOMPARE(r.topicCount, 18); // 16 topics and 2 popups
    }

    // Each help context number that a menu or field carries opens the topic about it.
    void eachContextNumberOpensItsTopic_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("title");
        QTest::newRow("contents") << 1 << "Aide de Tyx Plumet";
        QTest::newRow("quick start") << 2 << QString::fromUtf8("Démarrage rapide");
        QTest::newRow("keyword field") << 5 << QString::fromUtf8("Mots clés");
        QTest::newRow("Fichier") << 6 << "Menu Fichier";
        QTest::newRow("Edition, title and body fields") << 7 << "Menu Edition";
        QTest::newRow("Rubriques") << 8 << "Menu Rubriques";
        QTest::newRow("Projet and the text viewer") << 9 << "Menu Projet";
        QTest::newRow("Compiler") << 10 << "Menu Compiler";
        QTest::newRow("Style") << 11 << "Menu Style";
        QTest::newRow("Utilitaires") << 12 << "Menu Utilitaires";
        QTest::newRow("Aide") << 13 << "Menu Aide";
    }
    void eachContextNumberOpensItsTopic()
    {
        QFETCH(int, number);
        QFETCH(QString, title);
        hlp::HlpFile help;
        QVERIFY2(help.load(testfile::read(QStringLiteral(TYX_HELP_HLP))), qPrintable(help.problems().join('\n')));
        const auto offset = help.mapOffset(std::uint32_t(number));
        QVERIFY(offset);
        QCOMPARE(cp1252::decode(help.titleAt(*offset)), title);
        const QString context = "IDH_" + store::ContextKey(title);
        QCOMPARE(publish::ownhelp::contextString(QStringLiteral(TYX_HELP_HLP), number), context);
        // The HTML help built from the same project opens the same topic for the number.
        const QString page = publish::ownhelp::htmlPage(QStringLiteral(TYX_HELP_HTML), number);
        // Its page is named with the accents' letters: "Mots clés" is IDH_Motscles.html.
        QCOMPARE(QFileInfo(page).fileName(), number == 1 ? QStringLiteral("index.html") : publish::pageName(title) + ".html");
        QVERIFY2(testfile::read(page).contains(title.toHtmlEscaped().toUtf8()), qPrintable(page));
    }

    void numbersWithoutATopicNameNone()
    {
        for (int number : {0, -3, 17, 999})
            QCOMPARE(publish::ownhelp::contextString(QStringLiteral(TYX_HELP_HLP), number), QString());
        QCOMPARE(publish::ownhelp::contextString(HelpSource + "/absent.hlp", 5), QString());
        QCOMPARE(publish::ownhelp::contextString(HelpSource + "/TyxHelp.hpa", 5), QString()); // not a help file
    }

    void searchOrder_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("fromExe");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("start, data seen from the program, data as configured, program")
            << "/home/a" << "/opt/tyx/bin" << "../share/tyxplumet" << "/usr/share/tyxplumet"
            << QStringList{"/home/a", "/opt/tyx/share/tyxplumet", "/usr/share/tyxplumet", "/opt/tyx/bin"};
        QTest::newRow("an installed program names its data folder once")
            << "/home/a" << "/usr/bin" << "../share/tyxplumet" << "/usr/share/tyxplumet"
            << QStringList{"/home/a", "/usr/share/tyxplumet", "/usr/bin"};
        QTest::newRow("started in the program's folder")
            << "/usr/bin" << "/usr/bin" << "../share/tyxplumet" << "/usr/share/tyxplumet"
            << QStringList{"/usr/bin", "/usr/share/tyxplumet"};
        QTest::newRow("unknown places are left out") << "/home/a" << "" << "../share/tyxplumet" << ""
                                                     << QStringList{"/home/a"};
    }
    void searchOrder()
    {
        QFETCH(QString, start);
        QFETCH(QString, exe);
        QFETCH(QString, fromExe);
        QFETCH(QString, installed);
        QFETCH(QStringList, expected);
        QCOMPARE(publish::ownhelp::searchFolders({start, exe, fromExe, installed}), expected);
    }

    void findingTakesTheFirstFolderWhateverTheCase_data()
    {
        QTest::addColumn<QStringList>("files"); // folder/name
        QTest::addColumn<QString>("found");
        QTest::newRow("first folder wins") << QStringList{"un/TyxHelp.hlp", "deux/TyxHelp.hlp"} << "un/TyxHelp.hlp";
        QTest::newRow("letter case ignored") << QStringList{"deux/TYXHELP.HLP"} << "deux/TYXHELP.HLP";
        QTest::newRow("a folder of that name is no file") << QStringList{"un/TyxHelp.hlp/x", "deux/tyxhelp.hlp"}
                                                          << "deux/tyxhelp.hlp";
        QTest::newRow("none") << QStringList{"un/Autre.hlp"} << "";
    }
    void findingTakesTheFirstFolderWhateverTheCase()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, found);
        QTemporaryDir dir;
        QDir root(dir.path());
        for (const QString& f : files) {
            QVERIFY(root.mkpath(QFileInfo(f).path()));
            QFile file(root.filePath(f));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QStringList folders{root.filePath("absent"), root.filePath("un"), root.filePath("deux")};
        QCOMPARE(publish::ownhelp::find(folders, publish::ownhelp::HlpName), found.isEmpty() ? QString() : root.filePath(found));
    }

    void htmlPageOfANumber_data()
    {
        QTest::addColumn<QString>("map"); // contextes.json; empty: none
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("page"); // empty: no page at all
        const QString map = R"({"contextes": {"IDH_Motscls": "IDH_Motscls.html"},
                                "numeros": {"1": "index.html", "5": "IDH_Motscls.html", "6": "absente.html",
                                            "7": "../dehors.html", "8": "/etc/passwd"}})";
        QTest::newRow("a mapped number") << map << 5 << "IDH_Motscls.html";
        QTest::newRow("the contents") << map << 0 << "index.html";
        QTest::newRow("an unknown number: the first page") << map << 42 << "index.html";
        QTest::newRow("a page that is not there: the first page") << map << 6 << "index.html";
        QTest::newRow("never outside the folder") << map << 7 << "index.html";
        QTest::newRow("nor anywhere else") << map << 8 << "index.html";
        QTest::newRow("no map") << "" << 5 << "index.html";
        QTest::newRow("a damaged map") << "{\"numeros\": [" << 5 << "index.html";
    }
    void htmlPageOfANumber()
    {
        QFETCH(QString, map);
        QFETCH(int, number);
        QFETCH(QString, page);
        QTemporaryDir dir;
        for (const char* name : {"index.html", "IDH_Motscls.html"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        if (!map.isEmpty()) {
            QFile f(dir.filePath("contextes.json"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(map.toUtf8());
        }
        QCOMPARE(publish::ownhelp::htmlPage(dir.path(), number), dir.filePath(page));
    }

    void noHtmlHelpNoPage()
    {
        QTemporaryDir dir;
        QCOMPARE(publish::ownhelp::htmlPage(dir.path(), 5), QString());
        QCOMPARE(publish::ownhelp::htmlPage(dir.filePath("absent"), 1), QString());
    }
};

TYX_TEST(OwnHelpTest);
#include "OwnHelpTest.moc"
