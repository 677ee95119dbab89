// A program killed at any point of a save: the project file is the old one byte for byte; killed
// at any point of writing the build files, the old .hpj and .rtf are there again once the next
// build in the folder has put back what the killed one left half done.
#include "publish/WorkedExample.h"
#include "platform/core/SafeFile.h"
#include "platform/core/TextFile.h"
#include "support/FaultPoints.h"
#include "support/TestRegistry.h"

#include <QDir>
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

} // namespace

class KillDuringSaveTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killAtEveryPointKeepsTheOldFiles_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("old"); // files that exist before, beside p.hpa
        QTest::newRow("save") << "save" << QStringList{};
        QTest::newRow("build over an old build") << "build" << QStringList{"p.hpj", "p.rtf"};
        QTest::newRow("first build") << "build" << QStringList{};
    }
    void killAtEveryPointKeepsTheOldFiles()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, old);
        QTemporaryDir dir;
        const QString hpa = dir.filePath("p.hpa");
        const auto setUp = [&] {
            for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
                QFile::remove(dir.filePath(name));
            bool ok = textfile::writeLines(hpa, workedexample::projectLines());
            for (const QString& name : old)
                ok = ok && textfile::writeBytes(dir.filePath(name), "ancien " + name.toLatin1());
            return ok;
        };
        QVERIFY(setUp());
        const auto before = faults::folderBytes(dir.path());
        const int points = runAndKill(mode, hpa, 1000);
        QVERIFY(points > 0);
        QVERIFY(faults::folderBytes(dir.path()) != before); // it did write when not killed
        for (int k = 0; k < points; ++k) {
            QVERIFY(setUp());
            QCOMPARE(runAndKill(mode, hpa, k), k);
            // What the next build does first.
            safefile::recoverSets(dir.path());
            auto after = faults::folderBytes(dir.path());
            // A temporary file the killed program was still writing may stay; hidden, never read.
            for (auto it = after.begin(); it != after.end();)
                it = it.key().startsWith('.') && it.key().contains(".tyx-") ? after.erase(it) : std::next(it);
            QVERIFY2(after == before, qPrintable(QStringLiteral("point %1").arg(k)));
        }
    }
};

TYX_TEST(KillDuringSaveTest);
#include "KillDuringSaveTest.moc"
