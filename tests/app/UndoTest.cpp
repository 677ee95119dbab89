// Undo and redo of the document through the keys and the menus: each operation, undone after a
// save, brings back the file as it was before the operation, byte for byte; redone, the file as
// it was after it. The status line names what was undone.
#include "BodyKeys.h"

#include "editor/windows/SearchDialogs.h"
#include "platform/windows/DesktopOpen.h"
#include "publish/windows/CompileJob.h"
#include "editor/windows/TLstPopUp.h"
#include "editor/windows/TPopUp.h"
#include "publish/windows/EditHpj.h"
#include "publish/windows/Options.h"
#include "store/core/PopupBlocks.h"
#include "store/core/ProjectBlock.h"
#include "store/windows/PageListe.h"
#include "store/windows/PageOut.h"
#include "support/TestRegistry.h"
#include "support/WidgetDriving.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>

using namespace store;

namespace {

enum class Op { Delete, EmptiedTitle, IndexMove, HierarchyMove, ReplaceAll, PopupRemoval, Import, Options, ProjectFile };

void writeProject(ShellFixture& f)
{
    QStringList lines{"<HPJ>", "[OPTIONS]", "TITLE=Aide", "[FILES]", "p.rtf", "</HPJ>"};
    const QStringList titles{"Accueil", "Bases", "Calculs", "Divers"};
    for (int n = 0; n < titles.size(); ++n)
        lines << topicOpenTag(n) << "1\\" << titles[n] + TitleEndMark << "corps de " + titles[n] + ParagraphMark
              << (n == 0 ? "voir " + PopupLink("note", 0) : QStringLiteral("fin")) << topicCloseTag(n);
    lines << popupBlock(0, {QStringLiteral("Note") + ParagraphMark, "texte"});
    textfile::writeLines(f.path("p.hpa"), lines);
}

void key(int k, Qt::KeyboardModifiers mods = {})
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), mods);
}

int closeWith(QDialog& d, QAbstractButton* ok)
{
    QTest::mouseClick(ok, Qt::LeftButton);
    return d.result();
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void undoAfterSaveGivesTheFileBefore_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("label");
        QTest::newRow("delete") << int(Op::Delete) << QString::fromUtf8("suppression de la rubrique « Bases »");
        QTest::newRow("emptied title") << int(Op::EmptiedTitle) << QString::fromUtf8("rubrique « Bases » retirée (titre vide)");
        QTest::newRow("index") << int(Op::IndexMove) << QString::fromUtf8("ordre des rubriques");
        QTest::newRow("hierarchy") << int(Op::HierarchyMove) << QString::fromUtf8("hiérarchie des rubriques");
        QTest::newRow("replace all") << int(Op::ReplaceAll) << QString::fromUtf8("remplacement de « corps » par « texte »");
        QTest::newRow("popup removal") << int(Op::PopupRemoval) << QString::fromUtf8("suppression de la PopUp « Note »");
        QTest::newRow("import") << int(Op::Import) << QString::fromUtf8("importation de « in.txt »");
        QTest::newRow("options") << int(Op::Options) << QString::fromUtf8("options du projet");
        QTest::newRow("project file") << int(Op::ProjectFile) << QString::fromUtf8("fichier projet");
    }
    void undoAfterSaveGivesTheFileBefore()
    {
        QFETCH(int, op);
        QFETCH(QString, label);
        ShellFixture f;
        writeProject(f);
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        QVERIFY(f.showActive());
        f.main->SaveItem->trigger();
        const QByteArray before = f.bytes("p.hpa");
        f.pages->Suivant(); // on "Bases"

        switch (Op(op)) {
        case Op::Delete:
            f.main->Supprimer1->trigger();
            break;
        case Op::EmptiedTitle:
            f.pages->Edit1->setFocus();
            key(Qt::Key_A, Qt::ControlModifier);
            key(Qt::Key_Delete);
            key(Qt::Key_PageDown);
            break;
        case Op::IndexMove:
            f.prompts.dialogs.enqueue([](QDialog& dialog) {
                auto& d = static_cast<TPageListe&>(dialog);
                d.show();
                driving::clickRow(d.ListBox1, 3);
                QTest::mouseClick(d.SpeedButton3, Qt::LeftButton);
                return closeWith(d, d.Button1);
            });
            f.main->Liste1->trigger();
            break;
        case Op::HierarchyMove:
            f.prompts.dialogs.enqueue([](QDialog& dialog) {
                auto& d = static_cast<TPageOut&>(dialog);
                d.show();
                driving::clickNode(d.Outline1, "Calculs");
                QTest::mouseClick(d.SpeedButton1, Qt::LeftButton);
                return closeWith(d, d.Button1);
            });
            f.main->Hirarchie1->trigger();
            break;
        case Op::ReplaceAll: {
            f.main->Remplacer1->trigger();
            TReplaceDialog* d = f.pages->ReplaceDialog1;
            QTest::keyClicks(d->FindEdit, "corps");
            QTest::keyClicks(d->ReplaceEdit, "texte");
            QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
            break;
        }
        case Op::PopupRemoval:
            f.prompts.answers.enqueue(Prompts::Answer::Yes);
            f.prompts.dialogs.enqueue([](QDialog& d) {
                d.show();
                QTest::keyClick(static_cast<TLstPopUp&>(d).ListBox1, Qt::Key_Return);
                return d.result();
            });
            f.prompts.dialogs.enqueue([](QDialog& dialog) {
                auto& d = static_cast<TPopUp&>(dialog);
                d.show();
                QTest::mouseClick(d.Button3, Qt::LeftButton);
                return closeWith(d, d.Button1);
            });
            f.main->VoirPopups1->trigger();
            break;
        case Op::Import:
            textfile::writeLines(f.path("in.txt"), {"importé", "deux"});
            f.pages->Memo1->setFocus();
            f.prompts.fileNames << f.path("in.txt");
            f.main->Importer1->trigger();
            break;
        case Op::Options:
            f.prompts.dialogs.enqueue([](QDialog& dialog) {
                auto& d = static_cast<TOptions&>(dialog);
                d.show();
                d.Edit1->selectAll();
                QTest::keyClicks(d.Edit1, "Autre titre");
                return closeWith(d, d.Button1);
            });
            f.main->Options1->trigger();
            break;
        case Op::ProjectFile:
            QVERIFY(ExportHpj(f.pages->doc().DocumentLines, f.pages->doc().PageCount, f.path("p.hpj")));
            f.prompts.dialogs.enqueue([](QDialog& dialog) {
                auto& d = static_cast<TEditHpj&>(dialog);
                d.show();
                d.Memo1->moveCursor(QTextCursor::End);
                QTest::keyClick(d.Memo1, Qt::Key_Return);
                QTest::keyClicks(d.Memo1, "[CONFIG]");
                return closeWith(d, d.Button1);
            });
            f.main->Editerfichierhpj1->trigger();
            break;
        }
        QVERIFY(f.pages->TestModif());
        f.main->SaveItem->trigger();
        const QByteArray after = f.bytes("p.hpa");
        QVERIFY(after != before);
        QVERIFY(!f.pages->TestModif());

        f.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.main->StatusBar->currentMessage(), QString::fromUtf8("Annulé : ") + label + u'.');
        QVERIFY(f.pages->TestModif()); // undone after the save: a change to save again
        f.main->SaveItem->trigger();
        QCOMPARE(f.bytes("p.hpa"), before);

        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f.main->StatusBar->currentMessage(), QString::fromUtf8("Rétabli : ") + label + u'.');
        f.main->SaveItem->trigger();
        QCOMPARE(f.bytes("p.hpa"), after);
    }

    // What a build writes into the document ([MAP]) joins the edit before it: Ctrl+Z after the
    // build gives the file as it was before the edit, whichever output was made.
    void buildJoinsTheStepBefore_data()
    {
        QTest::addColumn<QString>("output");
        QTest::newRow("site") << "Html";
        QTest::newRow("chm") << "Chm";
    }
    void buildJoinsTheStepBefore()
    {
        QFETCH(QString, output);
        ShellFixture f;
        writeProject(f);
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        f.main->SaveItem->trigger(); // the save writes [MAP] as the build does
        const QByteArray before = f.bytes("p.hpa");
        QVERIFY(before.contains("[MAP]"));
        QVERIFY(f.showActive());
        f.pages->Edit1->setFocus();
        key(Qt::Key_End);
        QTest::keyClicks(QApplication::focusWidget(), " 2");
        desktop::setRecorder([](const QUrl&) { return true; }); // no browser
        (output == "Chm" ? f.main->CreerAideChm1 : f.main->CreerAideHtml1)->trigger();
        f.main->Compilation->wait();
        QCoreApplication::processEvents();
        desktop::setRecorder(nullptr);
        f.main->SaveItem->trigger();
        QVERIFY(f.bytes("p.hpa").contains("IDH_Accueil2"));
        f.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Accueil"));
        f.main->SaveItem->trigger();
        QCOMPARE(f.bytes("p.hpa"), before);
    }

    // Ctrl+Z takes the typing of the field with the focus first, then the document's steps: the
    // edits of the page not stored yet, then what was stored.
    void typingBeforeTheDocument()
    {
        ShellFixture f;
        writeProject(f);
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        QWidget* body = bodykeys::bodyWithFocus(f);
        const QString text = f.pages->Memo1->toPlainText();
        QTest::keyClicks(body, "xy");
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.pages->Memo1->toPlainText(), text);
        QCOMPARE(f.main->StatusBar->currentMessage(), QString::fromUtf8("Annulé : frappe dans le texte."));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.main->StatusBar->currentMessage(), QString::fromUtf8("Rien à annuler."));

        // Typed in the title, then the focus in the body: the page's edits go as one step.
        f.pages->Edit1->setFocus();
        key(Qt::Key_End);
        QTest::keyClicks(QApplication::focusWidget(), " 2");
        f.pages->Memo1->setFocus();
        QTest::keyClicks(body, "!");
        key(Qt::Key_PageDown);
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Bases"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.main->StatusBar->currentMessage(), QString::fromUtf8("Annulé : modification de la rubrique « Accueil 2 »."));
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Accueil"));
        QCOMPARE(f.pages->Memo1->toPlainText(), text);
        QVERIFY(!f.pages->TestModif());
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Accueil 2"));
    }
};

TYX_TEST(UndoTest);
#include "UndoTest.moc"
