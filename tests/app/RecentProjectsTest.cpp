#include "app/core/RecentProjects.h"
#include "app/core/StartArguments.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The list of the last projects and the command line, without windows.
class RecentProjectsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void adding_data()
    {
        QTest::addColumn<QStringList>("added"); // in order of opening or saving
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("newest first") << QStringList{"/a/un.hpa", "/a/deux.hpa"} << QStringList{"/a/deux.hpa", "/a/un.hpa"};
        QTest::newRow("the same file moves up instead of doubling")
            << QStringList{"/a/un.hpa", "/a/deux.hpa", "/a/un.hpa"} << QStringList{"/a/un.hpa", "/a/deux.hpa"};
        QTest::newRow("the same file written another way")
            << QStringList{"/a/un.hpa", "/a/b/../deux.hpa", "/a//un.hpa"} << QStringList{"/a/un.hpa", "/a/deux.hpa"};
        QTest::newRow("the oldest falls off after four")
            << QStringList{"/1.hpa", "/2.hpa", "/3.hpa", "/4.hpa", "/5.hpa"}
            << QStringList{"/5.hpa", "/4.hpa", "/3.hpa", "/2.hpa"};
        QTest::newRow("an empty name is no project") << QStringList{"/1.hpa", ""} << QStringList{"/1.hpa"};
    }
    void adding()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QSettings store(dir.filePath("recents.conf"), QSettings::IniFormat);
        RecentProjects recent(&store);
        for (const QString& f : added)
            recent.add(f);
        QCOMPARE(recent.files(), expected);
        // Kept in the settings store: another list on the same store reads the same.
        QSettings again(dir.filePath("recents.conf"), QSettings::IniFormat);
        QCOMPARE(RecentProjects(&again).files(), expected);
    }

    void relativeNamesBecomeAbsolute()
    {
        QTemporaryDir dir;
        QSettings store(dir.filePath("recents.conf"), QSettings::IniFormat);
        RecentProjects recent(&store);
        recent.add("projet.hpa");
        QCOMPARE(recent.files(), QStringList{QDir::current().absoluteFilePath("projet.hpa")});
    }

    void removing()
    {
        QTemporaryDir dir;
        QSettings store(dir.filePath("recents.conf"), QSettings::IniFormat);
        RecentProjects recent(&store);
        for (const char* f : {"/1.hpa", "/2.hpa", "/3.hpa"})
            recent.add(QString::fromLatin1(f));
        recent.remove("/2.hpa");
        QCOMPARE(recent.files(), (QStringList{"/3.hpa", "/1.hpa"}));
        recent.remove("/absent.hpa");
        QCOMPARE(recent.files(), (QStringList{"/3.hpa", "/1.hpa"}));
    }

    void aDamagedStoreShowsEachFileOnce()
    {
        QTemporaryDir dir;
        QSettings store(dir.filePath("recents.conf"), QSettings::IniFormat);
        store.setValue("projets/recents", QStringList{"/1.hpa", "", "/1.hpa", "/2.hpa", "/3.hpa", "/4.hpa", "/5.hpa"});
        QCOMPARE(RecentProjects(&store).files(), (QStringList{"/1.hpa", "/2.hpa", "/3.hpa", "/4.hpa"}));
    }

    void captions_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("number and path") << 0 << "/home/aide/DEMO.hpa" << "&1 /home/aide/DEMO.hpa";
        QTest::newRow("an ampersand stays text") << 3 << "/a&b/R&D.hpa" << "&4 /a&&b/R&&D.hpa";
        const QString deep = "/home/auteur/documents/projets/aide/versions/2026/decembre/final/MANUEL.hpa";
        QTest::newRow("a deep folder is shortened, the file name kept")
            << 1 << deep << "&2 " + deep.left(21) + "..." + deep.right(36);
    }
    void captions()
    {
        QFETCH(int, index);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(RecentProjects::caption(index, path), expected);
    }

    void startArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("project");
        QTest::addColumn<QStringList>("ignored");
        QTest::addColumn<bool>("help");
        QTest::addColumn<bool>("version");
        QTest::newRow("none") << QStringList{} << "" << QStringList{} << false << false;
        QTest::newRow("one project") << QStringList{"DEMO.hpa"} << "DEMO.hpa" << QStringList{} << false << false;
        QTest::newRow("a second name is answered, not opened")
            << QStringList{"a.hpa", "b.hpa", "c.hpa"} << "a.hpa" << QStringList{"b.hpa", "c.hpa"} << false << false;
        QTest::newRow("an empty %f is no name") << QStringList{""} << "" << QStringList{} << false << false;
        QTest::newRow("help and version") << QStringList{"--help", "--version"} << "" << QStringList{} << true << true;
        QTest::newRow("after --, a name may start with a dash")
            << QStringList{"--", "--help"} << "--help" << QStringList{} << false << false;
        QTest::newRow("an unknown dash word is a file name, as Open would take it")
            << QStringList{"-notes.hpa"} << "-notes.hpa" << QStringList{} << false << false;
    }
    void startArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, project);
        QFETCH(QStringList, ignored);
        QFETCH(bool, help);
        QFETCH(bool, version);
        const startarguments::Request r = startarguments::parse(arguments);
        QCOMPARE(r.project, project);
        QCOMPARE(r.ignored, ignored);
        QCOMPARE(r.help, help);
        QCOMPARE(r.version, version);
    }

    void startArgumentsForTheViewer_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("helpFile");
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("project");
        QTest::addColumn<bool>("error");
        QTest::newRow("a help file by its extension") << QStringList{"AIDE.HLP"} << "AIDE.HLP" << "" << "" << false;
        QTest::newRow("--aide and --contexte") << QStringList{"--aide", "a.hlp", "--contexte", "IDH_X"} << "a.hlp" << "IDH_X" << "" << false;
        QTest::newRow("--aide takes any name") << QStringList{"--contexte", "7", "--aide", "projet.hpj"} << "projet.hpj" << "7" << "" << false;
        QTest::newRow("a project before a help file keeps the project")
            << QStringList{"p.hpa", "a.hlp"} << "" << "" << "p.hpa" << false;
        QTest::newRow("--aide without a name") << QStringList{"--aide"} << "" << "" << "" << true;
        QTest::newRow("--contexte without a help file") << QStringList{"--contexte", "3"} << "" << "3" << "" << true;
    }
    void startArgumentsForTheViewer()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, helpFile);
        QFETCH(QString, context);
        QFETCH(QString, project);
        QFETCH(bool, error);
        const startarguments::Request r = startarguments::parse(arguments);
        QCOMPARE(r.helpFile, helpFile);
        QCOMPARE(r.context, context);
        QCOMPARE(r.project, project);
        QCOMPARE(!r.error.isEmpty(), error);
    }

    void ignoredNamesMessage()
    {
        QCOMPARE(startarguments::ignoredMessage({}), QString());
        QCOMPARE(startarguments::ignoredMessage({"b.hpa"}),
            QStringLiteral("Tyx Plumet ouvre un seul projet à la fois : « b.hpa » n'est pas ouvert."));
        QCOMPARE(startarguments::ignoredMessage({"b.hpa", "c.hpa"}),
            QStringLiteral("Tyx Plumet ouvre un seul projet à la fois : « b.hpa », « c.hpa » ne sont pas ouverts."));
    }
};

TYX_TEST(RecentProjectsTest);
#include "RecentProjectsTest.moc"
