// The main window's entries for search, import, export, printing and the text viewer.
#include "BodyKeys.h"
#include "ShellFixture.h"
#include "editor/core/ImportText.h"
#include "editor/windows/ImportProgress.h"
#include "editor/windows/SearchDialogs.h"
#include "publish/windows/TFichTxt.h"
#include "publish/windows/TextLinesView.h"
#include "support/FaultPoints.h"
#include "support/WidgetDriving.h"
#include "support/TestRegistry.h"

#include <QAction>
#include <QPushButton>
#include <QLineEdit>
#include <QDir>
#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

using Answer = Prompts::Answer;
Q_DECLARE_METATYPE(Prompts::Answer)

namespace {

const QString Exists = QString::fromUtf8("Ce fichier existe déjà");

QString fileText(const ShellFixture& f, const QString& name)
{
    return QString::fromLatin1(f.bytes(name));
}

void writeFile(const ShellFixture& f, const QString& name, const QByteArray& bytes)
{
    QFile out(f.path(name));
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
}

} // namespace

class MainFormSideTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The file dialogs of the side commands carry their own captions (none chosen: cancelled).
    void fileDialogTitles_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("title");
        QTest::newRow("export") << "Exporter1" << "Exporter";
        QTest::newRow("import") << "Importer1" << "Importer fichier";
        QTest::newRow("text viewer") << "Ouvrirunfichier1" << "Ouvrir fichier";
    }
    void fileDialogTitles()
    {
        QFETCH(QString, action);
        QFETCH(QString, title);
        ShellFixture f;
        f.main->findChild<QAction*>(action)->trigger();
        QCOMPARE(f.prompts.titles, QStringList{title});
    }

    void f3GoesOnWithTheSearch()
    {
        ShellFixture f;
        f.writeProject("p.hpa", {"Un", "Deux", "Trois"});
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        f.main->show();
        QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
        f.main->Rechercher1->trigger();
        TFindDialog* find = f.pages->FindDialog1;
        QVERIFY(find->isVisible());
        QTest::keyClicks(find->FindEdit, "CORPS");
        QTest::keyClick(find->FindEdit, Qt::Key_Return);
        QCOMPARE(f.pages->doc().CurrentPage, 0);
        find->hide();
        f.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        QCOMPARE(f.pages->doc().CurrentPage, 1);
        QCOMPARE(f.pages->Memo1->textCursor().selectedText(), QStringLiteral("corps"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        QCOMPARE(f.prompts.asked, QStringList{QString::fromUtf8("Chaîne not trouvée")});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        QCOMPARE(f.prompts.asked.size(), 2);
        QCOMPARE(f.pages->doc().CurrentPage, 2);
    }

    // The search goes on where it stopped whatever changed the document's lines in between: a save
    // rebuilds [MAP] above the topics, the options and the project file editor rewrite the project
    // block. F3 then shows the next occurrence, never the same one again.
    void f3GoesOnAfterTheLinesMoved_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("save") << "save";
        QTest::newRow("options") << "options";
        QTest::newRow("project file editor") << "hpj";
    }
    void f3GoesOnAfterTheLinesMoved()
    {
        QFETCH(QString, change);
        ShellFixture f;
        f.writeProject("p.hpa", {"Un", "Deux", "Trois"});
        QVERIFY(textfile::writeLines(f.path("p.hpj"), {"[OPTIONS]", "TITLE=Essai", "[WINDOWS]", "main=x", "[MAP]", "IDH_Un\t1"}));
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        f.main->Rechercher1->trigger();
        QTest::keyClicks(f.pages->FindDialog1->FindEdit, "corps");
        QTest::keyClick(f.pages->FindDialog1->FindEdit, Qt::Key_Return);
        f.pages->FindDialog1->hide();
        QCOMPARE(f.pages->doc().CurrentPage, 0);
        QVERIFY(f.showActive());
        const qsizetype before = f.pages->doc().DocumentLines.size();
        if (change == "save") {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
        } else {
            f.prompts.dialogs.enqueue([change](QDialog& d) {
                d.show();
                if (change == "options")
                    d.findChild<QLineEdit*>("Edit1")->setText("Aide de trois pages");
                d.findChild<QPushButton*>("Button1")->click();
                return d.result();
            });
            (change == "options" ? f.main->Options1 : f.main->Editerfichierhpj1)->trigger();
        }
        QVERIFY(f.pages->doc().DocumentLines.size() > before); // every topic line moved down
        QVERIFY(f.showActive());
        for (int page : {1, 2}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
            QCOMPARE(f.pages->doc().CurrentPage, page);
            QCOMPARE(f.pages->Memo1->textCursor().selectedText(), QStringLiteral("corps"));
        }
        QVERIFY(f.prompts.asked.isEmpty());
    }

    // Whatever key leaves the keyword field (Tab, or F3 that searches on), the keywords are stored
    // cleaned up; a digit in front stays (the level digit is written before the keywords).
    void keywordsAreCleanedWhenTheFieldIsLeft_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("Tab, a digit first") << int(Qt::Key_Tab) << "3D;10 touches" << "3D;10 touches";
        QTest::newRow("F3, spaces around a separator") << int(Qt::Key_F3) << " alpha ; beta" << "alpha;beta";
    }
    void keywordsAreCleanedWhenTheFieldIsLeft()
    {
        QFETCH(int, key);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        ShellFixture f;
        f.writeProject("p.hpa", {"Un", "Deux"});
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        f.pages->FindDialog1->setFindText("corps");
        QWidget* keywords = bodykeys::focusOn(f, f.pages->Edit2);
        QCOMPARE(keywords, f.pages->Edit2);
        QTest::keyClicks(keywords, typed);
        QTest::keyClick(keywords, Qt::Key(key));
        f.pages->Suivant();
        const auto& lines = f.pages->doc().DocumentLines;
        QCOMPARE(lines[store::findTag(lines, store::topicOpenTag(0)) + 1], "1" + kept + "\\");
    }

    void exportWritesTitlesAndBodies()
    {
        ShellFixture f;
        f.writeProject("p.hpa", {"A", "B"});
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        f.typeInBody(" vu"); // unsaved: the export stores the page first
        f.prompts.fileNames << f.path("pages.txt");
        f.main->Exporter1->trigger();
        QCOMPARE(f.prompts.filters.last(), QStringLiteral("Fichier texte (*.txt)|*.txt|Fichier rtf (*.rtf)|*.rtf"));
        QCOMPARE(f.prompts.initialNames.last(), QStringLiteral("*.txt"));
        QCOMPARE(fileText(f, "pages.txt"), QStringLiteral("A\r\ncorps A vu\r\nB\r\ncorps B\r\n"));
        QVERIFY(f.prompts.asked.isEmpty());
    }

    void exportAsksBeforeReplacing_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("OK") << Answer::Ok << true;
        QTest::newRow("Annuler") << Answer::Cancel << false;
    }
    void exportAsksBeforeReplacing()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, replaced);
        ShellFixture f;
        f.writeProject("p.hpa", {"A"});
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        writeFile(f, "old.txt", "ancien\r\n");
        f.prompts.fileNames << f.path("old.txt");
        f.prompts.answers << answer;
        f.main->Exporter1->trigger();
        QCOMPARE(f.prompts.asked, QStringList{Exists});
        QCOMPARE(fileText(f, "old.txt"), replaced ? QStringLiteral("A\r\ncorps A\r\n") : QStringLiteral("ancien\r\n"));
    }

    void exportNeverWritesOverTheProject()
    {
        ShellFixture f;
        f.writeProject("p.hpa", {"A"});
        const QByteArray before = f.bytes("p.hpa");
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        f.prompts.fileNames << f.path("p.hpa");
        f.prompts.answers << Answer::Ok;
        f.main->Exporter1->trigger();
        QCOMPARE(f.prompts.asked.size(), 1);
        QVERIFY(f.prompts.asked.first().contains(QString::fromUtf8("fichier du projet ouvert")));
        QCOMPARE(f.bytes("p.hpa"), before);
    }

    void exportToRtfInAnyLetterCase()
    {
        ShellFixture f;
        f.writeProject("p.hpa", {"Accueil", "Suite"});
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        f.typeInBody(" neuf");
        f.prompts.fileNames << f.path("sortie.RtF");
        f.main->Exporter1->trigger();
        const QByteArray rtf = f.bytes("sortie.RtF");
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QVERIFY(rtf.contains("corps Accueil neuf"));
        QVERIFY(rtf.contains("IDH_Suite"));
    }

    void exportFailureIsReported()
    {
        ShellFixture f;
        f.writeProject("p.hpa", {"A"});
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        QDir(f.dir.path()).mkdir("dossier.txt"); // a folder where the file should go
        f.prompts.fileNames << f.path("dossier.txt");
        f.prompts.answers << Answer::Ok;
        f.main->Exporter1->trigger();
        QCOMPARE(f.prompts.asked.size(), 2);
        QVERIFY(f.prompts.asked.last().startsWith(QString::fromUtf8("Impossible d'écrire le fichier")));
        QVERIFY(QFileInfo(f.path("dossier.txt")).isDir());
    }

    // A write error at any step of an export: the earlier file stays byte for byte and the reason
    // is said in French.
    void exportFaultKeepsTheEarlierFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("step");
        for (const char* name : {"sortie.txt", "sortie.rtf"})
            for (const safefile::Step step : {safefile::Step::Create, safefile::Step::Write, safefile::Step::Sync,
                     safefile::Step::Close, safefile::Step::Rename})
                QTest::addRow("%s %s", name, faults::stepName(step)) << QString::fromLatin1(name) << int(step);
    }
    void exportFaultKeepsTheEarlierFile()
    {
        QFETCH(QString, name);
        QFETCH(int, step);
        ShellFixture f;
        f.writeProject("p.hpa", {"A"});
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        const QByteArray earlier("ancien\xA0\xFF\r\n");
        writeFile(f, name, earlier);
        f.prompts.fileNames << f.path(name);
        f.prompts.answers << Answer::Ok;
        safefile::setFaultHook([step](safefile::Step s, const QString&) { return int(s) == step ? ENOSPC : 0; });
        f.main->Exporter1->trigger();
        safefile::setFaultHook({});
        QCOMPARE(f.prompts.asked.size(), 2);
        QCOMPARE(f.prompts.asked.last(), QString::fromUtf8("Impossible d'écrire le fichier « %1 » : disque plein").arg(f.path(name)));
        QCOMPARE(f.bytes(name), earlier);
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"p.hpa", name}));
    }

    void importReplacesTheSelection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<int>("messages");
        QTest::newRow("code page 1252") << QByteArray("un\r\nd\xE9j\xE0\r\ntrois") << QString::fromUtf8("un\ndéjà\ntrois\n") << 0;
        QTest::newRow("UTF-8") << QString::fromUtf8("un\ndéjà → ★\ntrois\n").toUtf8() << QString::fromUtf8("un\ndéjà ? ?\ntrois\n") << 1;
        QTest::newRow("empty") << QByteArray() << QString() << 0;
    }
    void importReplacesTheSelection()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, inserted);
        QFETCH(int, messages);
        ShellFixture f;
        f.writeProject("p.hpa", {"A"});
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        writeFile(f, "in.txt", bytes);
        // "corps A": select "rps" and import over it.
        QTextCursor c = f.pages->Memo1->textCursor();
        c.setPosition(2);
        c.setPosition(5, QTextCursor::KeepAnchor);
        f.pages->Memo1->setTextCursor(c);
        f.prompts.fileNames << f.path("in.txt");
        f.main->Importer1->trigger();
        QCOMPARE(f.prompts.filters.last(), QStringLiteral("Fichiers texte (*.txt)|*.txt|Tous les fichirs (*.*)|*.*"));
        QCOMPARE(f.prompts.initialNames.last(), QStringLiteral("*.txt"));
        const QString expected = inserted.isEmpty() ? QStringLiteral("corps A") : "co" + inserted + " A";
        QCOMPARE(f.pages->Memo1->toPlainText(), expected);
        QCOMPARE(f.pages->Memo1->textCursor().position(), inserted.isEmpty() ? 5 : 2 + int(inserted.size()));
        QCOMPARE(f.pages->Memo1->document()->isModified(), !inserted.isEmpty());
        QCOMPARE(f.prompts.asked.size(), messages);
        if (messages)
            QCOMPARE(f.prompts.asked.first(),
                QString::fromUtf8("2 caractères que le projet ne peut pas contenir ont été remplacés par « ? »."));
        // Saved and opened again, the page holds what the import put in.
        f.main->SaveItem->trigger();
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        QCOMPARE(f.pages->Memo1->toPlainText(), expected);
        QCOMPARE(f.prompts.asked.size(), messages);
    }

    // A file of several pieces goes in under a progress dialog: whole, or not at all after
    // "Annuler"; a file larger than a page holds is refused before anything is read.
    void largeImportShowsItsProgress_data()
    {
        QTest::addColumn<QString>("outcome");
        QTest::newRow("whole file") << "whole";
        QTest::newRow("Annuler after the first piece") << "cancel";
        QTest::newRow("larger than a page holds") << "refused";
    }
    void largeImportShowsItsProgress()
    {
        QFETCH(QString, outcome);
        ShellFixture f;
        f.writeProject("p.hpa", {"A"});
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        QByteArray bytes;
        for (int i = 0; bytes.size() < 3 * ImportProgress::Piece; ++i)
            bytes += "ligne n\xB0" + QByteArray::number(i) + " d\xE9j\xE0 vue\r\n";
        writeFile(f, "gros.txt", bytes);
        if (outcome == "refused")
            QVERIFY(QFile(f.path("gros.txt")).resize(editor::MaxBodyCharacters)); // sparse: nothing is written
        QTextCursor c = f.pages->Memo1->textCursor();
        c.setPosition(5);
        c.setPosition(2, QTextCursor::KeepAnchor);
        f.pages->Memo1->setTextCursor(c);
        f.prompts.fileNames << f.path("gros.txt");
        int pieces = 0;
        f.prompts.dialogs << [&](QDialog& d) {
            auto& progress = static_cast<ImportProgress&>(d);
            if (outcome == "cancel")
                QObject::connect(&progress, &ImportProgress::pieceInserted, &progress, [&] {
                    if (++pieces == 1)
                        QTest::mouseClick(progress.findChild<QPushButton*>(), Qt::LeftButton);
                });
            return d.exec();
        };
        f.main->Importer1->trigger();
        const QString body = f.pages->Memo1->toPlainText();
        const QTextCursor after = f.pages->Memo1->textCursor();
        if (outcome == "whole") {
            QCOMPARE(f.prompts.shownDialogs, QStringList{"ImportProgress"});
            QCOMPARE(body, "co" + QString::fromLatin1(bytes).replace("\r\n", "\n") + " A");
            QCOMPARE(after.position(), body.size() - 2);
            QVERIFY(f.pages->Memo1->document()->isModified());
            QVERIFY(f.prompts.asked.isEmpty());
        } else if (outcome == "cancel") {
            QCOMPARE(pieces, 1);
            QCOMPARE(f.prompts.shownDialogs, QStringList{"ImportProgress"});
            QCOMPARE(body, QStringLiteral("corps A"));
            QCOMPARE(std::pair(after.anchor(), after.position()), std::pair(5, 2));
            QVERIFY(!f.pages->Memo1->document()->isModified());
            QVERIFY(f.prompts.asked.isEmpty());
        } else {
            QVERIFY(f.prompts.shownDialogs.isEmpty());
            QCOMPARE(body, QStringLiteral("corps A"));
            QCOMPARE(f.prompts.asked, QStringList{QString::fromUtf8(
                "Le fichier « gros.txt » est trop volumineux pour être importé : une page contient au plus 256 Mo de texte.")});
        }
    }

    void printStoresThePageFirst()
    {
        ShellFixture f;
        f.writeProject("p.hpa", {"A", "B"});
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        f.typeInBody(" neuf");
        f.main->Printer.printer().setOutputFormat(QPrinter::PdfFormat);
        f.main->Printer.printer().setOutputFileName(f.path("p.pdf"));
        f.prompts.dialogs << [](QDialog& dialog) {
            return driving::runDialog(dialog, [](QDialog& d) {
                d.findChild<QRadioButton*>("printAll")->setChecked(true);
                d.accept();
            });
        };
        f.main->Imprimer1->trigger();
        QProcess p;
        p.start("pdftotext", {f.path("p.pdf"), "-"});
        QVERIFY(p.waitForFinished(20000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(text.contains("corps A neuf") && text.contains("corps B"), qPrintable(text));
    }

    void viewerFromTheMenuAndItsSettingsLine()
    {
        ShellFixture f;
        textfile::writeLines(f.path("TyxHelp.ini"), {"", "10 80 400 600", "0 10 255", "1", "", ""});
        f.main->FormShow();
        int left = 0, top = 0, colour = 0;
        f.main->FichTxt->GetIni(left, top, colour);
        QCOMPARE(QPoint(left, top), QPoint(330, 70));
        QCOMPARE(colour, 255);
        writeFile(f, "notes.txt", "bonjour\r\n");
        f.prompts.fileNames << f.path("notes.txt");
        f.main->Ouvrirunfichier1->trigger();
        QVERIFY(f.main->FichTxt->isVisible());
        QCOMPARE(f.main->FichTxt->windowTitle(), QStringLiteral("notes.txt"));
        QCOMPARE(f.main->FichTxt->Memo1->text(), QStringLiteral("bonjour\n"));
        QVERIFY(!f.main->FichTxt->CopyBtn->icon().isNull());
        f.main->FichTxt->SetIni(400, 300, 65280);
        f.main->FormClose();
        QStringList ini;
        textfile::readLines(f.iniPath(), ini);
        QCOMPARE(ini.value(2), QStringLiteral("400 300 65280"));
    }
};

TYX_TEST(MainFormSideTest);
#include "MainFormSideTest.moc"
