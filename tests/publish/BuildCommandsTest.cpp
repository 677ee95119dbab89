#include "publish/windows/BuildCommands.h"
#include "publish/windows/FixerHcp.h"
#include "platform/core/Launcher.h"
#include "platform/core/TextFile.h"
#include "store/core/DocumentStore.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TopicRecord.h"
#include "support/FaultPoints.h"
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

namespace {

QStringList twoTopics(const QString& projectFile)
{
    QStringList lines;
    store::EcritHpj(lines, projectFile);
    store::TopicFields a;
    a.title = QStringLiteral("Accueil");
    store::TopicFields b;
    b.title = QStringLiteral("Suite");
    return lines + store::topicBlock(0, a) + store::topicBlock(1, b);
}

QString makeProgram(const QString& path, bool executable)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot create %s", qPrintable(path));
    f.write("#!/bin/sh\n");
    f.close();
    QFile::Permissions perms = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        perms |= QFile::ExeOwner;
    f.setPermissions(perms);
    return path;
}

QStringList fileLines(const QString& path)
{
    QStringList lines;
    textfile::readLines(path, lines);
    return lines;
}

// Observes what would be started instead of starting it.
struct Recorder {
    QList<launcher::Start> starts;
    Recorder()
    {
        launcher::setRecorder([this](const launcher::Start& s) {
            starts << s;
            return true;
        });
    }
    ~Recorder() { launcher::setRecorder({}); }
};

BuildOutcome run(const BuildCommands& b, QStringList& lines, int pages, const QString& project, const QString& compiler)
{
    return b.Compiler2Click(lines, pages, 0, store::FieldLook{}, store::FieldLook{}, project, compiler);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

publish::hlpviewer::Probe probeWith(const QStringList& onPath, const QString& mimeDefault = {})
{
    publish::hlpviewer::Probe p;
    p.findProgram = [onPath](const QString& name) {
        return onPath.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
    };
    p.queryOutput = [mimeDefault](const QString&, const QStringList&) { return mimeDefault; };
    return p;
}
} // namespace

class BuildCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { savedDir_ = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(savedDir_); }

    void buildWritesBothFilesAndStartsCompiler()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        const QString compiler = makeProgram(dir.filePath(QStringLiteral("hc")), true);
        QStringList lines = twoTopics(folder + QStringLiteral("DEMO.HPA"));
        Recorder rec;
        BuildCommands b;
        const BuildOutcome out = run(b, lines, 2, folder + QStringLiteral("DEMO.HPA"), compiler);
        QVERIFY2(out.ok, qPrintable(out.message));
        QVERIFY(fileBytes(folder + QStringLiteral("DEMO.rtf")).contains("{ IDH_Suite}}"));
        const QStringList hpj = fileLines(folder + QStringLiteral("DEMO.hpj"));
        QCOMPARE(hpj.mid(hpj.indexOf(QStringLiteral("[MAP]"))),
            (QStringList{"[MAP]", "IDH_Accueil\t1", "IDH_Suite\t2"}));
        QVERIFY(lines.contains(QStringLiteral("IDH_Suite\t2"))); // [MAP] refreshed in the document
        QCOMPARE(rec.starts.size(), 1);
        QCOMPARE(rec.starts[0].program, compiler);
        QCOMPARE(rec.starts[0].arguments, QStringList{QStringLiteral("DEMO.hpj")});
        QCOMPARE(rec.starts[0].workingDirectory, folder);

        // Again: both files rewritten, the compiler started again.
        QFile::remove(folder + QStringLiteral("DEMO.hpj"));
        QFile::remove(folder + QStringLiteral("DEMO.rtf"));
        QVERIFY(run(b, lines, 2, folder + QStringLiteral("DEMO.HPA"), compiler).ok);
        QVERIFY(QFile::exists(folder + QStringLiteral("DEMO.hpj")));
        QVERIFY(QFile::exists(folder + QStringLiteral("DEMO.rtf")));
        QCOMPARE(rec.starts.size(), 2);
    }

    void unnamedDocumentBuildsInCurrentFolder()
    {
        QTemporaryDir dir;
        const QString compiler = makeProgram(dir.filePath(QStringLiteral("hc")), true);
        QVERIFY(QDir::setCurrent(dir.path()));
        QStringList lines = twoTopics(QString());
        Recorder rec;
        BuildCommands b;
        QVERIFY(run(b, lines, 2, QString(), compiler).ok);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral(".hpj"))));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral(".rtf"))));
        QCOMPARE(rec.starts.size(), 1);
        QCOMPARE(rec.starts[0].arguments, QStringList{QStringLiteral(".hpj")});
        QCOMPARE(rec.starts[0].workingDirectory, QString());
    }

    void titleChangedJustBeforeBuild()
    {
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("demo.hpa"));
        store::DocumentStore doc;
        doc.ProjectFileName = project;
        doc.createEmpty(store::FieldLook{}, store::FieldLook{});
        doc.DocumentLines << store::topicBlock(0, store::TopicFields{QStringLiteral("Ancien titre"), {}, {}, 1, {}});
        store::TopicFields f;
        QVERIFY(doc.readPage(f));
        f.title = QStringLiteral("Nouveau titre"); // typed, then F9: the caller stores the page first
        doc.PageModified = true;
        doc.writePage(f, false);
        Recorder rec;
        BuildCommands b;
        run(b, doc.DocumentLines, doc.PageCount, project, makeProgram(dir.filePath(QStringLiteral("hc")), true));
        const QStringList hpj = fileLines(dir.filePath(QStringLiteral("demo.hpj")));
        QVERIFY(hpj.contains(QStringLiteral("IDH_Nouveautitre\t1")));
        QVERIFY(!hpj.join(QLatin1Char('\n')).contains(QStringLiteral("Ancien")));
        const QByteArray rtf = fileBytes(dir.filePath(QStringLiteral("demo.rtf")));
        QVERIFY(rtf.contains("#}{ IDH_Nouveautitre}}"));
        QVERIFY(!rtf.contains("Ancien"));
    }

    void compilerProblems_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        QTest::newRow("missing") << "missing" << "introuvable";
        QTest::newRow("not executable") << "plain" << "n'est pas un programme exécutable";
        QTest::newRow("a folder") << "folder" << "est un dossier";
    }
    void compilerProblems()
    {
        QFETCH(QString, kind);
        QFETCH(QString, says);
        QTemporaryDir dir;
        QString compiler = dir.filePath(QStringLiteral("absent/hc"));
        if (kind == QLatin1String("plain"))
            compiler = makeProgram(dir.filePath(QStringLiteral("hc.txt")), false);
        else if (kind == QLatin1String("folder"))
            compiler = dir.path();
        QStringList lines = twoTopics(QString());
        Recorder rec;
        BuildCommands b;
        const BuildOutcome out = run(b, lines, 2, dir.filePath(QStringLiteral("demo.hpa")), compiler);
        QVERIFY(!out.ok);
        QVERIFY2(out.message.contains(says), qPrintable(out.message));
        QVERIFY(rec.starts.isEmpty());
        // No compiler ran: the folder keeps the last build's files (here, none).
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("demo.hpj"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("demo.rtf"))));
    }

    void windowsCompilerGoesThroughWine()
    {
        QTemporaryDir dir;
        const QString exe = makeProgram(dir.filePath(QStringLiteral("HCW.EXE")), false);
        QStringList lines = twoTopics(QString());
        Recorder rec;
        BuildCommands b;
        const BuildOutcome out = run(b, lines, 2, dir.filePath(QStringLiteral("demo.hpa")), exe);
        if (launcher::findOnPath(QStringLiteral("wine")).isEmpty()) {
            QVERIFY(!out.ok);
            QVERIFY(out.message.contains(QStringLiteral("Wine n'est pas installé")));
            QVERIFY(rec.starts.isEmpty());
        } else {
            QVERIFY2(out.ok, qPrintable(out.message));
            QCOMPARE(rec.starts.size(), 1);
            const launcher::Start real = launcher::resolve(rec.starts[0]);
            QCOMPARE(real.arguments, (QStringList{exe, QStringLiteral("demo.hpj")}));
            QCOMPARE(real.workingDirectory, dir.path() + QLatin1Char('/'));
        }
    }

    // Files that cannot be written: nothing is started on stale input, and the message says why.
    void unwritableFilesStartNoCompiler_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<bool>("projectBlock");
        QTest::addColumn<QString>("says");
        QTest::newRow("missing folder") << "pas/la/demo.hpa" << true << QString::fromUtf8("fichier ou dossier introuvable");
        QTest::newRow("no project block") << "demo.hpa" << false << QString::fromUtf8("n'a pas de bloc projet");
    }
    void unwritableFilesStartNoCompiler()
    {
        QFETCH(QString, project);
        QFETCH(bool, projectBlock);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString compiler = makeProgram(dir.filePath(QStringLiteral("hc")), true);
        QStringList lines = projectBlock ? twoTopics(QString()) : QStringList{QStringLiteral("<HEADER>"), QStringLiteral("</HEADER>")};
        Recorder rec;
        BuildCommands b;
        const BuildOutcome out = run(b, lines, 2, dir.filePath(project), compiler);
        QVERIFY(!out.ok);
        QVERIFY2(out.message.contains(says), qPrintable(out.message));
        QVERIFY(rec.starts.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("demo.hpj"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("demo.rtf"))));
    }

    // A write failure at any point of the build leaves the .hpj and .rtf of the last build byte
    // for byte, starts nothing, and says why in French.
    void writeFailureAtEveryPointKeepsTheOldSet()
    {
        QTemporaryDir dir;
        const QString hpj = dir.filePath(QStringLiteral("demo.hpj")), rtf = dir.filePath(QStringLiteral("demo.rtf"));
        const QString compiler = makeProgram(dir.filePath(QStringLiteral("hc")), true);
        QStringList lines = twoTopics(QString());
        const auto oldSet = [&] {
            QFile a(hpj), r(rtf);
            return a.open(QIODevice::WriteOnly) && a.write("ancien hpj") > 0 && r.open(QIODevice::WriteOnly) && r.write("ancien rtf") > 0;
        };
        QVERIFY(oldSet());
        const QList<faults::Point> points = faults::record([&] {
            Recorder rec;
            QVERIFY(run(BuildCommands(), lines, 2, dir.filePath(QStringLiteral("demo.hpa")), compiler).ok);
        });
        QVERIFY(fileBytes(rtf).startsWith("{\\rtf1"));
        QVERIFY(points.size() >= 10); // two files created, written, synced, closed, kept, renamed
        for (int i = 0; i < points.size(); ++i) {
            QVERIFY(oldSet());
            const auto before = faults::folderBytes(dir.path());
            Recorder rec;
            BuildOutcome out;
            {
                const faults::Inject fault(i, ENOSPC);
                out = run(BuildCommands(), lines, 2, dir.filePath(QStringLiteral("demo.hpa")), compiler);
            }
            QVERIFY2(!out.ok, faults::stepName(points[i].step));
            QVERIFY2(out.message.contains(QString::fromUtf8("disque plein")), qPrintable(out.message));
            QVERIFY(rec.starts.isEmpty());
            QCOMPARE(faults::folderBytes(dir.path()), before);
        }
    }

    // When the built-in compile fails, the .hpj and .rtf it was given go back to the last build's:
    // the three files stay one set.
    void failedCompilePutsTheOldFilesBack()
    {
        QTemporaryDir dir;
        const QString hpj = dir.filePath(QStringLiteral("demo.hpj"));
        QVERIFY(textfile::writeBytes(hpj, "ancien hpj"));
        const auto before = faults::folderBytes(dir.path());
        QStringList lines = twoTopics(QString());
        BuildCommands b;
        QByteArray seen;
        b.builtInCompiler = [&](const QString& path, QString* message) {
            seen = fileBytes(path);
            *message = QString::fromUtf8("Le fichier d'aide n'a pas été écrit.");
            return false;
        };
        const BuildOutcome out = run(b, lines, 2, dir.filePath(QStringLiteral("demo.hpa")), QString());
        QVERIFY(seen.startsWith("[OPTIONS]")); // the compiler was given the new files
        QVERIFY(!out.ok);
        QVERIFY2(out.message.contains(QString::fromUtf8("remis tels qu'ils étaient")), qPrintable(out.message));
        QCOMPARE(faults::folderBytes(dir.path()), before);
    }

    void emptyPathUsesBuiltInCompiler_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("hooked");
        QTest::newRow("built in") << "" << true;
        QTest::newRow("blank counts as empty") << "   " << true;
        QTest::newRow("nothing wired") << "" << false;
    }
    void emptyPathUsesBuiltInCompiler()
    {
        QFETCH(QString, path);
        QFETCH(bool, hooked);
        QTemporaryDir dir;
        QStringList lines = twoTopics(QString());
        Recorder rec;
        QStringList compiled;
        BuildCommands b;
        if (hooked) {
            b.builtInCompiler = [&](const QString& hpj, QString* message) {
                compiled << hpj;
                *message = QStringLiteral("Fichier d'aide créé.");
                return QFile::exists(hpj);
            };
        }
        const BuildOutcome out = run(b, lines, 2, dir.filePath(QStringLiteral("demo.hpa")), path);
        QVERIFY(rec.starts.isEmpty());
        QCOMPARE(out.ok, hooked);
        if (hooked) {
            QCOMPARE(compiled, QStringList{dir.filePath(QStringLiteral("demo.hpj"))});
            QCOMPARE(out.message, QStringLiteral("Fichier d'aide créé."));
        } else {
            QVERIFY(out.message.contains(QStringLiteral("Aucun compilateur")));
        }
    }

    void view_data()
    {
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<QString>("mimeDefault");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QStringList>("started"); // program then arguments; empty: nothing started
        QTest::addColumn<QString>("says");
        QTest::newRow("desktop default") << QStringList{"xdg-mime", "xdg-open", "wine"} << "viewer.desktop" << true
                                         << QStringList{"/usr/bin/xdg-open", "DEMO.hlp"} << "";
        QTest::newRow("wine viewer") << QStringList{"xdg-mime", "xdg-open", "wine"} << "" << true
                                     << QStringList{"/usr/bin/wine", "winhlp32", "DEMO.hlp"} << "";
        QTest::newRow("no viewer") << QStringList{} << "" << true << QStringList{} << "Aucun programme";
        QTest::newRow("not built yet") << QStringList{"wine"} << "" << false << QStringList{} << "n'existe pas";
    }
    void view()
    {
        QFETCH(QStringList, onPath);
        QFETCH(QString, mimeDefault);
        QFETCH(bool, exists);
        QFETCH(QStringList, started);
        QFETCH(QString, says);
        QTemporaryDir dir;
        if (exists)
            makeProgram(dir.filePath(QStringLiteral("DEMO.hlp")), false);
        Recorder rec;
        BuildCommands b;
        b.probe = probeWith(onPath, mimeDefault);
        const BuildOutcome out = b.voirfichierhlp1Click(dir.filePath(QStringLiteral("DEMO.HPA")));
        QCOMPARE(out.ok, !started.isEmpty());
        QVERIFY2(out.message.contains(says), qPrintable(out.message));
        if (started.isEmpty()) {
            QVERIFY(rec.starts.isEmpty());
            return;
        }
        QCOMPARE(rec.starts.size(), 1);
        QCOMPARE(QStringList{rec.starts[0].program} + rec.starts[0].arguments, started);
        QCOMPARE(rec.starts[0].workingDirectory, dir.path() + QLatin1Char('/'));
    }

    void helpCommands_data()
    {
        QTest::addColumn<int>("command"); // 0 contents, 1 search, 2 help on help
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<QStringList>("started");
        QTest::newRow("contents") << 0 << QStringList{"wine"} << QStringList{"/usr/bin/wine", "winhlp32", "TyxHelp.hlp"};
        QTest::newRow("search") << 1 << QStringList{"wine"} << QStringList{"/usr/bin/wine", "winhlp32", "TyxHelp.hlp"};
        QTest::newRow("help on help, winhelp") << 2 << QStringList{"wine"} << QStringList{"/usr/bin/wine", "winhlp32"};
        QTest::newRow("help on help, desktop") << 2 << QStringList{"xdg-mime", "xdg-open"}
                                               << QStringList{"/usr/bin/xdg-open", "TyxHelp.hlp"};
    }
    void helpCommands()
    {
        QFETCH(int, command);
        QFETCH(QStringList, onPath);
        QFETCH(QStringList, started);
        QTemporaryDir dir;
        const QString helpFile = BuildCommands::ownHelpFile(dir.path());
        QCOMPARE(helpFile, dir.filePath(QStringLiteral("TyxHelp.hlp")));
        makeProgram(helpFile, false);
        Recorder rec;
        BuildCommands b;
        b.probe = probeWith(onPath, QStringLiteral("viewer.desktop"));
        const BuildOutcome out = command == 0 ? b.HContents(helpFile)
            : command == 1                    ? b.HSearch(helpFile)
                                              : b.HowToUse(helpFile);
        QVERIFY2(out.ok, qPrintable(out.message));
        QCOMPARE(rec.starts.size(), 1);
        QCOMPARE(QStringList{rec.starts[0].program} + rec.starts[0].arguments, started);
    }

    void missingHelpFileIsSaid()
    {
        QTemporaryDir dir;
        Recorder rec;
        BuildCommands b;
        b.probe = probeWith({QStringLiteral("wine")});
        const BuildOutcome out = b.HContents(BuildCommands::ownHelpFile(dir.path()));
        QVERIFY(!out.ok);
        QVERIFY(out.message.contains(QStringLiteral("introuvable")));
        QVERIFY(rec.starts.isEmpty());
    }

    void fixerDialog()
    {
        TFixerHcp d;
        QCOMPARE(d.objectName(), QStringLiteral("TFixerHcp"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Fixer le compilateur"));
        QCOMPARE(d.size(), QSize(440, 160));
        QCOMPARE(d.Label1->text(), QStringLiteral("Chemin du compilateur"));
        QCOMPARE(d.Edit1->width(), 360);
        QVERIFY(d.Label2->text().contains(QStringLiteral("vide")));
        QVERIFY(d.Label2->text().contains(QStringLiteral("compilateur intégré")));
    }

    void fixerShowings_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("how"); // 0 OK, 1 Annuler, 2 Esc, 3 Enter in the field
        QTest::addColumn<QString>("after");
        QTest::newRow("OK takes the text") << "/old/hc" << "/new/hc" << 0 << "/new/hc";
        QTest::newRow("OK with empty field empties") << "/old/hc" << "" << 0 << "";
        QTest::newRow("Annuler keeps") << "/old/hc" << "/new/hc" << 1 << "/old/hc";
        QTest::newRow("Esc keeps") << "/old/hc" << "" << 2 << "/old/hc";
        QTest::newRow("Enter does not confirm") << "/old/hc" << "/new/hc" << 3 << "/old/hc";
    }
    void fixerShowings()
    {
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(int, how);
        QFETCH(QString, after);
        ScriptedPrompts p;
        TFixerHcp d;
        QString path = QStringLiteral("/first");
        p.dialogs.enqueue([](QDialog& dlg) { // an earlier confirmed showing
            dlg.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
            return dlg.result();
        });
        QVERIFY(BuildCommands::Fixerlecompilateur1Click(d, path));
        path = before;
        QString shown;
        p.dialogs.enqueue([&shown, typed, how](QDialog& dlg) {
            auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("Edit1"));
            shown = edit->text();
            edit->setText(typed);
            if (how == 0)
                dlg.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
            else if (how == 1)
                dlg.findChild<QPushButton*>(QStringLiteral("Button3"))->click();
            else if (how == 2)
                QTest::keyClick(&dlg, Qt::Key_Escape);
            else {
                dlg.show();
                edit->setFocus();
                QTest::keyClick(edit, Qt::Key_Return);
                dlg.hide();
            }
            return dlg.result();
        });
        BuildCommands::Fixerlecompilateur1Click(d, path);
        QCOMPARE(shown, before);
        QCOMPARE(path, after);
    }

    void fixerShowsEmptyPathToo()
    {
        TFixerHcp d;
        d.Init(QStringLiteral("/x/hc"));
        d.Init(QString());
        QCOMPARE(d.Edit1->text(), QString());
    }

    void fixerBrowse()
    {
        ScriptedPrompts p;
        TFixerHcp d;
        d.Init(QStringLiteral("/opt/hc/hcrtf.exe"));
        p.fileNames.enqueue(QStringLiteral("/opt/hcw/HCW.EXE"));
        d.Button1->click();
        QCOMPARE(d.Edit1->text(), QStringLiteral("/opt/hcw/HCW.EXE"));
        d.Button1->click(); // cancelled
        QCOMPARE(d.Edit1->text(), QStringLiteral("/opt/hcw/HCW.EXE"));
        QCOMPARE(p.filters.value(0), QStringLiteral("Fichiers exe (*.exe)|*.exe|Tous les fichiers (*.*)|*.*"));
        QCOMPARE(p.initialNames, (QStringList{"/opt/hc/hcrtf.exe", "/opt/hcw/HCW.EXE"}));
    }

private:
    QString savedDir_;
};

TYX_TEST(BuildCommandsTest);
#include "BuildCommandsTest.moc"
