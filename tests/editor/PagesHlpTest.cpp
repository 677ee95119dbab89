#include "editor/windows/PagesHlp.h"
#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

using namespace store;

namespace {

const QString Mark(ParagraphMark);

QStringList topic(int n, const QString& title, const QStringList& body, const QString& keywordLine = "1\\")
{
    QStringList out{topicOpenTag(n), keywordLine, title + TitleEndMark};
    out << body << topicCloseTag(n);
    return out;
}

// A project of `pages` pages titled "Page n", written to `dir` and loaded.
void loadPages(TPagesHlp& p, QTemporaryDir& dir, int pages)
{
    QStringList lines{"<HPJ>", "</HPJ>"};
    for (int n = pages - 1; n >= 0; --n)
        lines << topic(n, QStringLiteral("Page %1").arg(n), {QStringLiteral("corps %1").arg(n)}, QStringLiteral("1mot%1\\").arg(n));
    QVERIFY(textfile::writeLines(dir.filePath("p.hpa"), lines));
    p.Charge(dir.filePath("p.hpa"));
}

QStringList bodyLines(const TPagesHlp& p)
{
    return p.Memo1->toPlainText().split(u'\n');
}

} // namespace

class PagesHlpTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void navigationShowsEachPage()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        loadPages(p, dir, 12);
        QCOMPARE(p.Label2->text(), QStringLiteral("P. 1"));
        QCOMPARE(p.Edit1->text(), QStringLiteral("Page 0"));
        QCOMPARE(p.Edit2->text(), QStringLiteral("mot0"));
        p.Dernier();
        QCOMPARE(p.Label2->text(), QStringLiteral("P. 12"));
        p.Suivant(); // last page: read again
        QCOMPARE(p.doc().CurrentPage, 11);
        QCOMPARE(p.Memo1->toPlainText(), QStringLiteral("corps 11"));
        p.Premier();
        p.Precedent();
        QCOMPARE(p.doc().CurrentPage, 0);
        QVERIFY(prompts.asked.isEmpty());
        QVERIFY(!p.TestModif());
    }

    void editedBodyIsStoredAndMarksTheDocument()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        loadPages(p, dir, 3);
        p.Suivant();
        p.Memo1->moveCursor(QTextCursor::End);
        QTest::keyClicks(p.Memo1, " ajout");
        p.Suivant();
        QVERIFY(p.doc().DocumentModified);
        p.Precedent();
        QCOMPARE(p.Memo1->toPlainText(), QStringLiteral("corps 1 ajout"));
        // Only the title changed: stored, and an unsaved change like any other.
        TPagesHlp q;
        QTemporaryDir d2;
        loadPages(q, d2, 2);
        q.Edit1->setText("Autre titre");
        q.Suivant();
        QVERIFY(q.TestModif());
        q.Premier();
        QCOMPARE(q.Edit1->text(), QStringLiteral("Autre titre"));
    }

    void deleting_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("countAfter");
        QTest::addColumn<QString>("shownAfter");
        QTest::newRow("middle") << 4 << 1 << 3 << "Page 2";
        QTest::newRow("last") << 4 << 3 << 3 << "Page 2";
        QTest::newRow("only") << 1 << 0 << 1 << "";
    }
    void deleting()
    {
        QFETCH(int, pages);
        QFETCH(int, page);
        QFETCH(int, countAfter);
        QFETCH(QString, shownAfter);
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        loadPages(p, dir, pages);
        for (int i = 0; i < page; ++i)
            p.Suivant();
        p.Supprime();
        QCOMPARE(p.doc().PageCount, countAfter);
        QCOMPARE(p.Edit1->text(), shownAfter);
        QVERIFY(p.doc().DocumentModified);
        QVERIFY(!p.doc().DocumentLines.contains(QStringLiteral("Page %1").arg(page) + TitleEndMark));
    }

    void addingStopsAtTheLimit()
    {
        ScriptedPrompts prompts;
        TPagesHlp p;
        QVERIFY(p.Ajout());
        QCOMPARE(p.doc().PageCount, 2);
        QCOMPARE(p.Label2->text(), QStringLiteral("P. 2"));
        p.doc().PageCount = DocumentStore::MaxPages;
        const int lines = int(p.doc().DocumentLines.size());
        QVERIFY(!p.Ajout());
        QCOMPARE(p.doc().PageCount, DocumentStore::MaxPages);
        QCOMPARE(p.doc().DocumentLines.size(), lines);
        QCOMPARE(prompts.asked.size(), 1);
        QVERIFY(prompts.asked[0].contains("10000"));
    }

    void typedEscapes_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("title brace") << "Edit1" << "a}b" << "a\\}b";
        QTest::newRow("body backslash") << "Memo1" << "x\\y{" << "x\\\\y\\{";
        QTest::newRow("keywords unescaped, no backslash") << "Edit2" << "a\\{" << "a{";
    }
    void typedEscapes()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        TPagesHlp p;
        QWidget* w = p.findChild<QWidget*>(field);
        QTest::keyClicks(w, typed);
        const QString text = field == "Memo1" ? p.Memo1->toPlainText() : static_cast<QLineEdit*>(w)->text();
        QCOMPARE(text, stored);
    }

    void pastedTextIsNotEscaped()
    {
        TPagesHlp p;
        QApplication::clipboard()->setText("}");
        p.Coller();
        QCOMPARE(p.Memo1->toPlainText(), QStringLiteral("}"));
    }

    void enterInBody_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("selection");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("caretLine");
        QTest::addColumn<int>("caretColumn");
        QTest::newRow("middle of a line") << "abcdef" << 0 << 3 << 0 << 1 << QStringList{"abc" + Mark, "def"} << 1 << 0;
        QTest::newRow("end of a line with a mark") << "abc" + Mark << 0 << 4 << 0 << 1 << QStringList{"abc" + Mark, ""} << 1 << 0;
        QTest::newRow("just before the final mark") << "abc" + Mark << 0 << 3 << 0 << 1 << QStringList{"abc" + Mark, ""} << 1 << 0;
        QTest::newRow("twice at the end of a paragraph") << "abc" << 0 << 3 << 0 << 2 << QStringList{"abc" + Mark, Mark, ""} << 2 << 0;
        QTest::newRow("selection replaced") << "abXYcd" << 0 << 2 << 2 << 1 << QStringList{"ab" + Mark, "cd"} << 1 << 0;
        QTest::newRow("second line") << "un\ndeux" << 1 << 4 << 0 << 1 << QStringList{"un", "deux" + Mark, ""} << 2 << 0;
        QTest::newRow("before a mid-line mark: the line is kept whole") << "a" + Mark + "b" << 0 << 1 << 0 << 1
                                                                      << QStringList{"a" + Mark + "b", ""} << 1 << 0;
        QTest::newRow("doubled mark elsewhere reduced, caret stays") << "x" + Mark + Mark + "\nab" << 1 << 1 << 0 << 1
                                                                   << QStringList{"x" + Mark, "a" + Mark, "b"} << 2 << 0;
    }
    void enterInBody()
    {
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(int, selection);
        QFETCH(int, presses);
        QFETCH(QStringList, lines);
        QFETCH(int, caretLine);
        QFETCH(int, caretColumn);
        TPagesHlp p;
        p.Memo1->setPlainText(text);
        QTextCursor c(p.Memo1->document()->findBlockByNumber(line));
        c.setPosition(c.block().position() + column);
        c.setPosition(c.position() + selection, QTextCursor::KeepAnchor);
        p.Memo1->setTextCursor(c);
        for (int i = 0; i < presses; ++i)
            QTest::keyClick(p.Memo1, Qt::Key_Return);
        QCOMPARE(bodyLines(p), lines);
        QCOMPARE(p.Memo1->textCursor().blockNumber(), caretLine);
        QCOMPARE(p.Memo1->textCursor().positionInBlock(), caretColumn);
        QVERIFY(p.Memo1->document()->isModified());
    }

    void keywordCleanUp_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("modified");
        QTest::newRow("spaces around separators") << "alpha ; beta;  gamma" << "alpha;beta;gamma" << true;
        QTest::newRow("leading digit stays") << "3rd;x" << "3rd;x" << false;
        QTest::newRow("digits stay") << " 12a" << "12a" << true;
        QTest::newRow("inner spaces stay") << " mot clé ;x " << QString::fromUtf8("mot clé;x") << true;
        QTest::newRow("clean already") << "a;b" << "a;b" << false;
        QTest::newRow("blank") << "   " << "" << true;
    }
    void keywordCleanUp()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(bool, modified);
        TPagesHlp p;
        p.Edit2->setText(QString::fromUtf8(typed.toUtf8()));
        p.doc().PageModified = false;
        p.Edit2Exit();
        QCOMPARE(p.Edit2->text(), after);
        QCOMPARE(p.doc().PageModified, modified);
    }

    void pageKeysInEveryField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("title") << "Edit1" << int(Qt::NoModifier);
        QTest::newRow("body") << "Memo1" << int(Qt::NoModifier);
        QTest::newRow("keywords with ctrl") << "Edit2" << int(Qt::ControlModifier);
    }
    void pageKeysInEveryField()
    {
        QFETCH(QString, field);
        QFETCH(int, modifiers);
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        loadPages(p, dir, 3);
        QWidget* w = p.findChild<QWidget*>(field);
        QTest::keyClick(w, Qt::Key_PageDown, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(p.doc().CurrentPage, 1);
        QTest::keyClick(w, Qt::Key_PageDown, Qt::KeyboardModifiers(modifiers));
        QTest::keyClick(w, Qt::Key_PageDown, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(p.doc().CurrentPage, 2);
        QCOMPARE(p.Memo1->textCursor().position(), 0); // the key did not scroll or move the caret
        QTest::keyClick(w, Qt::Key_PageUp, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(p.Label2->text(), QStringLiteral("P. 2"));
        p.Edit1->setText("Changé");
        QTest::keyClick(w, Qt::Key_F2); // without the index, F2 stores the page
        QVERIFY(p.doc().DocumentLines.contains(QString::fromUtf8("Changé") + TitleEndMark));
    }

    void copyActsOnTheBody()
    {
        TPagesHlp p;
        p.show();
        p.Memo1->setPlainText("corps");
        p.Edit1->setText("titre");
        p.Edit1->setFocus();
        p.Edit1->selectAll();
        p.Memo1->selectAll();
        QApplication::clipboard()->setText("avant");
        p.Copier();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("corps"));
        QTextCursor c = p.Memo1->textCursor();
        c.clearSelection();
        p.Memo1->setTextCursor(c);
        p.Copier(); // no selection: nothing copied
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("corps"));
    }

    void activationNeverUndoesACommand()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        loadPages(p, dir, 2);
        // A command whose modal dialog changes the page's block: the change shows afterwards.
        prompts.dialogs.enqueue([&](QDialog&) {
            p.FormDeactivate();
            auto& lines = p.doc().DocumentLines;
            const int open = findTag(lines, topicOpenTag(0));
            lines[open + 3] = "corps changé";
            p.FormActivate();
            return int(QDialog::Accepted);
        });
        QDialog d1;
        p.runCommand([&] { prompts.showModal(d1); });
        p.FormActivate();
        QCOMPARE(p.Memo1->toPlainText(), QString::fromUtf8("corps changé"));
        // A command that changes the fields after its dialog: activation keeps the change.
        prompts.dialogs.enqueue([&](QDialog&) {
            p.FormDeactivate();
            return int(QDialog::Accepted);
        });
        QDialog d2;
        p.runCommand([&] {
            prompts.showModal(d2);
            p.Memo1->selectAll();
            p.Memo1->insertPlainText("{\\ul mot}");
        });
        p.FormActivate();
        QCOMPARE(p.Memo1->toPlainText(), QStringLiteral("{\\ul mot}"));
        p.FormDeactivate();
        QVERIFY(p.doc().DocumentLines.contains("{\\ul mot}"));
    }

    void resizeFollowsTheWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("800") << 800;
        QTest::newRow("1200") << 1200;
    }
    void resizeFollowsTheWidth()
    {
        QFETCH(int, width);
        TPagesHlp p;
        p.resize(width, 500);
        p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        QCOMPARE(p.Edit1->width(), width - 280);
        QCOMPARE(p.Label2->x(), width - 80);
        QCOMPARE(p.Edit2->width(), width - 180);
    }

    void tabIntoAFieldSelectsNothing()
    {
        TPagesHlp p;
        p.show();
        QApplication::setActiveWindow(&p);
        p.Edit2->setText("a;b");
        p.Memo1->setFocus();
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(p.Edit2, &in);
        QVERIFY(!p.Edit2->hasSelectedText());
    }

    void wrappedLineIsStoredAsOneLine()
    {
        TPagesHlp p;
        p.resize(300, 300);
        p.show();
        p.setWordWrap(true);
        const QString longLine = QString("mot ").repeated(200);
        p.Edit1->setText("Titre");
        p.Memo1->setPlainText(longLine);
        p.Memo1->document()->setModified(true);
        p.EcritFiche();
        QVERIFY(p.doc().DocumentLines.contains(longLine));
        p.setWordWrap(false);
        QVERIFY(!p.wordWrap());
    }

    void backslashNeverReachesTheKeywordLine()
    {
        TPagesHlp p;
        p.Edit1->setText("T");
        p.doc().SeeAlsoTarget = "Cible";
        p.Edit2->setText("C:\\dossier;mot");
        QCOMPARE(p.Edit2->text(), QStringLiteral("C:dossier;mot"));
        p.EcritFiche();
        p.LitFiche();
        QCOMPARE(p.doc().SeeAlsoTarget, QStringLiteral("Cible"));
        QCOMPARE(p.Edit2->text(), QStringLiteral("C:dossier;mot"));
    }

    void textOutsideTheCodePageIsReplacedVisibly()
    {
        TPagesHlp p;
        p.Memo1->insertPlainText(QString::fromUtf8("a\u4e2d\u2019b"));
        QCOMPARE(p.Memo1->toPlainText(), QString::fromUtf8("a?\u2019b"));
        p.Edit1->setText(QString::fromUtf8("x\u0416"));
        QCOMPARE(p.Edit1->text(), QStringLiteral("x?"));
    }

    void saveSaysWhenACharacterCannotBeWritten()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        p.Sauve(dir.filePath("a.hpa"));
        QVERIFY(prompts.asked.isEmpty());
        p.doc().DocumentLines[12] = QString::fromUtf8("TITLE=Aide 中"); // as a dialog field could bring it
        QVERIFY(p.Sauve(dir.filePath("a.hpa")));
        QCOMPARE(prompts.asked.size(), 1);
        QVERIFY(prompts.asked[0].contains("?"));
    }

    void failedSaveKeepsEverything()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        loadPages(p, dir, 1);
        const QByteArray before = [&] { QFile f(dir.filePath("p.hpa")); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        p.Memo1->setPlainText("nouveau");
        p.Memo1->document()->setModified(true);
        QVERIFY(!p.Sauve(dir.filePath("absent/p.hpa")));
        QCOMPARE(prompts.asked.size(), 1);
        QVERIFY(p.doc().DocumentModified);
        QCOMPARE(p.doc().ProjectFileName, dir.filePath("p.hpa"));
        QFile f(dir.filePath("p.hpa"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QVERIFY(p.Sauve(dir.filePath("p")));
        QVERIFY(!p.doc().DocumentModified);
    }

    void alteredFileAsksAndRepairs_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("modified");
        QTest::newRow("Oui") << int(Prompts::Answer::Yes) << true;
        QTest::newRow("Non") << int(Prompts::Answer::No) << false;
    }
    void alteredFileAsksAndRepairs()
    {
        QFETCH(int, answer);
        QFETCH(bool, modified);
        ScriptedPrompts prompts;
        prompts.answers.enqueue(Prompts::Answer(answer));
        QTemporaryDir dir;
        const QStringList lines = QStringList{"<BLOC0001>", "1\\", "Un\x01", "b"} + topic(0, "Zéro", {});
        QVERIFY(textfile::writeLines(dir.filePath("a.hpa"), lines));
        TPagesHlp p;
        p.Charge(dir.filePath("a.hpa"));
        QCOMPARE(prompts.asked, QStringList{QString::fromUtf8("Le fichier a été altéré. Restaurer ?")});
        QCOMPARE(p.doc().DocumentModified, modified);
        QCOMPARE(p.Edit1->text(), QString::fromUtf8("Zéro"));
        QCOMPARE(p.doc().DocumentLines == lines, !modified);
    }

    void openingAMissingFileKeepsUnsavedChanges()
    {
        ScriptedPrompts prompts;
        TPagesHlp p;
        p.Edit1->setText("T");
        p.Memo1->setPlainText("b");
        p.Memo1->document()->setModified(true);
        p.EcritFiche();
        p.Memo1->moveCursor(QTextCursor::End);
        QTest::keyClicks(p.Memo1, " tape"); // typed, not written back yet
        QTemporaryDir dir;
        QVERIFY(!p.Charge(dir.filePath("absent")));
        QCOMPARE(prompts.asked, QStringList{QString::fromUtf8("Le fichier « %1 » n'existe pas.").arg(dir.filePath("absent.hpa"))});
        QVERIFY(p.TestModif());
        QCOMPARE(p.Edit1->text(), QStringLiteral("T"));
        QCOMPARE(p.Memo1->toPlainText(), QStringLiteral("b tape"));
    }

    void optionsApplyFontsAndWriteTheHeader_data()
    {
        QTest::addColumn<bool>("starts");
        QTest::newRow("dialog confirmed") << true;
        QTest::newRow("dialog could not start") << false;
    }
    void optionsApplyFontsAndWriteTheHeader()
    {
        QFETCH(bool, starts);
        TPagesHlp p;
        QString handedName;
        p.doc().ProjectFileName = "/p/demo.hpa";
        p.setOptionsHook([&](QWidget*, TPagesHlp::OptionsExchange& x) {
            handedName = x.projectFileName;
            x.title.fontName = "Arial";
            x.title.fontSize = 12;
            x.body.fontColour = 0x0000FF00u;
            x.lines->append("<!-- changé par le dialogue -->");
            return starts;
        });
        const QStringList before = p.doc().DocumentLines;
        p.Opt();
        QCOMPARE(handedName, QStringLiteral("/p/demo.hpa"));
        QCOMPARE(p.titleLook().fontName, starts ? QStringLiteral("Arial") : QStringLiteral("MS Sans Serif"));
        QCOMPARE(p.Edit1->font().pointSize(), starts ? 12 : 10);
        QCOMPARE(p.Memo1->palette().color(QPalette::Text), starts ? QColor(0, 255, 0) : QColor(0, 0, 0));
        QCOMPARE(p.doc().DocumentLines[1], starts ? QStringLiteral("Arial") : QStringLiteral("MS Sans Serif"));
        QCOMPARE(p.doc().DocumentLines[7], starts ? QStringLiteral("65280") : QStringLiteral("0"));
    }

    void headerFontsAreApplied()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        QVERIFY(textfile::writeLines(dir.filePath("h.hpa"),
            {"<HEADER>", "Arial", "14", "255", "00FFFFFF", "Courier", "9", "0", "80000005", "</HEADER>"}));
        TPagesHlp p;
        p.Charge(dir.filePath("h.hpa"));
        QCOMPARE(p.titleLook().fontSize, 14);
        QCOMPARE(p.Edit1->font().pointSize(), 14);
        QCOMPARE(p.Edit1->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(p.bodyLook().fontName, QStringLiteral("Courier"));
        p.Nouveau();
        QCOMPARE(p.doc().DocumentLines.mid(0, 10),
            (QStringList{"<HEADER>", "MS Sans Serif", "10", "0", "80000005", "MS Sans Serif", "10", "0", "80000005", "</HEADER>"}));
    }
};

TYX_TEST(PagesHlpTest);
#include "PagesHlpTest.moc"
