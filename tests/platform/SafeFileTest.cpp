#include "platform/core/SafeFile.h"
#include "platform/core/TextDecode.h"
#include "platform/core/TextFile.h"
#include "support/FaultPoints.h"
#include "support/FileBytes.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

// Several pieces long, every byte value in it.
QByteArray bigBytes()
{
    QByteArray b;
    for (qsizetype i = 0; i < 3 * safefile::WritePiece + 17; ++i)
        b.append(char(i * 7 % 256));
    return b;
}

} // namespace

class SafeFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writeFaultAtEveryPointKeepsOldFile_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("disk full") << ENOSPC << QString::fromUtf8("disque plein");
        QTest::newRow("access") << EACCES << QString::fromUtf8("accès refusé");
        QTest::newRow("i/o") << EIO << QString::fromUtf8("erreur de lecture ou d'écriture sur le disque");
        QTest::newRow("quota") << EDQUOT << QString::fromUtf8("quota de disque dépassé");
        QTest::newRow("unnamed error") << 4000 << QString::fromUtf8("erreur système n° 4000");
    }
    void writeFaultAtEveryPointKeepsOldFile()
    {
        QFETCH(int, error);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath("projet.hpa");
        const QByteArray old("ancien\r\ncontenu\r\n");
        QVERIFY(testfile::write(path, old));
        const QByteArray fresh = bigBytes();
        const QList<faults::Point> points = faults::record([&] { QVERIFY(safefile::write(path, fresh)); });
        QCOMPARE(bytesOf(path), fresh);
        // Create, four pieces, sync, close, rename.
        QCOMPARE(points.size(), 8);
        for (int i = 0; i < points.size(); ++i) {
            QVERIFY(testfile::write(path, old));
            const auto before = faults::folderBytes(dir.path());
            QString why;
            {
                const faults::Inject fault(i, error);
                QVERIFY2(!safefile::write(path, fresh, &why), faults::stepName(points[i].step));
            }
            QCOMPARE(why, reason);
            QCOMPARE(faults::folderBytes(dir.path()), before);
        }
    }

    // A real failure from the system, no seam: a file size limit makes the kernel stop the write
    // part way, as a full disk does.
    void realShortWriteKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("aide.rtf");
        const QByteArray old(100, 'a');
        QVERIFY(testfile::write(path, old));
        rlimit saved {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 4096;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString why;
        const bool written = textfile::writeBytes(path, QByteArray(10000, 'b'), &why);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QVERIFY(!written);
        QCOMPARE(why, QString::fromUtf8("fichier trop grand"));
        QCOMPARE(faults::folderBytes(dir.path()), (QMap<QString, QByteArray>{{"aide.rtf", old}}));
    }

    void notRegularFilesAreRefusedAtOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        const QString notFile = QString::fromUtf8("ce n'est pas un fichier ordinaire (tube, périphérique ou autre)");
        QTest::newRow("fifo") << "fifo" << notFile;
        QTest::newRow("device") << "device" << notFile;
        QTest::newRow("folder") << "folder" << QString::fromUtf8("c'est un dossier");
        QTest::newRow("missing") << "missing" << QString::fromUtf8("fichier ou dossier introuvable");
    }
    void notRegularFilesAreRefusedAtOnce()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString path = dir.filePath("x.hpa");
        if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "device")
            path = "/dev/zero"; // never ends
        else if (kind == "folder")
            QVERIFY(QDir(dir.path()).mkdir("x.hpa"));
        QElapsedTimer clock;
        clock.start();
        QByteArray bytes("inchangé");
        QString why;
        QVERIFY(!safefile::read(path, bytes, &why));
        QCOMPARE(why, reason);
        QCOMPARE(bytes, QByteArray("inchangé"));
        QStringList lines;
        QVERIFY(!textfile::readLines(path, lines, &why));
        QCOMPARE(why, reason);
        textdecode::Decoded decoded; // the text import and the text viewer
        QVERIFY(!textdecode::readFile(path, decoded, &why));
        QCOMPARE(why, reason);
        if (kind != "missing")
            QCOMPARE(safefile::notRegularFile(path), reason);
        // Writing over it is refused too (a device is left out: a fault there would be costly).
        if (kind == "fifo" || kind == "folder") {
            QVERIFY(!safefile::write(path, "x", &why));
            QCOMPARE(why, reason);
        }
        QVERIFY(clock.elapsed() < 10000); // did not wait for a writer
    }

    void writeGoesThroughLinkAndKeepsPermissions()
    {
        QTemporaryDir dir;
        const QString real = dir.filePath("vrai.hpa");
        const QString link = dir.filePath("lien.hpa");
        QVERIFY(testfile::write(real, "a"));
        QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(QFile::link(real, link));
        QVERIFY(safefile::write(link, "neuf"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(bytesOf(real), QByteArray("neuf"));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(real).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0640));
        QCOMPARE(faults::folderBytes(dir.path()).size(), 2);
    }

    // Two old files and one new: any failure of a set leaves exactly the old files.
    void fileSetFaultAtEveryPointLeavesOldSet()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath("p.hpj"), b = dir.filePath("p.rtf"), c = dir.filePath("p.hlp");
        const auto writeOld = [&] { return testfile::write(a, "ancien hpj") && testfile::write(b, "ancien rtf") && (QFile::remove(c) || !QFile::exists(c)); };
        const auto commitSet = [&](QString* why) {
            safefile::FileSet set;
            const bool ok = set.add(a, "nouveau hpj") && set.add(b, bigBytes()) && set.add(c, "nouveau hlp") && set.commit();
            if (why)
                *why = set.failedPath() + " : " + set.error();
            return ok;
        };
        QVERIFY(writeOld());
        const QList<faults::Point> points = faults::record([&] { QVERIFY(commitSet(nullptr)); });
        QCOMPARE(bytesOf(c), QByteArray("nouveau hlp"));
        QCOMPARE(faults::folderBytes(dir.path()).size(), 3); // no backup left behind
        QVERIFY(points.size() >= 16);
        for (int i = 0; i < points.size(); ++i) {
            QVERIFY(writeOld());
            const auto before = faults::folderBytes(dir.path());
            QString why;
            {
                const faults::Inject fault(i, ENOSPC);
                QVERIFY2(!commitSet(&why), faults::stepName(points[i].step));
            }
            QCOMPARE(why, points[i].path + QString::fromUtf8(" : disque plein"));
            QCOMPARE(faults::folderBytes(dir.path()), before);
        }
    }

    void fileSetRevertBringsOldFilesBack()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath("p.hpj"), b = dir.filePath("p.rtf");
        QVERIFY(testfile::write(a, "ancien"));
        const auto before = faults::folderBytes(dir.path());
        {
            safefile::FileSet set;
            QVERIFY(set.add(a, "neuf") && set.add(b, "neuf aussi") && set.commit());
            QCOMPARE(bytesOf(a), QByteArray("neuf"));
            QCOMPARE(bytesOf(b), QByteArray("neuf aussi"));
            QVERIFY(set.revert());
        }
        QCOMPARE(faults::folderBytes(dir.path()), before);
        {
            safefile::FileSet set;
            QVERIFY(set.add(a, "neuf") && set.commit());
            set.keep();
            QVERIFY(!set.revert()); // kept for good
        }
        QCOMPARE(faults::folderBytes(dir.path()), (QMap<QString, QByteArray>{{"p.hpj", "neuf"}}));
    }

    // When the old file cannot be put back, its bytes stay on disk under a name the message gives,
    // and the journal lets the next set in the folder finish the job.
    void failedRevertKeepsOldBytes()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath("p.hpj");
        QVERIFY(testfile::write(a, "ancien"));
        {
            safefile::FileSet set;
            QVERIFY(set.add(a, "neuf") && set.commit());
            safefile::setFaultHook([](safefile::Step s, const QString&) { return s == safefile::Step::Restore ? EIO : 0; });
            QVERIFY(!set.revert());
            safefile::setFaultHook({});
            QVERIFY2(set.error().contains(QString::fromUtf8("l'ancien fichier est gardé sous")), qPrintable(set.error()));
            QVERIFY(faults::folderBytes(dir.path()).values().contains("ancien"));
        }
        safefile::recoverSets(dir.path());
        QCOMPARE(faults::folderBytes(dir.path()), (QMap<QString, QByteArray>{{"p.hpj", "ancien"}}));
    }

    // A set whose program is still at work is left alone.
    void recoveryLeavesALiveSetAlone()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath("p.hpj");
        QVERIFY(testfile::write(a, "ancien"));
        safefile::FileSet set;
        QVERIFY(set.add(a, "neuf") && set.commit());
        safefile::recoverSets(dir.path());
        QCOMPARE(bytesOf(a), QByteArray("neuf"));
        set.keep();
        QCOMPARE(faults::folderBytes(dir.path()), (QMap<QString, QByteArray>{{"p.hpj", "neuf"}}));
    }

    // A folder written file by file (a help site): a failure at any point leaves the earlier
    // folder byte for byte and nothing beside it, with the reason in French.
    void newFolderFaultAtEveryPointKeepsOldFolder_data()
    {
        QTest::addColumn<bool>("earlier");
        QTest::addColumn<bool>("exchange");
        QTest::newRow("no earlier folder") << false << true;
        QTest::newRow("earlier folder") << true << true;
        QTest::newRow("earlier folder, file system without exchange") << true << false;
    }
    void newFolderFaultAtEveryPointKeepsOldFolder()
    {
        QFETCH(bool, earlier);
        QFETCH(bool, exchange);
        QTemporaryDir dir;
        const QString target = dir.filePath("aide");
        const auto writeOld = [&] {
            QDir(target).removeRecursively();
            return !earlier
                || (QDir().mkpath(target + "/images") && testfile::write(target + "/index.html", "ancien")
                    && testfile::write(target + "/images/a.png", "ancienne image"));
        };
        const auto writeNew = [&](QString* why) {
            safefile::NewFolder folder(target);
            return folder.open(why) && folder.add("index.html", bigBytes(), why) && folder.add("images/b.png", "image", why)
                && folder.add("x/y/z.html", "", why) && folder.commit(why);
        };
        // Points counted from 0; the one numbered `failAt` fails with ENOSPC. Without exchange, the
        // file system refuses the one-step swap first (not a point of its own).
        QList<faults::Point> seen;
        int count = 0, failAt = -1;
        bool asideDone = false;
        safefile::setFaultHook([&](safefile::Step step, const QString& path) {
            if (!exchange && step == safefile::Step::Rename && !asideDone)
                return EINVAL;
            asideDone = asideDone || step == safefile::Step::Backup;
            seen.append({step, path});
            return count++ == failAt ? ENOSPC : 0;
        });
        const auto unhook = qScopeGuard([] { safefile::setFaultHook({}); });
        QVERIFY(writeOld());
        QString why;
        QVERIFY2(writeNew(&why), qPrintable(why));
        const QMap<QString, QByteArray> written{{"aide/index.html", bigBytes()}, {"aide/images/b.png", "image"}, {"aide/x/y/z.html", ""}};
        QCOMPARE(faults::folderBytes(dir.path()), written);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"aide"});
        const QList<faults::Point> points = seen;
        QVERIFY(points.size() >= 9);
        // A folder is output the next build remakes: it never waits for the disk.
        QVERIFY(std::none_of(points.begin(), points.end(), [](const faults::Point& p) { return p.step == safefile::Step::Sync; }));
        for (int i = 0; i < points.size(); ++i) {
            QVERIFY(writeOld());
            const auto before = faults::folderBytes(dir.path());
            count = 0;
            asideDone = false;
            failAt = i;
            QVERIFY2(!writeNew(&why), faults::stepName(points[i].step));
            QCOMPARE(why, QString::fromUtf8("disque plein"));
            QCOMPARE(faults::folderBytes(dir.path()), before);
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                earlier ? QStringList{"aide"} : QStringList());
        }
    }

    // A name as long as a folder takes (255 bytes, whatever the characters) is written, as a file,
    // in a set and as a folder: the side files' names are cut to fit, never inside a character.
    void namesUpToTheLimit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain letters") << QString(255, u'n');
        QTest::newRow("two-byte letters") << QString(127, u'\u00e9') + "x";
        QTest::newRow("four-byte characters") << QString::fromUtf8("\xF0\x9F\x93\x98").repeated(63) + "abc";
    }
    void namesUpToTheLimit()
    {
        QFETCH(QString, name);
        QCOMPARE(QFile::encodeName(name).size(), 255);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QString why;
        QVERIFY2(safefile::write(path, "un", &why), qPrintable(why));
        QVERIFY2(safefile::write(path, "deux", &why), qPrintable(why));
        {
            safefile::FileSet set;
            QVERIFY2(set.add(path, "trois") && set.commit(), qPrintable(set.error()));
        }
        QCOMPARE(faults::folderBytes(dir.path()), (QMap<QString, QByteArray>{{name, "trois"}}));
        QVERIFY(QFile::remove(path));
        for (int round = 0; round < 2; ++round) { // new, then in the place of the earlier one
            safefile::NewFolder folder(path);
            QVERIFY2(folder.open(&why) && folder.add("index.html", "neuf", &why) && folder.commit(&why), qPrintable(why));
        }
        QCOMPARE(faults::folderBytes(dir.path()), (QMap<QString, QByteArray>{{name + "/index.html", "neuf"}}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{name});
    }

    // The next write of a file or a folder removes what dead writes of it left, by our own names
    // only: an earlier folder that stepped aside comes back when nothing took its place.
    void leftoversOfDeadWritesGo()
    {
        QTemporaryDir dir;
        const QStringList ours{".p.hpa.tyx-0123abcd", ".p.hpa.old-89abcdef", ".aide.tyxdir-Ab12cD/index.html"};
        const QStringList others{".p.hpa.tyx-0123abcg", ".p.hpa.tyx-0123abc", ".p.hpa.tyx-0123abcd.txt", ".p.hpa.tyxx-0123abcd",
            "p.hpa.tyx-0123abcd", ".q.hpa.tyx-0123abcd", ".aide-Ab12cD/index.html", ".aide.tyxdir-Ab12c/index.html"};
        for (const QString& name : ours + others)
            QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(name)).path()) && testfile::write(dir.filePath(name), "reste"));
        QVERIFY(QDir().mkpath(dir.filePath(".aide.old-0123abcd")) && testfile::write(dir.filePath(".aide.old-0123abcd/index.html"), "ancien"));
        QVERIFY(safefile::write(dir.filePath("p.hpa"), "projet"));
        QString why;
        safefile::NewFolder folder(dir.filePath("aide"));
        QVERIFY2(folder.open(&why), qPrintable(why));
        QCOMPARE(bytesOf(dir.filePath("aide/index.html")), QByteArray("ancien"));
        QVERIFY(folder.add("index.html", "neuf", &why) && folder.commit(&why));
        QMap<QString, QByteArray> left{{"p.hpa", "projet"}, {"aide/index.html", "neuf"}};
        for (const QString& name : others)
            left[name] = "reste";
        QCOMPARE(faults::folderBytes(dir.path()), left);
    }

    // A link to the folder stays a link, and the new folder is readable as any new folder is.
    void newFolderKeepsALinkAndUsualPermissions()
    {
        QTemporaryDir dir;
        const QString real = dir.filePath("vrai"), link = dir.filePath("aide");
        QVERIFY(QDir().mkpath(real) && testfile::write(real + "/ancien.html", "ancien"));
        QVERIFY(QFile::link(real, link));
        const mode_t mask = ::umask(027);
        QString why;
        bool written = false;
        {
            safefile::NewFolder folder(link);
            written = folder.open(&why) && folder.add("index.html", "neuf", &why) && folder.commit(&why);
        }
        ::umask(mask);
        QVERIFY2(written, qPrintable(why));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(faults::folderBytes(real), (QMap<QString, QByteArray>{{"index.html", "neuf"}}));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(real).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0750));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), (QStringList{"aide", "vrai"}));
    }
};

TYX_TEST(SafeFileTest);
#include "SafeFileTest.moc"
