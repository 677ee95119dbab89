// The program as a person uses it: keys on the focused widget, menu entries, the file dialogs of
// the modal seam. A new project compiles at its first F9, a Save As then F9 compiles the text on
// screen, no change is lost at quit or at Open, and the window agrees with itself.
#include "BodyKeys.h"
#include "ShellFixture.h"

#include "publish/windows/CompileJob.h"
#include "publish/windows/EditHpj.h"
#include "publish/windows/Options.h"
#include "store/core/ProjectBlock.h"
#include "support/TestRegistry.h"
#include "winhelp/reader/HlpFileReader.h"

#include <QAccessible>
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QWindow>

using Answer = Prompts::Answer;

namespace {

QWidget* focused()
{
    return QApplication::focusWidget();
}

void showActive(ShellFixture& f)
{
    f.main->show();
    QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
}

void clickInto(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, 6));
    QTRY_VERIFY(w->hasFocus());
}

// F9, then the built-in compiler to its end.
void compileWithF9(ShellFixture& f)
{
    QTest::keyClick(focused(), Qt::Key_F9);
    f.main->Compilation->wait();
}

// The text of every paragraph of the help file, in code page bytes.
QByteArray helpText(const QByteArray& hlp, QByteArray* title = nullptr)
{
    hlp::HlpFile file;
    if (!file.load(hlp))
        return "(unreadable: " + file.problems().join(' ').toUtf8() + ")";
    if (title)
        *title = file.system().title;
    QByteArray text;
    for (const auto& topic : file.topics())
        for (const auto& p : topic.paragraphs)
            text += p.text + '\n';
    return text;
}

// A new project as a new user makes it: title, body, Ctrl+S with a name, from an empty start.
void typeANewProject(ShellFixture& f, const QString& name)
{
    QCOMPARE(focused(), f.pages->Edit1);
    QTest::keyClicks(focused(), "Accueil");
    clickInto(f.pages->Memo1);
    QTest::keyClicks(focused(), "Bienvenue");
    f.prompts.fileNames << f.path(name);
    QTest::keyClick(focused(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.main->CurrentFileName, f.path(name));
}

// Drives the options dialog as a person: the title typed over the field, Enter confirms.
std::function<int(QDialog&)> typeHelpTitle(const QString& title)
{
    return [title](QDialog& d) {
        d.show();
        if (!QTest::qWaitForWindowActive(&d))
            return int(QDialog::Rejected);
        auto* options = static_cast<TOptions*>(&d);
        QTest::keyClick(options->Edit1, Qt::Key_A, Qt::ControlModifier);
        bodykeys::typeText(options->Edit1, title);
        QTest::keyClick(options->Edit1, Qt::Key_Return);
        return d.result();
    };
}

} // namespace

class MainFormUserTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newProjectCompilesAtItsFirstF9()
    {
        ShellFixture f;
        showActive(f);
        typeANewProject(f, "projet.hpa");
        compileWithF9(f);
        const QByteArray hpj = f.bytes("projet.hpj");
        QVERIFY2(hpj.startsWith("[OPTIONS]\r\nTITLE=Aide de projet.hpa\r\n[FILES]\r\nprojet.rtf\r\n"), hpj.constData());
        QVERIFY(hpj.contains("main=\"projet.hpa\",(100,5,800,800)"));
        QVERIFY2(f.exists("projet.hlp"), qPrintable(f.main->StatusBar->currentMessage()));
        QByteArray title;
        const QByteArray text = helpText(f.bytes("projet.hlp"), &title);
        QVERIFY2(text.contains("Bienvenue"), text.constData());
        QCOMPARE(title, QByteArray("Aide de projet.hpa"));
        // The block now follows the name it was saved under: nothing left unsaved.
        QVERIFY(f.bytes("projet.hpa").contains("TITLE=Aide de projet.hpa\r\n[FILES]\r\nprojet.rtf\r\n"));
        QVERIFY(!f.pages->TestModif());
    }

    void saveAsThenF9CompilesTheTextOnScreen_data()
    {
        QTest::addColumn<QString>("helpTitle"); // set in the options dialog first; empty: defaults
        QTest::addColumn<QByteArray>("expectedTitle");
        QTest::newRow("default block") << QString() << QByteArray("Aide de copie.hpa");
        QTest::newRow("the author's options") << QString::fromUtf8("Mon aide à moi") << QByteArray("Mon aide \xE0 moi");
    }
    void saveAsThenF9CompilesTheTextOnScreen()
    {
        QFETCH(QString, helpTitle);
        QFETCH(QByteArray, expectedTitle);
        ShellFixture f;
        showActive(f);
        typeANewProject(f, "projet.hpa");
        if (!helpTitle.isEmpty()) {
            f.prompts.dialogs.enqueue(typeHelpTitle(helpTitle));
            f.main->Options1->trigger();
        }
        compileWithF9(f);
        QVERIFY(f.exists("projet.hlp"));

        clickInto(f.pages->Memo1);
        QTest::keyClick(focused(), Qt::Key_End, Qt::ControlModifier);
        bodykeys::typeText(focused(), QString::fromUtf8(" modifié"));
        f.prompts.fileNames << f.path("copie.hpa");
        f.main->Enregistrersous1->trigger();
        compileWithF9(f);

        const QByteArray hpj = f.bytes("copie.hpj");
        QVERIFY2(hpj.contains("[FILES]\r\ncopie.rtf\r\n"), hpj.constData());
        QVERIFY(!hpj.contains("projet.rtf"));
        QByteArray title;
        const QByteArray text = helpText(f.bytes("copie.hlp"), &title);
        QVERIFY2(text.contains("Bienvenue modifi\xE9"), text.constData());
        QCOMPARE(title, expectedTitle);
        QVERIFY(!helpText(f.bytes("projet.hlp")).contains("modifi")); // the old help file is left alone
    }

    void quittingAfterATitleOrKeywordEdit_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("title") << "Edit1";
        QTest::newRow("keywords") << "Edit2";
    }
    void quittingAfterATitleOrKeywordEdit()
    {
        QFETCH(QString, field);
        ShellFixture f;
        f.writeProject("doc.hpa", {"Accueil", "Suite"});
        f.prompts.fileNames << f.path("doc.hpa");
        f.main->OpenItem->trigger();
        showActive(f);
        clickInto(f.pages->findChild<QLineEdit*>(field));
        QTest::keyClick(focused(), Qt::Key_End);
        QTest::keyClicks(focused(), "Change");
        f.prompts.answers << Answer::Yes;
        QTest::keyClick(focused(), Qt::Key_X, Qt::AltModifier);
        QCOMPARE(f.prompts.asked, QStringList{"Enregistrer changements dans 'doc.hpa'?"});
        QVERIFY(!f.main->isVisible());
        QVERIFY(f.bytes("doc.hpa").contains("Change"));
    }

    // Open of a name that gives nothing (no file, or one that cannot be read): the document on
    // screen, its name and the caption stay, typed text and all, and closing still asks.
    void openingANameThatGivesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("told");
        QTest::newRow("no such file") << "absent.hpa" << QString::fromUtf8("n'existe pas");
        QTest::newRow("unreadable") << "dossier.hpa" << "Impossible de lire";
    }
    void openingANameThatGivesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, told);
        ShellFixture f;
        QVERIFY(QDir(f.dir.path()).mkdir("dossier.hpa"));
        f.writeProject("doc.hpa", {"Accueil"});
        f.prompts.fileNames << f.path("doc.hpa");
        f.main->OpenItem->trigger();
        showActive(f);
        clickInto(f.pages->Memo1);
        QTest::keyClick(focused(), Qt::Key_End, Qt::ControlModifier);
        bodykeys::typeText(focused(), QString::fromUtf8(" tapé"));
        f.prompts.fileNames << f.path(name);
        QTest::keyClick(focused(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f.prompts.asked.size(), 1);
        QVERIFY2(f.prompts.asked[0].contains(told), qPrintable(f.prompts.asked[0]));
        QCOMPARE(f.pages->Memo1->toPlainText(), QString::fromUtf8("corps Accueil tapé"));
        QCOMPARE(f.main->CurrentFileName, f.path("doc.hpa"));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet - doc.hpa"));
        f.prompts.answers << Answer::Cancel;
        QVERIFY(!f.main->close());
        QCOMPARE(f.prompts.asked.last(), QStringLiteral("Enregistrer changements dans 'doc.hpa'?"));
    }

    void upperCaseExtensionIsTheSameProject()
    {
        ShellFixture f;
        f.writeProject("PROJET.HPA", {"Accueil"});
        f.prompts.fileNames << f.path("PROJET.HPA");
        f.main->OpenItem->trigger();
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Accueil"));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Tyx Plumet - PROJET.HPA"));
        f.typeInBody(" ajout");
        f.main->SaveItem->trigger();
        QVERIFY(f.bytes("PROJET.HPA").contains("ajout"));

        // Save As onto it under another spelling of the extension: the same file, so asked first.
        f.typeInBody(" encore");
        f.prompts.answers << Answer::Ok;
        f.prompts.fileNames << f.path("PROJET.hpa");
        f.main->Enregistrersous1->trigger();
        QCOMPARE(f.prompts.asked, QStringList{QString::fromUtf8("Ce fichier existe déjà")});
        QVERIFY(f.bytes("PROJET.HPA").contains("ajout encore"));
        QCOMPARE(QDir(f.dir.path()).entryList({"*.hpa", "*.HPA"}, QDir::Files), QStringList{"PROJET.HPA"});
    }

    void wordWrapMarkAndBodyAgree()
    {
        for (int start = 0; start < 2; ++start) {
            ShellFixture f;
            if (start == 1)
                QVERIFY(textfile::writeLines(f.path("TyxHelp.ini"), {"", "10 10 300 400", "330 70 0", "0", "", ""}));
            showActive(f);
            QCOMPARE(f.main->WordWrap->isChecked(), start == 0); // no settings: wrapping, and checked
            QCOMPARE(f.pages->wordWrap(), f.main->WordWrap->isChecked());
            f.main->WordWrap->trigger();
            QCOMPARE(f.pages->wordWrap(), f.main->WordWrap->isChecked());
        }
    }

    // The options dialog reads back whatever it wrote, and OK on it unchanged changes nothing.
    void optionsDialogReadsBackItsOwnTitle()
    {
        ShellFixture f;
        showActive(f);
        typeANewProject(f, "projet.hpa");
        const QString title = QString::fromUtf8("Aide \"Démo (v2)\"");
        f.prompts.dialogs.enqueue(typeHelpTitle(title));
        f.main->Options1->trigger();
        QString shown;
        f.prompts.dialogs.enqueue([&shown](QDialog& d) {
            shown = static_cast<TOptions*>(&d)->Edit1->text();
            return int(QDialog::Rejected);
        });
        f.main->Options1->trigger();
        QVERIFY2(f.prompts.asked.isEmpty(), qPrintable(f.prompts.asked.join('|')));
        QCOMPARE(f.prompts.shownDialogs, (QStringList{"TOptions", "TOptions"}));
        QCOMPARE(shown, title);
    }

    void optionsOkWithoutAChangeLeavesTheDocumentSaved()
    {
        ShellFixture f;
        showActive(f);
        typeANewProject(f, "projet.hpa");
        f.prompts.dialogs.enqueue(typeHelpTitle("Mon aide"));
        f.main->Options1->trigger();
        QTest::keyClick(focused(), Qt::Key_S, Qt::ControlModifier); // [MAP] is in the block now
        const QByteArray saved = f.bytes("projet.hpa");
        QVERIFY(!f.pages->TestModif());
        f.prompts.dialogs.enqueue([](QDialog& d) {
            d.show();
            static_cast<TOptions*>(&d)->Button1->click();
            return d.result();
        });
        f.main->Options1->trigger();
        QVERIFY(!f.pages->TestModif());
        QVERIFY(f.main->close());
        QVERIFY(f.prompts.asked.isEmpty());
        QCOMPARE(f.bytes("projet.hpa"), saved);
    }

    // The project file editor carries no-break spaces as they are: OK without a change changes
    // neither the document nor the file.
    void projectFileEditorKeepsNoBreakSpaces()
    {
        ShellFixture f;
        const QString nbsp(QChar(0xA0));
        QStringList lines{"<HPJ>", "[OPTIONS]", "TITLE=Aide" + nbsp + ": « démo »", "[FILES]", "doc.rtf", "</HPJ>"};
        lines << store::topicOpenTag(0) << "1\\" << "Accueil" + QString(store::TitleEndMark)
              << "Question" + nbsp + "?" << store::topicCloseTag(0);
        QVERIFY(textfile::writeLines(f.path("doc.hpa"), lines));
        f.prompts.fileNames << f.path("doc.hpa");
        f.main->OpenItem->trigger();
        showActive(f);
        compileWithF9(f);
        QVERIFY(!f.pages->TestModif());
        const QByteArray hpj = f.bytes("doc.hpj");
        QVERIFY(hpj.contains("TITLE=Aide\xA0: \xAB d\xE9mo \xBB"));
        f.prompts.dialogs.enqueue([](QDialog& d) {
            d.show();
            static_cast<TEditHpj*>(&d)->Button1->click();
            return d.result();
        });
        f.main->Editerfichierhpj1->trigger();
        QCOMPARE(f.prompts.shownDialogs, QStringList{"TEditHpj"});
        QCOMPARE(f.bytes("doc.hpj"), hpj);
        QVERIFY(!f.pages->TestModif());
        QVERIFY(f.pages->doc().DocumentLines.contains("TITLE=Aide" + nbsp + ": « démo »"));
    }

    // Every control a screen reader reaches has a name: its hint or its label.
    void everyControlHasANameForScreenReaders_data()
    {
        QTest::addColumn<QString>("window");
        for (const char* name : {"MainForm", "AboutBox", "TCalendrier", "THorloge", "TPocket", "TFixerHcp", "TOptions",
                 "TEditHpj", "TPageListe", "TPageOut"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void everyControlHasANameForScreenReaders()
    {
        QFETCH(QString, window);
        ShellFixture f;
        QWidget* w = window == "MainForm" ? static_cast<QWidget*>(f.main.get()) : f.main->findChild<QDialog*>(window);
        QVERIFY(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QStringList nameless;
        const auto controls = w->findChildren<QWidget*>();
        for (QWidget* c : controls) {
            if (!c->isVisible() || c->window() != w || (c->focusPolicy() == Qt::NoFocus && !qobject_cast<QToolButton*>(c)))
                continue;
            if (qobject_cast<QAbstractSpinBox*>(c->parentWidget()))
                continue; // the spin box speaks for its own line edit
            if (!(qobject_cast<QAbstractButton*>(c) || qobject_cast<QLineEdit*>(c) || qobject_cast<QPlainTextEdit*>(c)
                    || qobject_cast<QAbstractSpinBox*>(c)))
                continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
            const QString name = a ? a->text(QAccessible::Name).trimmed() : QString();
            if (name.isEmpty() || name == "...")
                nameless << c->objectName() + " (" + c->metaObject()->className() + ")";
        }
        w->hide();
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(", ")));
    }

    // The fixed dialogs ask the window manager for a title bar with a close box only, at one size.
    void fixedDialogsHaveACloseBoxOnly_data()
    {
        QTest::addColumn<QString>("dialog");
        for (const char* name : {"AboutBox", "TCalendrier", "THorloge", "TPocket", "TOptions", "TFixerHcp"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void fixedDialogsHaveACloseBoxOnly()
    {
        QFETCH(QString, dialog);
        ShellFixture f;
        auto* d = f.main->findChild<QDialog*>(dialog);
        QVERIFY(d);
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        const Qt::WindowFlags flags = d->windowHandle()->flags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
        for (Qt::WindowType hint : {Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
                 Qt::WindowFullscreenButtonHint, Qt::WindowContextHelpButtonHint})
            QVERIFY2(!(flags & hint), qPrintable(QString::number(int(hint), 16)));
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QCOMPARE(d->windowHandle()->minimumSize(), d->windowHandle()->maximumSize());
        d->hide();
    }

    // Save As while the compiler runs, F9 again, and quitting during a compile: the window never
    // waits on the compiler and the compiler never reads what the window changes.
    void savingAndQuittingDuringACompile()
    {
        ShellFixture f;
        showActive(f);
        typeANewProject(f, "projet.hpa");
        QTest::keyClick(focused(), Qt::Key_F9);
        f.prompts.fileNames << f.path("copie.hpa");
        f.main->Enregistrersous1->trigger();
        QVERIFY(f.exists("copie.hpa"));
        QTest::keyClick(focused(), Qt::Key_F9); // refused while the first runs, or a second compile
        f.main->Compilation->wait();
        QVERIFY(f.exists("projet.hlp"));
        QTest::keyClick(focused(), Qt::Key_F9);
        QTest::keyClick(focused(), Qt::Key_X, Qt::AltModifier);
        QVERIFY(!f.main->isVisible());
        QVERIFY(QFile::exists(f.iniPath()));
        f.main.reset(); // the compile still running ends before the windows go
        QVERIFY(f.exists("copie.hlp"));
    }
};

TYX_TEST(MainFormUserTest);
#include "MainFormUserTest.moc"
