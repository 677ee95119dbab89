// Writing the help site: all or nothing, never into a folder that is not ours, and an unchanged
// page of the earlier site kept rather than written again.
#include "SampleProject.h"
#include "winhelp/html/HtmlFolder.h"
#include "winhelp/html/HtmlHelp.h"
#include "support/FaultPoints.h"
#include "support/FileBytes.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

ino_t inode(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Everything in `folder`, hidden entries included.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class HtmlFolderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aFolderThatIsNotOursIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString hpj = hlptest::generatedProject(3).writeWithBuild(dir.path(), QStringLiteral("GENERE"));
        const QString mine = dir.filePath(QStringLiteral("documents"));
        QVERIFY(QDir().mkpath(mine));
        QVERIFY(testfile::write(QDir(mine).filePath(QStringLiteral("notes.txt")), "à garder"));
        const QStringList before = entries(dir.path());

        const hlp::CompileResult r = hlp::html::writeHtmlHelp(hpj, mine);
        QVERIFY(!r.written);
        QVERIFY2(r.diagnostics.join('\n').contains(QStringLiteral("n'est pas vide")), qPrintable(r.diagnostics.join('\n')));
        QCOMPARE(entries(mine), QStringList{"notes.txt"});
        QCOMPARE(testfile::read(QDir(mine).filePath(QStringLiteral("notes.txt"))), QByteArray("à garder"));
        QCOMPARE(entries(dir.path()), before);

        const QString file = dir.filePath(QStringLiteral("fichier"));
        QVERIFY(testfile::write(file, "x"));
        QVERIFY(!hlp::html::writeHtmlHelp(hpj, file).written);
        QCOMPARE(testfile::read(file), QByteArray("x"));
    }

    // The site is not synced, so a crash can leave its files empty: such a folder is still ours
    // to replace, an empty contextes.json alone among other files is not.
    void whatACrashLeftOfASiteIsReplaced_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("every file empty") << QStringList{"contextes.json", "index.html", "aide.css"} << true;
        QTest::newRow("empty contextes.json without a page") << QStringList{"contextes.json", "notes.txt"} << false;
    }
    void whatACrashLeftOfASiteIsReplaced()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, replaced);
        QTemporaryDir dir;
        const QString hpj = hlptest::generatedProject(2).writeWithBuild(dir.path(), QStringLiteral("GENERE"));
        const QString site = dir.filePath(QStringLiteral("GENERE-html"));
        QVERIFY(QDir().mkpath(site));
        for (const QString& name : files)
            QVERIFY(testfile::write(QDir(site).filePath(name), ""));
        const hlp::CompileResult r = hlp::html::writeHtmlHelp(hpj, site);
        QCOMPARE(r.written, replaced);
        QCOMPARE(testfile::read(QDir(site).filePath(QStringLiteral("contextes.json"))).contains("Tyx Plumet"), replaced);
    }

    void anEarlierSiteIsReplacedWhole()
    {
        QTemporaryDir dir;
        hlptest::SampleProject project = hlptest::generatedProject(3);
        QString hpj = project.writeWithBuild(dir.path(), QStringLiteral("GENERE"));
        const QString site = dir.filePath(QStringLiteral("GENERE-html"));
        QVERIFY(hlp::html::writeHtmlHelp(hpj, site).written);
        QVERIFY(testfile::write(QDir(site).filePath(QStringLiteral("ancien.html")), "reste d'avant"));
        const QString second = QDir(site).filePath(QStringLiteral("IDH_Sujet0002.html"));
        const QString third = QDir(site).filePath(QStringLiteral("IDH_Sujet0003.html"));
        const ino_t secondBefore = inode(second), thirdBefore = inode(third);

        // One topic changes: its page is written again, the others are the same files.
        project.topics[2].body = QStringList{QStringLiteral("Texte nouveau.") + QChar(0xB6)};
        hpj = project.writeWithBuild(dir.path(), QStringLiteral("GENERE"));
        const hlp::CompileResult r = hlp::html::writeHtmlHelp(hpj, site);
        QVERIFY2(r.written, qPrintable(r.diagnostics.join('\n')));
        QVERIFY(!QFile::exists(QDir(site).filePath(QStringLiteral("ancien.html"))));
        QVERIFY(testfile::read(third).contains("Texte nouveau."));
        QCOMPARE(inode(second), secondBefore);
        QVERIFY(inode(third) != thirdBefore);
        // Nothing hidden is left beside the site.
        for (const QString& e : entries(dir.path()))
            QVERIFY2(!e.startsWith(QLatin1Char('.')), qPrintable(e));
    }

    // A write failure at any point (a page, a picture, the swap) leaves the earlier site
    // byte for byte, nothing hidden beside it, and says why in French.
    void aFaultAtAnyPointLeavesTheEarlierSite()
    {
        QTemporaryDir dir;
        hlptest::SampleProject project = hlptest::generatedProject(3);
        QString hpj = project.writeWithBuild(dir.path(), QStringLiteral("GENERE"));
        const QString site = dir.filePath(QStringLiteral("GENERE-html"));
        QVERIFY(hlp::html::writeHtmlHelp(hpj, site).written);
        const QMap<QString, QByteArray> earlier = faults::folderBytes(site);
        const QStringList besides = entries(dir.path());

        project.topics[1].body = QStringList{QStringLiteral("Autre texte.") + QChar(0xB6)};
        project.topics[2].body = QStringList{QStringLiteral("Texte nouveau.") + QChar(0xB6)};
        hpj = project.writeWithBuild(dir.path(), QStringLiteral("GENERE"));
        // The earlier site, put back before each run.
        const auto putBack = [&] {
            bool ok = QDir(site).removeRecursively();
            for (auto f = earlier.begin(); ok && f != earlier.end(); ++f)
                ok = QDir().mkpath(QFileInfo(QDir(site).filePath(f.key())).path()) && testfile::write(QDir(site).filePath(f.key()), f.value());
            return ok;
        };
        QList<faults::Point> all = faults::record([&] { QVERIFY(hlp::html::writeHtmlHelp(hpj, site).written); });
        QVERIFY(all.size() >= 8);
        for (int i = 0; i < all.size(); ++i) {
            QVERIFY(putBack());
            hlp::CompileResult r;
            {
                const faults::Inject fault(i, ENOSPC);
                r = hlp::html::writeHtmlHelp(hpj, site);
            }
            QVERIFY2(!r.written, faults::stepName(all[i].step));
            QVERIFY2(r.diagnostics.join('\n').contains(QStringLiteral("disque plein")), qPrintable(r.diagnostics.join('\n')));
            QCOMPARE(faults::folderBytes(site), earlier);
            QCOMPARE(entries(dir.path()), besides);
        }
        QVERIFY(putBack());
        QVERIFY(hlp::html::writeHtmlHelp(hpj, site).written);
        QVERIFY(faults::folderBytes(site) != earlier);
    }

    void aSiteNeverFinishedLeavesNothing()
    {
        QTemporaryDir dir;
        const QString site = dir.filePath(QStringLiteral("aide"));
        QString error;
        QVERIFY(hlp::html::writeSiteFolder(site, {{QStringLiteral("contextes.json"), "{\n\"generateur\": \"Tyx Plumet\"\n}"},
                                                     {QStringLiteral("index.html"), "avant"}},
            &error));
        {
            hlp::html::SiteFolder half(site);
            QVERIFY(half.open(&error));
            QVERIFY(half.add(QStringLiteral("index.html"), "après", &error));
            QVERIFY(half.add(QStringLiteral("images/a.png"), "png", &error));
            // Abandoned: no commit.
        }
        QCOMPARE(testfile::read(QDir(site).filePath(QStringLiteral("index.html"))), QByteArray("avant"));
        QCOMPARE(entries(dir.path()), QStringList{"aide"});
    }

    void aFailedWriteStopsTheSite()
    {
        QTemporaryDir dir;
        hlp::html::SiteFolder notOpened(dir.filePath(QStringLiteral("aide")));
        hlp::html::FolderWriter writer(notOpened);
        // The first file fails on the writer's thread; the next ones are refused, and the reason is kept.
        bool refused = false;
        for (int i = 0; i < 100 && !refused; ++i)
            refused = !writer.add(QStringLiteral("page%1.html").arg(i), "x");
        QString error;
        QVERIFY(!writer.finish(&error));
        QVERIFY(refused);
        QVERIFY2(error.contains(QStringLiteral("n'est pas prêt")), qPrintable(error));
        QCOMPARE(entries(dir.path()), QStringList());
    }
};

TYX_TEST(HtmlFolderTest);
#include "HtmlFolderTest.moc"
