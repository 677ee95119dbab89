// A program killed at any point of a save: the project file is the old one byte for byte; killed
// at any point of writing the build files or the help site, the old files are there again once
// the next build in the folder has put back what the killed one left half done, and the next
// write of the same files leaves nothing of it.
#include "RunProgram.h"
#include "publish/WorkedExample.h"
#include "platform/core/SafeFile.h"
#include "platform/core/TextFile.h"
#include "support/FaultPoints.h"
#include "support/FileBytes.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Runs the victim until it stops at point `stopAt` and kills it there. -1 when it did not stop;
// otherwise how many points it passed when it ran through (stopAt out of reach).
int runAndKill(const QString& mode, const QString& project, int stopAt)
{
    QProcess p;
    p.start(QStringLiteral(SAVE_VICTIM_EXE), {mode, project, QString::number(stopAt)});
    if (!p.waitForStarted())
        return -1;
    QByteArray said;
    while (!said.contains('\n') && p.waitForReadyRead(30000))
        said += p.readAllStandardOutput();
    if (said.startsWith("arrêt")) {
        p.kill();
        p.waitForFinished();
        return stopAt;
    }
    p.waitForFinished();
    return p.exitCode() == 0 ? said.trimmed().toInt() : -1;
}

// Empties `folder` (hidden files and folders too), or only the entries whose names start with `prefix`.
void clear(const QString& folder, const QString& prefix = QString())
{
    const QDir dir(folder);
    for (const QFileInfo& e : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (!e.fileName().startsWith(prefix))
            continue;
        if (e.isDir() && !e.isSymLink())
            QDir(e.filePath()).removeRecursively();
        else
            QFile::remove(e.filePath());
    }
}

// The hidden files and folders in `folder`: the side files of writes.
QStringList hidden(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.removeIf([](const QString& n) { return !n.startsWith('.'); });
    return names;
}

} // namespace

class KillDuringSaveTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Killed at every point of a save, a build or a help site: once the next build in the folder
    // has put back what the killed one left half done, the old files are there; and the next write
    // of the same files removes every hidden file and folder the killed one left.
    void killAtEveryPointKeepsTheOldFiles_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("old"); // files that exist before, beside p.hpa
        QTest::addColumn<bool>("oldSite");    // a help site of an earlier build is there
        QTest::newRow("save") << "save" << QStringList{} << false;
        QTest::newRow("build over an old build") << "build" << QStringList{"p.hpj", "p.rtf"} << false;
        QTest::newRow("first build") << "build" << QStringList{} << false;
        QTest::newRow("help site over an old site") << "site" << QStringList{"p.hpj", "p.rtf"} << true;
        QTest::newRow("first help site") << "site" << QStringList{} << false;
    }
    void killAtEveryPointKeepsTheOldFiles()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, old);
        QFETCH(bool, oldSite);
        QTemporaryDir dir;
        const QString hpa = dir.filePath("p.hpa");
        QMap<QString, QByteArray> site;
        if (oldSite) { // an earlier site, as the program wrote it
            QTemporaryDir earlier;
            QVERIFY(textfile::writeLines(earlier.filePath("p.hpa"), workedexample::projectLines()));
            QVERIFY(runAndKill("site", earlier.filePath("p.hpa"), 1000) > 0);
            site = faults::folderBytes(earlier.filePath("p-html"));
        }
        const auto setUp = [&] {
            clear(dir.path());
            bool ok = textfile::writeLines(hpa, workedexample::projectLines());
            for (const QString& name : old)
                ok = ok && textfile::writeBytes(dir.filePath(name), "ancien " + name.toLatin1());
            for (auto it = site.cbegin(); it != site.cend(); ++it)
                ok = ok && QDir().mkpath(QFileInfo(dir.filePath("p-html/" + it.key())).path())
                    && textfile::writeBytes(dir.filePath("p-html/" + it.key()), it.value());
            return ok;
        };
        QVERIFY(setUp());
        const auto before = faults::folderBytes(dir.path());
        const int points = runAndKill(mode, hpa, 1000);
        QVERIFY(points > 0);
        const auto done = faults::folderBytes(dir.path());
        QVERIFY(done != before); // it did write when not killed
        for (int k = 0; k < points; ++k) {
            QVERIFY(setUp());
            QCOMPARE(runAndKill(mode, hpa, k), k);
            // What the next build does first.
            safefile::recoverSets(dir.path());
            auto after = faults::folderBytes(dir.path());
            // What the killed program was still writing may stay for now; hidden, never read.
            for (auto it = after.begin(); it != after.end();)
                it = it.key().startsWith('.') && (it.key().contains(".tyx-") || it.key().contains(".tyxdir-")) ? after.erase(it)
                                                                                                              : std::next(it);
            QVERIFY2(after == before, qPrintable(QStringLiteral("point %1").arg(k)));
            // The next write of the same files leaves nothing of the killed one.
            QCOMPARE(runAndKill(mode, hpa, 1000), points);
            QVERIFY2(faults::folderBytes(dir.path()) == done, qPrintable(QStringLiteral("point %1").arg(k)));
            QCOMPARE(hidden(dir.path()), QStringList());
        }
    }

    // Killed between the renames of its build files, a build leaves a journal that the next build
    // in the folder replays: only while the files are still the ones it left, and it says so.
    void staleJournalPutsBackOnlyUntouchedSets_data()
    {
        QTest::addColumn<QString>("change"); // what happens between the kill and the next build
        QTest::addColumn<QString>("changed"); // the file the next build finds changed, if any
        QTest::newRow("nothing") << QString() << QString();
        QTest::newRow("topic file edited by hand") << "p.rtf" << "p.rtf";
        QTest::newRow("project file edited by hand") << "p.hpj" << "p.hpj";
        QTest::newRow("help file rebuilt by tyxhlpc") << "tyxhlpc" << "p.hlp";
    }
    void staleJournalPutsBackOnlyUntouchedSets()
    {
        QFETCH(QString, change);
        QFETCH(QString, changed);
        QTemporaryDir dir;
        const QString hpa = dir.filePath("p.hpa");
        // The earlier build, of another title: its three files are the old set.
        QStringList lines = workedexample::projectLines();
        lines[lines.indexOf(QStringLiteral("Accueil") + QChar(1))] = QStringLiteral("Ancien accueil") + QChar(1);
        QVERIFY(textfile::writeLines(hpa, lines));
        QCOMPARE(clitest::runProgram(QStringLiteral(TYXBUILD_EXE), {hpa}).code, 0);
        QMap<QString, QByteArray> old;
        for (const QString name : {"p.hpj", "p.rtf", "p.hlp"})
            old[name] = testfile::read(dir.filePath(name));
        QVERIFY(textfile::writeLines(hpa, workedexample::projectLines()));
        QVERIFY(textfile::writeLines(dir.filePath("q.hpa"), workedexample::projectLines()));
        const auto setUp = [&] {
            bool ok = true;
            for (auto it = old.cbegin(); it != old.cend(); ++it)
                ok = ok && QFile::remove(dir.filePath(it.key())) && testfile::write(dir.filePath(it.key()), it.value());
            return ok;
        };
        // The point between the two renames: the new .hpj in place, the old .rtf still there.
        int between = -1;
        QByteArray newHpj;
        for (int k = 0; between < 0 && k < 100; ++k) {
            QVERIFY(setUp());
            QCOMPARE(runAndKill("build", hpa, k), k);
            if (testfile::read(dir.filePath("p.hpj")) != old["p.hpj"] && testfile::read(dir.filePath("p.rtf")) == old["p.rtf"])
                between = k;
            newHpj = testfile::read(dir.filePath("p.hpj"));
            clear(dir.path(), QStringLiteral(".p."));
        }
        QVERIFY(between > 0);
        QVERIFY(setUp());
        QCOMPARE(runAndKill("build", hpa, between), between);
        if (change == "tyxhlpc")
            QCOMPARE(clitest::runProgram(QStringLiteral(TYXHLPC_EXE), {dir.filePath("p.hpj")}).code, 0);
        else if (!change.isEmpty())
            QVERIFY(testfile::write(dir.filePath(change), "modifié à la main")); // in place, as many editors do
        QMap<QString, QByteArray> now;
        for (auto it = old.cbegin(); it != old.cend(); ++it)
            now[it.key()] = testfile::read(dir.filePath(it.key()));

        const clitest::Run next = clitest::runProgram(QStringLiteral(TYXBUILD_EXE), {dir.filePath("q.hpa")});
        QCOMPARE(next.code, 0);
        for (auto it = old.cbegin(); it != old.cend(); ++it)
            QCOMPARE(testfile::read(dir.filePath(it.key())), changed.isEmpty() ? it.value() : now[it.key()]);
        QVERIFY2(next.err.contains(changed.isEmpty()
                     ? QStringLiteral("avertissement : une écriture interrompue (programme arrêté) avait remplacé « p.hpj » : "
                                      "il est remis tel qu'il était avant elle.")
                     : QStringLiteral("avertissement : une écriture interrompue (programme arrêté) de « p.hpj », « p.rtf », "
                                      "« p.cnt » n'est pas défaite : « %1 » a changé depuis ; les fichiers restent tels qu'ils sont.")
                           .arg(changed)),
            qPrintable(next.err));
        QCOMPARE(hidden(dir.path()), QStringList());
    }

    // The hidden file of a writer at work is never taken for a leftover; once its writer is dead,
    // the next write of the same file removes it.
    void liveWritersFileIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString hpa = dir.filePath("p.hpa");
        QVERIFY(textfile::writeLines(hpa, workedexample::projectLines()));
        QProcess victim;
        victim.start(QStringLiteral(SAVE_VICTIM_EXE), {"save", hpa, "1"}); // stops while writing its file
        QVERIFY(victim.waitForReadyRead(30000));
        QCOMPARE(hidden(dir.path()).size(), 1);
        const QStringList live = hidden(dir.path());
        QVERIFY(safefile::write(hpa, "une autre écriture"));
        QCOMPARE(hidden(dir.path()), live);
        victim.kill();
        victim.waitForFinished();
        QVERIFY(safefile::write(hpa, "encore une"));
        QCOMPARE(hidden(dir.path()), QStringList());
        QCOMPARE(testfile::read(hpa), QByteArray("encore une"));
    }
};

TYX_TEST(KillDuringSaveTest);
#include "KillDuringSaveTest.moc"
