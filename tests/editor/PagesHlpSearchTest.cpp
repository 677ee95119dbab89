#include "editor/windows/PagesHlp.h"
#include "editor/windows/SearchDialogs.h"
#include "platform/core/Cp1252.h"
#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace store;

namespace {

const QString NotFound = QString::fromUtf8("Chaîne not trouvée");

QStringList topic(int n, const QString& title, const QStringList& body)
{
    QStringList out{topicOpenTag(n), "1clef\\", title + TitleEndMark};
    out << body << topicCloseTag(n);
    return out;
}

void load(TPagesHlp& p, QTemporaryDir& dir, const QStringList& topics)
{
    QVERIFY(textfile::writeLines(dir.filePath("s.hpa"), QStringList{"<HPJ>", "</HPJ>"} + topics));
    p.Charge(dir.filePath("s.hpa"));
}

// The topics "Un", "Deux", "Trois", each with the word "mot" in its body.
void loadThree(TPagesHlp& p, QTemporaryDir& dir)
{
    load(p, dir, topic(0, "Un", {"premier mot"}) + topic(1, "Deux", {"ligne", "second mot"})
            + topic(2, "Trois", {"mot final"}));
}

QString bodySelection(const TPagesHlp& p)
{
    return p.Memo1->textCursor().selectedText();
}

// What the find dialog's find-next does, by the keyboard: Enter in its field.
void findNext(TFindDialog* d)
{
    QTest::keyClick(d->FindEdit, Qt::Key_Return);
}

void typeFind(TFindDialog* d, const QString& text)
{
    d->FindEdit->selectAll();
    QTest::keyClicks(d->FindEdit, text);
}

} // namespace

class PagesHlpSearchTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findDialogWalksThroughTheTopics()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        loadThree(p, dir);
        p.Chercher();
        QVERIFY(p.FindDialog1->isVisible());
        typeFind(p.FindDialog1, "MOT");
        findNext(p.FindDialog1);
        QCOMPARE(p.doc().CurrentPage, 0);
        QCOMPARE(bodySelection(p), QStringLiteral("mot"));
        QCOMPARE(p.Memo1->textCursor().selectionStart(), 8);
        findNext(p.FindDialog1);
        QCOMPARE(p.doc().CurrentPage, 1);
        QCOMPARE(p.Label2->text(), QStringLiteral("P. 2"));
        QCOMPARE(p.Memo1->textCursor().selectionStart(), 6 + 7); // second line
        QVERIFY(!p.Edit1->hasSelectedText());
        findNext(p.FindDialog1);
        QCOMPARE(p.doc().CurrentPage, 2);
        QVERIFY(prompts.asked.isEmpty());
        findNext(p.FindDialog1);
        QCOMPARE(prompts.asked, QStringList{NotFound});
        QVERIFY(!p.FindDialog1->isVisible());
        QVERIFY(!p.Memo1->textCursor().hasSelection());
        // F3's command after the end: the same message; a new search starts at the first block.
        p.Continuer();
        QCOMPARE(prompts.asked, (QStringList{NotFound, NotFound}));
        p.Chercher();
        findNext(p.FindDialog1);
        QCOMPARE(p.doc().CurrentPage, 0);
    }

    void titleMatchIsSelectedInTheTitleField()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        loadThree(p, dir);
        p.Chercher();
        typeFind(p.FindDialog1, "rois");
        findNext(p.FindDialog1);
        QCOMPARE(p.doc().CurrentPage, 2);
        QCOMPARE(p.Edit1->selectedText(), QStringLiteral("rois"));
        QCOMPARE(p.Edit1->selectionStart(), 1);
        QVERIFY(!p.Memo1->textCursor().hasSelection());
    }

    void continueWithoutTextAsksForOne()
    {
        ScriptedPrompts prompts;
        TPagesHlp p;
        QVERIFY(!p.FindDialog1->isVisible());
        p.Continuer();
        QVERIFY(p.FindDialog1->isVisible());
        QVERIFY(prompts.asked.isEmpty());
    }

    void editsSurviveASearchStepAndTheRestIsStillSearched()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        load(p, dir, topic(0, "Un", {"premier mot"}) + topic(1, "Deux", {"mot un", "ligne"})
                + topic(2, "Trois", {"x", "le mot final"}));
        p.Chercher();
        typeFind(p.FindDialog1, "mot");
        findNext(p.FindDialog1);
        QCOMPARE(p.doc().CurrentPage, 0);
        // The author types in the body: the next step stores it (the block moves to the end)...
        p.Memo1->moveCursor(QTextCursor::End);
        QTest::keyClicks(p.Memo1, " ajout");
        findNext(p.FindDialog1);
        const int open = findTag(p.doc().DocumentLines, topicOpenTag(0));
        QCOMPARE(p.doc().DocumentLines[open + 3], QStringLiteral("premier mot ajout"));
        QCOMPARE(open, int(p.doc().DocumentLines.size()) - 5);
        // ... and topics 1 and 2 still come in order, each match selected, the changed topic 0 last.
        QCOMPARE(p.doc().CurrentPage, 1);
        QCOMPARE(p.Memo1->textCursor().selectionStart(), 0);
        QCOMPARE(bodySelection(p), QStringLiteral("mot"));
        findNext(p.FindDialog1);
        QCOMPARE(p.doc().CurrentPage, 2);
        QCOMPARE(p.Memo1->textCursor().selectionStart(), 2 + 3);
        QCOMPARE(bodySelection(p), QStringLiteral("mot"));
        findNext(p.FindDialog1);
        QCOMPARE(p.doc().CurrentPage, 0);
        QCOMPARE(p.Memo1->toPlainText(), QStringLiteral("premier mot ajout"));
        QCOMPARE(bodySelection(p), QStringLiteral("mot"));
        findNext(p.FindDialog1);
        QCOMPARE(prompts.asked, QStringList{NotFound});
    }

    void replaceOneThenFindsFromTheStart()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        loadThree(p, dir);
        p.Remplacer();
        TReplaceDialog* d = p.ReplaceDialog1;
        QVERIFY(d->isVisible());
        typeFind(d, "mot");
        QTest::keyClicks(d->ReplaceEdit, "terme");
        QTest::mouseClick(d->FindButton, Qt::LeftButton);
        QTest::mouseClick(d->FindButton, Qt::LeftButton);
        QCOMPARE(p.doc().CurrentPage, 1);
        QTest::mouseClick(d->ReplaceButton, Qt::LeftButton);
        // Topic 1 changed and stored last; the next match is the first in storage order.
        const QStringList& lines = p.doc().DocumentLines;
        QCOMPARE(lines.mid(lines.size() - 6), topic(1, "Deux", {"ligne", "second terme"}));
        QCOMPARE(p.doc().CurrentPage, 0);
        QCOMPARE(bodySelection(p), QStringLiteral("mot"));
        QVERIFY(p.doc().DocumentModified);
        QVERIFY(d->isVisible());
        QVERIFY(prompts.asked.isEmpty());
        // Saved and opened again: the replacement is there, every page too.
        QVERIFY(p.Sauve(dir.filePath("s.hpa")));
        TPagesHlp reread;
        QVERIFY(reread.Charge(dir.filePath("s.hpa")));
        QCOMPARE(reread.doc().PageCount, 3);
        reread.Suivant();
        QCOMPARE(reread.Memo1->toPlainText(), QStringLiteral("ligne\nsecond terme"));
    }

    void replaceAllKeepsTheEditorsWork()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        load(p, dir, topic(0, "Mot et mot", {"mot, MOT et mot"}) + topic(1, "B", {"un mot"}));
        QTest::keyClicks(p.Edit2, "nouvelle"); // unsaved keyword edit of the page on screen
        p.Remplacer();
        TReplaceDialog* d = p.ReplaceDialog1;
        typeFind(d, "mot");
        QTest::keyClicks(d->ReplaceEdit, "mot mot");
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        QCOMPARE(prompts.asked, QStringList{QString::fromUtf8("Remplacement terminé : 6 remplacements.")});
        QVERIFY(!d->isVisible());
        QCOMPARE(p.Edit1->text(), QStringLiteral("mot mot et mot mot"));
        QCOMPARE(p.Memo1->toPlainText(), QStringLiteral("mot mot, mot mot et mot mot"));
        QCOMPARE(p.Edit2->text(), QStringLiteral("clefnouvelle"));
        const QStringList& lines = p.doc().DocumentLines;
        QCOMPARE(lines[findTag(lines, topicOpenTag(1)) + 3], QStringLiteral("un mot mot"));
        QVERIFY(p.doc().DocumentModified);
    }

    // The find field takes every character of the code page (a file may hold any); the replacement
    // goes into the document, where a control character but Tab never enters: each becomes "?".
    void dialogFieldsCarryEveryCodePageCharacter()
    {
        // Every character of code page 1252 but the line ends, pasted into both fields.
        QByteArray bytes;
        for (int b = 0; b < 256; ++b)
            if (b != '\r' && b != '\n')
                bytes.append(char(b));
        const QString text = cp1252::decode(bytes);
        QCOMPARE(text.size(), 254);

        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        load(p, dir, topic(0, "T", {"avant"}));
        p.doc().DocumentLines[findTag(p.doc().DocumentLines, topicOpenTag(0)) + 3] = "<" + text + ">";
        p.Remplacer();
        TReplaceDialog* d = p.ReplaceDialog1;
        QApplication::clipboard()->setText(text);
        d->FindEdit->setFocus();
        QTest::keyClick(d->FindEdit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(d->FindText(), text);
        QTest::mouseClick(d->FindButton, Qt::LeftButton);
        QCOMPARE(p.Memo1->textCursor().selectionStart(), 1);
        QCOMPARE(p.Memo1->textCursor().selectionEnd(), 255);
        QString reversed = text;
        std::reverse(reversed.begin(), reversed.end());
        QApplication::clipboard()->setText(reversed);
        QTest::keyClick(d->ReplaceEdit, Qt::Key_V, Qt::ControlModifier);
        QString entered = reversed;
        for (QChar& c : entered)
            if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F)
                c = u'?';
        QCOMPARE(d->ReplaceText(), entered);
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        QCOMPARE(p.doc().DocumentLines[findTag(p.doc().DocumentLines, topicOpenTag(0)) + 3], "<" + entered + ">");
    }

    // A page without a title cannot be stored: searching or replacing would read another page, or
    // this one again, and drop its text. The author is told, and the text stays.
    void untitledPageKeepsItsText_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Suivant") << "FindButton";
        QTest::newRow("Remplacer") << "ReplaceButton";
        QTest::newRow("Remplacer tout, nothing found") << "ReplaceAllButton";
    }
    void untitledPageKeepsItsText()
    {
        QFETCH(QString, button);
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        loadThree(p, dir);
        QVERIFY(p.Ajout());
        QTest::keyClicks(p.Memo1, "texte garde");
        p.Remplacer();
        TReplaceDialog* d = p.ReplaceDialog1;
        typeFind(d, button.startsWith("ReplaceAll") ? "absent" : "mot");
        QTest::keyClicks(d->ReplaceEdit, "terme");
        QTest::mouseClick(d->findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(prompts.asked, QStringList{QString::fromUtf8(
            "Cette page n'a pas de titre : son texte serait perdu. Donnez-lui un titre avant de chercher ou de remplacer.")});
        QCOMPARE(p.doc().CurrentPage, 3);
        QCOMPARE(p.Memo1->toPlainText(), QStringLiteral("texte garde"));
        // Titled, it is stored and saved with the others.
        QTest::keyClicks(p.Edit1, "Quatre");
        QVERIFY(p.Sauve(dir.filePath("s.hpa")));
        TPagesHlp reread;
        QVERIFY(reread.Charge(dir.filePath("s.hpa")));
        reread.Dernier();
        QCOMPARE(reread.Edit1->text(), QStringLiteral("Quatre"));
        QCOMPARE(reread.Memo1->toPlainText(), QStringLiteral("texte garde"));
        QCOMPARE(reread.doc().PageCount, 4);
    }

    // "Remplacer" never empties a title (that would delete its page): refused with a message, and
    // "Remplacer tout" leaves such a title as it is and says so, with the number of replacements.
    void replacingNeverEmptiesATitle()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        load(p, dir, topic(0, "Aide", {"Aide en ligne"}) + topic(1, "Aide en ligne", {"x"}));
        p.Remplacer();
        TReplaceDialog* d = p.ReplaceDialog1;
        typeFind(d, "aide");
        QTest::mouseClick(d->FindButton, Qt::LeftButton);
        QCOMPARE(p.Edit1->selectedText(), QStringLiteral("Aide"));
        QTest::mouseClick(d->ReplaceButton, Qt::LeftButton);
        QCOMPARE(prompts.asked, QStringList{QString::fromUtf8("Le titre ne peut pas être vide : il n'a pas été remplacé.")});
        QCOMPARE(p.Edit1->text(), QStringLiteral("Aide"));
        prompts.asked.clear();
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        QCOMPARE(prompts.asked, QStringList{QString::fromUtf8("Remplacement terminé : 2 remplacements. Le titre de la "
                                                              "page P. 1 n'a pas été remplacé : il serait vide.")});
        QVERIFY(p.Sauve(dir.filePath("s.hpa")));
        TPagesHlp reread;
        QVERIFY(reread.Charge(dir.filePath("s.hpa")));
        QCOMPARE(reread.doc().PageCount, 2);
        QCOMPARE(reread.Edit1->text(), QStringLiteral("Aide"));
        QCOMPARE(reread.Memo1->toPlainText(), QStringLiteral(" en ligne"));
        reread.Suivant();
        QCOMPARE(reread.Edit1->text(), QStringLiteral(" en ligne"));
    }

    // From the keyboard alone: Tab goes from "Rechercher" to "Remplacer par", then the buttons;
    // the dialog moves off the match it shows.
    void replaceDialogByTheKeyboard()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TPagesHlp p;
        loadThree(p, dir);
        p.resize(600, 400);
        p.show();
        QVERIFY(QTest::qWaitForWindowActive(&p));
        p.Remplacer();
        TReplaceDialog* d = p.ReplaceDialog1;
        d->move(p.Memo1->viewport()->mapToGlobal(QPoint(0, 0))); // over the body's first line
        d->activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), d->FindEdit);
        QTest::keyClicks(d->FindEdit, "mot");
        QStringList order;
        for (int i = 0; i < 6; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{"FindEdit", "ReplaceEdit", "FindButton", "ReplaceButton", "ReplaceAllButton", "CancelButton"}));
        QCOMPARE(QApplication::focusWidget(), d->FindEdit);
        QTest::keyClick(d->FindEdit, Qt::Key_Return);
        QCOMPARE(bodySelection(p), QStringLiteral("mot"));
        QTextCursor at = p.Memo1->textCursor();
        const QRect start = p.Memo1->cursorRect(at);
        at.setPosition(at.selectionStart());
        const QRect match = p.Memo1->cursorRect(at).united(start).translated(p.Memo1->viewport()->mapToGlobal(QPoint(0, 0)));
        QVERIFY(!d->frameGeometry().intersects(match));
        QVERIFY(d->isVisible());
    }

    void replacementKeepsToTheCodePage()
    {
        ScriptedPrompts prompts;
        TPagesHlp p;
        p.Remplacer();
        QApplication::clipboard()->setText(QString::fromUtf8("a→b"));
        QTest::keyClick(p.ReplaceDialog1->ReplaceEdit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(p.ReplaceDialog1->ReplaceText(), QStringLiteral("a?b"));
    }
};

TYX_TEST(PagesHlpSearchTest);
#include "PagesHlpSearchTest.moc"
