// The popup editor and the popup list as windows: keys in their fields, their buttons, what Result
// does to the document's lines, and where the editor comes back on screen.
#include "editor/windows/TLstPopUp.h"
#include "editor/windows/TPopUp.h"
#include "platform/core/Cp1252.h"
#include "store/core/Blocks.h"
#include "store/core/PopupBlocks.h"
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"
#include "support/WidgetDriving.h"

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QClipboard>
#include <QTest>

using namespace store;

namespace {

const QString Mark(ParagraphMark);

QStringList popupLines(int n, const QString& title, const QStringList& text)
{
    QStringList out{popupOpenTag(n), title + BlockNumber(n) + TitleEndMark};
    out << text << popupCloseTag(n);
    return out;
}

// Shows the dialog and returns the widget that has the keyboard focus once it is up.
QWidget* shownFocus(QDialog& d)
{
    d.show();
    d.activateWindow();
    if (!QTest::qWaitForWindowActive(&d))
        return nullptr;
    QTest::qWait(1); // the editor puts the focus back once the window is active
    return QApplication::focusWidget();
}

} // namespace

class PopupDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newPopupFromAWord()
    {
        ScriptedPrompts prompts;
        TPopUp e;
        QStringList lines = popupLines(0, "Zéro", {"Zéro" + Mark});
        e.Init(lines, QString::fromUtf8("fenêtre"));
        QCOMPARE(e.windowTitle(), QStringLiteral("Rubrique  PopUp"));
        QCOMPARE(e.Memo1->toPlainText(), QString::fromUtf8("Fenêtre") + Mark + "\n");
        QCOMPARE(shownFocus(e), e.Memo1);
        QCOMPARE(e.Memo1->textCursor().blockNumber(), 1); // the caret on the line after the heading
        e.Button1->click(); // "Fermer" at once
        QVERIFY(!e.isVisible());
        bool modified = false;
        QString text = "fenêtre";
        QCOMPARE(e.Result(lines, modified, text), TPopUp::Outcome::Added);
        QVERIFY(modified);
        QCOMPARE(text, QString::fromUtf8("{\\ul fenêtre}{\\v Pp0001}"));
        QCOMPARE(lines.mid(4), (QStringList{"<POPUP0001>", QString::fromUtf8("Fenêtre0001\x01"),
                                   QString::fromUtf8("Fenêtre") + Mark, "</POPUP0001>"}));
    }

    void typingInThePopupText()
    {
        ScriptedPrompts prompts;
        TPopUp e;
        QStringList lines;
        e.Init(lines, "note");
        QCOMPARE(shownFocus(e), e.Memo1);
        // The caret is already on the line after the heading.
        QTest::keyClicks(e.Memo1, "{\\b gras} ");
        QTest::keyClick(e.Memo1, Qt::Key_Return);
        QTest::keyClicks(e.Memo1, "fin");
        e.close(); // the close box applies the text too
        bool modified = false;
        QString text;
        QCOMPARE(e.Result(lines, modified, text), TPopUp::Outcome::Added);
        QCOMPARE(popupText(lines, 0, popupCloseTag(0)), (QStringList{"Note" + Mark, "{\\b gras} " + Mark, "fin"}));
    }

    void pasteAsText()
    {
        ScriptedPrompts prompts;
        TPopUp e;
        QStringList lines;
        e.Init(lines, "note");
        QCOMPARE(shownFocus(e), e.Memo1);
        QApplication::clipboard()->setText("C:\\Calculo\nfin");
        QTest::keyClick(e.Memo1, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        e.Button1->click();
        bool modified = false;
        QString text;
        QCOMPARE(e.Result(lines, modified, text), TPopUp::Outcome::Added);
        QCOMPARE(popupText(lines, 0, popupCloseTag(0)), (QStringList{"Note" + Mark, "C:\\\\Calculo" + Mark, "fin"}));
    }

    void everyByteOfTheCodePageSurvives()
    {
        ScriptedPrompts prompts;
        QString all;
        for (int b = 1; b < 256; ++b)
            if (b != '\n' && b != '\r')
                all += cp1252::fromByte(uchar(b));
        QStringList lines = popupLines(0, "Octets", {"Octets" + Mark, all, QString(3, QChar(0xA0))});
        TPopUp e;
        QVERIFY(e.Modif(lines, "<popup0000>"));
        QCOMPARE(e.PopupNumber, 0);
        shownFocus(e);
        e.Memo1->moveCursor(QTextCursor::End);
        QTest::keyClick(e.Memo1, Qt::Key_Exclam);
        e.Button1->click();
        bool modified = false;
        QString text;
        QCOMPARE(e.Result(lines, modified, text), TPopUp::Outcome::Changed);
        QCOMPARE(popupText(lines, 0, popupCloseTag(0)), (QStringList{"Octets" + Mark, all, QString(3, QChar(0xA0)) + "!"}));
    }

    // Pasted into the popup text, a control character but Tab becomes "?" as it enters.
    void controlCharactersNeverEnter()
    {
        ScriptedPrompts prompts;
        QStringList lines;
        TPopUp e;
        e.Init(lines, "note");
        QWidget* text = shownFocus(e);
        QApplication::clipboard()->setText(QString("a") + QChar(0) + "b\tc" + QChar(0x1B));
        QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.Memo1->toPlainText(), "Note" + Mark + "\na?b\tc?"); // on the line after the heading
    }

    void closingWithoutAChangeLeavesTheDocument()
    {
        ScriptedPrompts prompts;
        QStringList lines = popupLines(0, "Zéro", {"Zéro" + Mark}) + popupLines(1, "Un", {"Un" + Mark});
        const QStringList before = lines;
        TPopUp e;
        QVERIFY(e.Modif(lines, "<POPUP0000>"));
        e.Button1->click();
        bool modified = false;
        QString text = "inchangé";
        QCOMPARE(e.Result(lines, modified, text), TPopUp::Outcome::None);
        QCOMPARE(lines, before);
        QVERIFY(!modified);
        QCOMPARE(text, QString::fromUtf8("inchangé"));
        // A changed popup 0 moves after popup 1 and keeps its number.
        QVERIFY(e.Modif(lines, "<POPUP0000>"));
        QTest::keyClicks(e.Memo1, "Le ");
        QCOMPARE(e.Result(lines, modified, text), TPopUp::Outcome::Changed);
        QCOMPARE(lines, popupLines(1, "Un", {"Un" + Mark}) + popupLines(0, "Le Zéro", {"Le Zéro" + Mark}));
        QCOMPARE(popupTitles(lines), (QStringList{"Le Zéro", "Un"}));
        QVERIFY(prompts.asked.isEmpty());
    }

    void unknownTagIsSaid()
    {
        ScriptedPrompts prompts;
        TPopUp e;
        QVERIFY(!e.Modif(popupLines(0, "Zéro", {"Z"}), "<POPUP0001>"));
        QVERIFY(!e.Modif({"<POPUPabcd>", "x", "</POPUPabcd>"}, "<POPUPabcd>"));
        QCOMPARE(prompts.asked, QStringList(2, "Identificateur non reconnu"));
    }

    void supprimerRemovesAfterTheQuestion_data()
    {
        QTest::addColumn<int>("links");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question"); // empty: none asked
        QTest::addColumn<bool>("removed");
        QTest::newRow("no link: no question") << 0 << int(Prompts::Answer::No) << "" << true;
        QTest::newRow("one link, Oui") << 1 << int(Prompts::Answer::Yes)
                                       << "Supprimer la PopUp « Un » ? 1 lien vers elle deviendra du texte simple." << true;
        QTest::newRow("three links, Non") << 3 << int(Prompts::Answer::No)
                                          << "Supprimer la PopUp « Un » ? 3 liens vers elle deviendront du texte simple."
                                          << false;
    }
    void supprimerRemovesAfterTheQuestion()
    {
        QFETCH(int, links);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(bool, removed);
        ScriptedPrompts prompts;
        prompts.answers.enqueue(Prompts::Answer(answer));
        QStringList body;
        for (int i = 0; i < links; ++i)
            body << PopupLink("mot", 1) + " " + PopupLink("autre", 2);
        QStringList lines = QStringList{"<BLOC0000>", "1\\", "Page\x01"} + body + QStringList{"</BLOC0000>"};
        lines << popupLines(0, "Zéro", {"Zéro" + Mark}) << popupLines(1, "Un", {"Un" + Mark}) << popupLines(2, "Deux", {"D"});
        const QStringList before = lines;
        TPopUp e;
        QVERIFY(e.Modif(lines, "<POPUP0001>"));
        shownFocus(e);
        e.Button3->click();
        QVERIFY(e.Memo1->toPlainText().isEmpty());
        QCOMPARE(QApplication::focusWidget(), e.Memo1);
        e.Button1->click();
        bool modified = false;
        QString text;
        QCOMPARE(e.Result(lines, modified, text), removed ? TPopUp::Outcome::Removed : TPopUp::Outcome::None);
        QCOMPARE(prompts.asked, question.isEmpty() ? QStringList() : QStringList{question});
        QCOMPARE(modified, removed);
        if (!removed) {
            QCOMPARE(lines, before);
            return;
        }
        QCOMPARE(popupTitles(lines), (QStringList{"Zéro", "Deux"}));
        for (int i = 0; i < links; ++i)
            QCOMPARE(lines[3 + i], "mot " + PopupLink("autre", 1));
    }

    void newPopupWithEmptyTextIsNotMade()
    {
        ScriptedPrompts prompts;
        QStringList lines = popupLines(0, "Zéro", {"Z"});
        const QStringList before = lines;
        TPopUp e;
        e.Init(lines, "mot");
        e.Button3->click();
        bool modified = false;
        QString text = "mot";
        QCOMPARE(e.Result(lines, modified, text), TPopUp::Outcome::None);
        QCOMPARE(lines, before);
        QCOMPARE(text, QStringLiteral("mot"));
        QVERIFY(!modified);
    }

    void placeOnScreen_data()
    {
        QTest::addColumn<QPoint>("given");
        QTest::addColumn<QPoint>("placed");
        QTest::newRow("0 0") << QPoint(0, 0) << QPoint(330, 70);
        QTest::newRow("4 69") << QPoint(4, 69) << QPoint(330, 70);
        QTest::newRow("5 70") << QPoint(5, 70) << QPoint(5, 70);
        QTest::newRow("400 300") << QPoint(400, 300) << QPoint(400, 300);
    }
    void placeOnScreen()
    {
        QFETCH(QPoint, given);
        QFETCH(QPoint, placed);
        TPopUp e;
        e.SetIni(given.x(), given.y(), 255);
        int left = 0, top = 0, colour = 0;
        e.GetIni(left, top, colour);
        QCOMPARE(QPoint(left, top), placed);
        QCOMPARE(colour, int(0x8000000Fu)); // its own colour, not the one given
    }

    void listChoice_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("chosen");
        QTest::newRow("Down, Enter") << "enter" << 1;
        QTest::newRow("Down, OK") << "ok" << 1;
        QTest::newRow("double-click") << "double" << 2;
        QTest::newRow("Down, Escape") << "escape" << -1;
        QTest::newRow("Down, Annuler") << "annuler" << -1;
        QTest::newRow("Down, close box") << "close" << -1;
    }
    void listChoice()
    {
        QFETCH(QString, how);
        QFETCH(int, chosen);
        TLstPopUp l;
        QStringList lines = popupLines(2, "Deux", {"D"}) + popupLines(0, "Zéro", {"Z"}) + popupLines(1, "Un", {"U"});
        // An earlier showing confirmed with OK does not count for this one.
        l.Init(lines);
        l.Button1->click();
        QCOMPARE(l.ItemIndex(), 0);
        l.Init(lines);
        QCOMPARE(l.windowTitle(), QStringLiteral("Liste des PopUp"));
        QCOMPARE(l.ListBox1->count(), 3);
        QCOMPARE(l.ListBox1->item(2)->text(), QStringLiteral("Deux"));
        QWidget* focus = shownFocus(l);
        QCOMPARE(focus, l.ListBox1);
        QTest::keyClick(focus, Qt::Key_Down);
        if (how == "enter")
            QTest::keyClick(focus, Qt::Key_Return);
        else if (how == "ok")
            QTest::mouseClick(l.Button1, Qt::LeftButton);
        else if (how == "escape")
            QTest::keyClick(focus, Qt::Key_Escape);
        else if (how == "annuler")
            QTest::mouseClick(l.Button2, Qt::LeftButton);
        else if (how == "close")
            l.close();
        else
            driving::doubleClickRow(l.ListBox1, 2);
        QVERIFY(!l.isVisible());
        QCOMPARE(l.ItemIndex(), chosen);
    }
};

TYX_TEST(PopupDialogsTest);

#include "PopupDialogsTest.moc"
