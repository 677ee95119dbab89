// Popups as the author makes them: a word selected with the keys, the topic menu's entries, the
// popup editor and the popup list driven through the modal seam; then the document, the .rtf the
// build writes and the .hlp the built-in compiler makes from it.
#include "BodyKeys.h"

#include "editor/windows/TLstPopUp.h"
#include "editor/windows/TPopUp.h"
#include "publish/windows/CompileJob.h"
#include "publish/windows/TCompileReport.h"
#include "platform/core/Launcher.h"
#include "store/core/PopupBlocks.h"
#include "store/core/ProjectBlock.h"
#include "support/TestRegistry.h"
#include "winhelp/format/HlpBytes.h"
#include "winhelp/reader/HlpFileReader.h"

#include <QAction>
#include <QClipboard>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>

using namespace bodykeys;
using namespace store;

namespace {

const QString Mark(ParagraphMark);

// Shows a dialog of the seam as exec() would, and waits until the keyboard focus is in it.
QWidget* showAndFocus(QDialog& d)
{
    d.show();
    d.activateWindow();
    const bool focused = QTest::qWaitFor([&d] {
        QWidget* w = QApplication::focusWidget();
        return w && w->window() == &d;
    });
    if (!focused)
        qWarning("%s did not get the focus", qPrintable(d.objectName()));
    return QApplication::focusWidget();
}

// Closes the popup editor with "Fermer" after `edit` (which gets the editor and its text field,
// which has the focus as it would on screen); `shown` receives the text it opened with.
std::function<int(QDialog&)> popupEditor(QString* shown, std::function<void(TPopUp&, QWidget*)> edit = {})
{
    return [shown, edit](QDialog& d) {
        auto* e = qobject_cast<TPopUp*>(&d);
        if (!e)
            return int(QDialog::Rejected);
        QWidget* focus = showAndFocus(d);
        if (shown)
            *shown = e->Memo1->toPlainText();
        if (edit)
            edit(*e, focus);
        QTest::mouseClick(e->Button1, Qt::LeftButton);
        return d.result();
    };
}

// Chooses entry `row` of the popup list with the keys (Enter), or Escape for -1.
std::function<int(QDialog&)> popupList(int row, QStringList* entries = nullptr)
{
    return [row, entries](QDialog& d) {
        auto* l = qobject_cast<TLstPopUp*>(&d);
        if (!l)
            return int(QDialog::Rejected);
        QWidget* focus = showAndFocus(d);
        if (entries)
            for (int i = 0; i < l->ListBox1->count(); ++i)
                *entries << l->ListBox1->item(i)->text();
        if (row < 0) {
            QTest::keyClick(focus, Qt::Key_Escape);
        } else {
            press(focus, Qt::Key_Down, row);
            QTest::keyClick(focus, Qt::Key_Return);
        }
        return d.result();
    };
}

// A project whose topics have the given body lines, and popups 0, 1, 2 ... with the given titles.
void writeProject(ShellFixture& f, const QList<QStringList>& bodies, const QStringList& popups)
{
    QStringList lines{"<HPJ>", "[OPTIONS]", "</HPJ>"};
    for (int n = 0; n < bodies.size(); ++n)
        lines << topicOpenTag(n) << "1\\" << QStringLiteral("Page %1").arg(n) + TitleEndMark << bodies[n] << topicCloseTag(n);
    for (int p = 0; p < popups.size(); ++p)
        lines << popupBlock(p, {popups[p] + Mark, "Texte de " + popups[p] + "."});
    textfile::writeLines(f.path("p.hpa"), lines);
    f.main->CurrentFileName = f.path("p.hpa");
    f.pages->Charge(f.main->CurrentFileName);
}

QStringList topicBody(const ShellFixture& f, int n)
{
    const auto& lines = f.pages->doc().DocumentLines;
    const int open = findTag(lines, topicOpenTag(n));
    return open < 0 ? QStringList() : lines.mid(open + 3, findExact(lines, topicCloseTag(n), open) - open - 3);
}

// A 2 x 2 bitmap of 24 bits.
QByteArray tinyBmp()
{
    QByteArray b("BM");
    auto u32 = [&b](quint32 v) { for (int i = 0; i < 4; ++i) b.append(char((v >> (8 * i)) & 0xFF)); };
    auto u16 = [&b](quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); };
    u32(54 + 16); u32(0); u32(54);
    u32(40); u32(2); u32(2); u16(1); u16(24); u32(0); u32(16); u32(2835); u32(2835); u32(0); u32(0);
    b.append(QByteArray(16, '\x7F'));
    return b;
}

} // namespace

class MainFormPopupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newPopupsFromSelectedWords()
    {
        ShellFixture f;
        QWidget* title = focusOn(f, f.pages->Edit1);
        QTest::keyClicks(title, "Accueil");
        QWidget* body = bodyWithFocus(f);
        typeText(body, QString::fromUtf8("Ouvrez la fenêtre."));
        selectInFirstLine(body, 10, 7);
        QString shown;
        f.prompts.dialogs.enqueue(popupEditor(&shown));
        f.main->LienPopUp1->trigger();
        QCOMPARE(shown, QString::fromUtf8("Fenêtre") + Mark + "\n"); // the caret on the line after the heading
        QCOMPARE(f.main->PopUp->windowTitle(), QStringLiteral("Rubrique  PopUp"));
        QCOMPARE(bodykeys::body(f), QStringList{QString::fromUtf8("Ouvrez la {\\ul fenêtre}{\\v Pp0000}.")});
        auto& d = f.pages->doc();
        QCOMPARE(d.PopupCount, 1);
        QVERIFY(d.DocumentModified);
        const int open = findTag(d.DocumentLines, popupOpenTag(0));
        QVERIFY(open >= 0);
        QCOMPARE(d.DocumentLines.mid(open, 4), (QStringList{"<POPUP0000>", QString::fromUtf8("Fenêtre0000\x01"),
                                                  QString::fromUtf8("Fenêtre") + Mark, "</POPUP0000>"}));
        // The second popup takes the next number; the list shows both in number order.
        selectInFirstLine(f.pages->Memo1, 0, 6);
        f.prompts.dialogs.enqueue(popupEditor(&shown));
        f.main->LienPopUp1->trigger();
        QCOMPARE(bodykeys::body(f), QStringList{QString::fromUtf8("{\\ul Ouvrez}{\\v Pp0001} la {\\ul fenêtre}{\\v Pp0000}.")});
        QCOMPARE(d.PopupCount, 2);
        QStringList entries;
        f.prompts.dialogs.enqueue(popupList(-1, &entries));
        f.main->VoirPopups1->trigger();
        QCOMPARE(entries, (QStringList{QString::fromUtf8("Fenêtre"), "Ouvrez"}));
        QCOMPARE(f.prompts.shownDialogs, (QStringList{"PopUp", "PopUp", "LstPopUp"}));
        QVERIFY(f.prompts.asked.isEmpty());
    }

    void noSelectionNoPopup()
    {
        ShellFixture f;
        QWidget* body = bodyWithFocus(f);
        QTest::keyClicks(body, "mot");
        f.main->LienPopUp1->trigger();
        QCOMPARE(f.prompts.asked, QStringList{QString::fromUtf8("Il faut sélectionner un mot")});
        QVERIFY(f.prompts.shownDialogs.isEmpty());
        QCOMPARE(f.pages->doc().PopupCount, 0);
    }

    void editingFromALink_data()
    {
        QTest::addColumn<QString>("from");   // the selection starts at this text of the line
        QTest::addColumn<QString>("until");  // and ends after this text
        QTest::addColumn<QString>("opened"); // the popup text shown, or the message
        QTest::newRow("whole link, anchor Appel") << "{\\ul Appel}" << "Pp0001}" << "Un";
        QTest::newRow("whole link, anchor Support") << "{\\ul Support}" << "Pp0000}" << QString::fromUtf8("Zéro");
        QTest::newRow("hidden part from Pp on") << "Pp0000}" << "Pp0000}" << QString::fromUtf8("Zéro");
        QTest::newRow("anchor alone") << "Appel" << "Appel" << "Identificateur non reconnu";
        QTest::newRow("popup that is not there") << "{\\ul Perdu}" << "Pp0007}" << "Identificateur non reconnu";
    }
    void editingFromALink()
    {
        QFETCH(QString, from);
        QFETCH(QString, until);
        QFETCH(QString, opened);
        ShellFixture f;
        const QString line = "Voir {\\ul Appel}{\\v Pp0001} et {\\ul Support}{\\v Pp0000}, {\\ul Perdu}{\\v Pp0007}.";
        writeProject(f, {{line}}, {QString::fromUtf8("Zéro"), "Un"});
        const QStringList before = f.pages->doc().DocumentLines;
        QWidget* body = bodyWithFocus(f);
        const int start = int(line.indexOf(from));
        const int end = int(line.indexOf(until, start)) + int(until.size());
        selectInFirstLine(body, start, end - start);
        QString shown;
        f.prompts.dialogs.enqueue(popupEditor(&shown));
        f.main->ModifierPopUp1->trigger();
        if (opened.startsWith("Identificateur")) {
            QCOMPARE(f.prompts.asked, QStringList{opened});
            QVERIFY(f.prompts.shownDialogs.isEmpty());
        } else {
            QCOMPARE(shown, opened + Mark + "\nTexte de " + opened + ".");
            QVERIFY(f.prompts.asked.isEmpty());
        }
        // Closing without a change leaves the document and the body as they were.
        QCOMPARE(f.pages->doc().DocumentLines, before);
        QVERIFY(!f.pages->doc().DocumentModified);
        QCOMPARE(bodykeys::body(f), QStringList{line});
    }

    void changedPopupMovesAfterTheOthers()
    {
        ShellFixture f;
        writeProject(f, {{"corps"}}, {QString::fromUtf8("Zéro"), "Un"});
        bodyWithFocus(f);
        f.prompts.dialogs.enqueue(popupList(0));
        f.prompts.dialogs.enqueue(popupEditor(nullptr, [](TPopUp&, QWidget* text) { QTest::keyClicks(text, "Le "); }));
        f.main->VoirPopups1->trigger();
        const auto& lines = f.pages->doc().DocumentLines;
        QVERIFY(findTag(lines, popupOpenTag(0)) > findTag(lines, popupOpenTag(1)));
        QCOMPARE(popupTitles(lines), (QStringList{QString::fromUtf8("Le Zéro"), "Un"}));
        QVERIFY(f.pages->doc().DocumentModified);
        QCOMPARE(f.pages->doc().PopupCount, 2);
    }

    void removingAPopup_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Oui") << int(Prompts::Answer::Yes);
        QTest::newRow("Non") << int(Prompts::Answer::No);
    }
    void removingAPopup()
    {
        QFETCH(int, answer);
        const bool yes = answer == int(Prompts::Answer::Yes);
        ShellFixture f;
        const QString links = PopupLink("zéro", 0) + " " + PopupLink("un", 1) + " " + PopupLink("deux", 2);
        writeProject(f, {{links}, {"Aussi " + PopupLink("zéro", 0) + "."}}, {QString::fromUtf8("Zéro"), "Un", "Deux"});
        // A link of the popup to itself goes with it: the question does not count it.
        auto& lines = f.pages->doc().DocumentLines;
        lines.insert(findTag(lines, popupOpenTag(0)) + 3, "Voir " + PopupLink("ici", 0));
        // An edit on screen, not yet stored, survives the removal.
        QWidget* body = bodyWithFocus(f);
        QTest::keyClick(body, Qt::Key_End);
        QTest::keyClicks(body, " fin");
        f.prompts.answers.enqueue(Prompts::Answer(answer));
        f.prompts.dialogs.enqueue(popupList(0));
        f.prompts.dialogs.enqueue(popupEditor(nullptr, [](TPopUp& e, QWidget*) { QTest::mouseClick(e.Button3, Qt::LeftButton); }));
        f.main->VoirPopups1->trigger();
        QCOMPARE(f.prompts.asked,
            QStringList{QString::fromUtf8("Supprimer la PopUp « Zéro » ? 2 liens vers elle deviendront du texte simple.")});
        const QString shown = yes ? QString(QString::fromUtf8("zéro ") + PopupLink("un", 0) + " " + PopupLink("deux", 1) + " fin")
                                  : QString(links + " fin");
        QCOMPARE(bodykeys::body(f), QStringList{shown});
        QCOMPARE(f.pages->doc().PopupCount, yes ? 2 : 3);
        f.pages->EcritFiche();
        QCOMPARE(topicBody(f, 0), QStringList{shown});
        QCOMPARE(topicBody(f, 1), QStringList{yes ? QString::fromUtf8("Aussi zéro.") : "Aussi " + PopupLink("zéro", 0) + "."});
        // Numbers stay free of gaps: the list, the next new popup and a reload agree.
        const QStringList titles = yes ? QStringList{"Un", "Deux"} : QStringList{QString::fromUtf8("Zéro"), "Un", "Deux"};
        QCOMPARE(popupTitles(f.pages->doc().DocumentLines), titles);
        QVERIFY(f.pages->Sauve(f.main->CurrentFileName));
        f.pages->Charge(f.main->CurrentFileName);
        QCOMPARE(f.pages->doc().PopupCount, titles.size());
        QCOMPARE(bodykeys::body(f), QStringList{shown});
    }

    // Popups 0, 1 and 3: the file is altered. Repaired, popup 3 becomes 2 and its link follows; not
    // repaired, a new popup takes the free number 2. Popup 3's text is never overwritten.
    void gapInThePopupNumbers_data()
    {
        QTest::addColumn<bool>("repair");
        QTest::newRow("Oui") << true;
        QTest::newRow("Non") << false;
    }
    void gapInThePopupNumbers()
    {
        QFETCH(bool, repair);
        ShellFixture f;
        QStringList lines{"<HPJ>", "[OPTIONS]", "</HPJ>", topicOpenTag(0), "1\\", "Page" + QString(TitleEndMark),
            "Voir " + PopupLink("trois", 3) + " et un mot", topicCloseTag(0)};
        for (int p : {0, 1, 3})
            lines << popupBlock(p, {QStringLiteral("Titre %1").arg(p) + Mark, QStringLiteral("Texte %1.").arg(p)});
        textfile::writeLines(f.path("p.hpa"), lines);
        f.prompts.answers.enqueue(repair ? Prompts::Answer::Yes : Prompts::Answer::No);
        f.pages->Charge(f.path("p.hpa"));
        QCOMPARE(f.prompts.asked, QStringList{QString::fromUtf8("Le fichier a été altéré. Restaurer ?")});
        QWidget* body = bodyWithFocus(f);
        const int three = repair ? 2 : 3;
        const int fresh = repair ? 3 : 2;
        const QString shown = "Voir " + PopupLink("trois", three) + " et un ";
        selectInFirstLine(body, int(shown.size()), 3);
        f.prompts.dialogs.enqueue(popupEditor(nullptr));
        f.main->LienPopUp1->trigger();
        QCOMPARE(bodykeys::body(f), QStringList{shown + PopupLink("mot", fresh)});
        const auto& doc = f.pages->doc().DocumentLines;
        QCOMPARE(popupText(doc, findTag(doc, popupOpenTag(three)), popupCloseTag(three)), (QStringList{"Titre 3" + Mark, "Texte 3."}));
        QCOMPARE(popupText(doc, findTag(doc, popupOpenTag(fresh)), popupCloseTag(fresh)), QStringList{"Mot" + Mark});
        QCOMPARE(popupTitles(doc).size(), 4);
    }

    // A popup goes only when its whole text is emptied (after the question, as it is linked);
    // emptying its first line keeps it, headed by its first line that holds text.
    void emptyingThePopupText_data()
    {
        QTest::addColumn<bool>("whole");
        QTest::newRow("first line only") << false;
        QTest::newRow("whole text") << true;
    }
    void emptyingThePopupText()
    {
        QFETCH(bool, whole);
        ShellFixture f;
        writeProject(f, {{"Voir " + PopupLink("zéro", 0) + "."}}, {QString::fromUtf8("Zéro"), "Un"});
        bodyWithFocus(f);
        f.prompts.answers.enqueue(Prompts::Answer::Yes);
        f.prompts.dialogs.enqueue(popupList(0));
        f.prompts.dialogs.enqueue(popupEditor(nullptr, [whole](TPopUp&, QWidget* text) {
            QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);
            if (whole)
                QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
            else
                QTest::keyClick(text, Qt::Key_End, Qt::ShiftModifier);
            QTest::keyClick(text, Qt::Key_Delete);
        }));
        f.main->VoirPopups1->trigger();
        const auto& doc = f.pages->doc().DocumentLines;
        if (whole) {
            QCOMPARE(f.prompts.asked.size(), 1); // the link becomes a word: asked first
            QCOMPARE(popupTitles(doc), QStringList{"Un"});
            QCOMPARE(bodykeys::body(f), QStringList{QString::fromUtf8("Voir zéro.")});
            return;
        }
        QVERIFY(f.prompts.asked.isEmpty());
        QCOMPARE(popupTitles(doc), (QStringList{QString::fromUtf8("Texte de Zéro."), "Un"}));
        QCOMPARE(popupText(doc, findTag(doc, popupOpenTag(0)), popupCloseTag(0)), QStringList{QString::fromUtf8("Texte de Zéro.")});
        QCOMPARE(bodykeys::body(f), QStringList{"Voir " + PopupLink("zéro", 0) + "."});
    }

    // Undo never brings back a popup number that no longer means what it meant: after "Lien PopUp"
    // Ctrl+Z in the body takes the link and its popup back together; after a removal it brings the
    // popup back with its links, and a link deleted before stays deleted.
    void undoInTheBodyAfterPopupCommands_data()
    {
        QTest::addColumn<bool>("removal");
        QTest::newRow("after Lien PopUp") << false;
        QTest::newRow("after a removal") << true;
    }
    void undoInTheBodyAfterPopupCommands()
    {
        QFETCH(bool, removal);
        ShellFixture f;
        writeProject(f, {{removal ? "texte " + PopupLink("deux", 2) : QStringLiteral("un mot")}},
            removal ? QStringList{QString::fromUtf8("Zéro"), "Un", "Deux"} : QStringList{});
        QWidget* body = bodyWithFocus(f);
        QString expected;
        if (removal) {
            selectInFirstLine(body, 6, int(PopupLink("deux", 2).size()));
            QTest::keyClick(body, Qt::Key_Delete);
            f.prompts.dialogs.enqueue(popupList(0));
            f.prompts.dialogs.enqueue(popupEditor(nullptr, [](TPopUp& e, QWidget*) { QTest::mouseClick(e.Button3, Qt::LeftButton); }));
            f.main->VoirPopups1->trigger();
            QCOMPARE(popupTitles(f.pages->doc().DocumentLines), (QStringList{"Un", "Deux"}));
            expected = "texte ";
        } else {
            selectInFirstLine(body, 3, 3);
            f.prompts.dialogs.enqueue(popupEditor(nullptr));
            f.main->LienPopUp1->trigger();
            expected = "un " + PopupLink("mot", 0);
        }
        QCOMPARE(bodykeys::body(f), QStringList{expected});
        f.pages->Memo1->setFocus();
        QTest::keyClick(f.pages->Memo1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(bodykeys::body(f), QStringList{removal ? expected : QStringLiteral("un mot")});
        const QStringList titles = removal ? QStringList{QString::fromUtf8("Zéro"), "Un", "Deux"} : QStringList{};
        QCOMPARE(popupTitles(f.pages->doc().DocumentLines), titles);
    }

    void topicEditsSurviveThePopupEditor()
    {
        ShellFixture f;
        writeProject(f, {{"un mot"}}, {});
        QWidget* body = bodyWithFocus(f);
        QTest::keyClick(body, Qt::Key_End);
        typeText(body, QString::fromUtf8(" tapé"));
        selectInFirstLine(body, 3, 3);
        // While the editor is open the topic editor loses and regains the activation, and its page
        // is stored into the document.
        f.prompts.dialogs.enqueue(popupEditor(nullptr, [&f](TPopUp&, QWidget* text) {
            QTest::keyClicks(text, " texte");
            f.pages->EcritFiche();
        }));
        f.main->LienPopUp1->trigger();
        // The page is stored with its new link, the edit typed before the command kept.
        QCOMPARE(topicBody(f, 0), QStringList{QString::fromUtf8("un {\\ul mot}{\\v Pp0000} tapé")});
        f.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
        QCOMPARE(bodykeys::body(f), QStringList{QString::fromUtf8("un {\\ul mot}{\\v Pp0000} tapé")});
        f.pages->EcritFiche();
        QCOMPARE(topicBody(f, 0), QStringList{QString::fromUtf8("un {\\ul mot}{\\v Pp0000} tapé")});
        const int open = findTag(f.pages->doc().DocumentLines, popupOpenTag(0));
        QCOMPARE(popupText(f.pages->doc().DocumentLines, open, popupCloseTag(0)), (QStringList{"Mot" + Mark, " texte"}));
    }

    // Whatever a reader would take for a tag (spaces around it, any letter case), typed in a popup
    // or pasted into a topic, stays text: the file opens again without a question, every line there.
    void linesReadingAsTagsStayText_data()
    {
        QTest::addColumn<bool>("inPopup");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("stored"); // what the reopened file holds
        QTest::newRow("popup, tags at the margin")
            << true << QStringList{"<BLOC0005>", "</POPUP0000>"} << QStringList{"{}<BLOC0005>", "{}</POPUP0000>"};
        QTest::newRow("popup, own close tag after a space, last")
            << true << QStringList{" </POPUP0000>"} << QStringList{"{} </POPUP0000>"};
        QTest::newRow("popup, close tag in lower case")
            << true << QStringList{"</popup0000>  ", "suite"} << QStringList{"{}</popup0000>  ", "suite"};
        QTest::newRow("topic, own close tag after a space")
            << false << QStringList{" </BLOC0000>", "suite"} << QStringList{"{} </BLOC0000>", "suite"};
        QTest::newRow("topic, spaces and lower case") << false << QStringList{"  </bloc0000> ", " <POPUP0000>", "fin"}
                                                      << QStringList{"{}  </bloc0000> ", "{} <POPUP0000>", "fin"};
    }
    void linesReadingAsTagsStayText()
    {
        QFETCH(bool, inPopup);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, stored);
        ShellFixture f;
        writeProject(f, {{"un mot"}}, {});
        QWidget* body = bodyWithFocus(f);
        if (inPopup) {
            selectInFirstLine(body, 3, 3);
            f.prompts.dialogs.enqueue(popupEditor(nullptr, [lines](TPopUp&, QWidget* text) {
                for (qsizetype i = 0; i < lines.size(); ++i) {
                    QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
                    if (i > 0) // the editor opens on the line after the heading
                        QTest::keyClick(text, Qt::Key_Return);
                    QTest::keyClicks(text, lines[i]);
                }
            }));
            f.main->LienPopUp1->trigger();
            for (int i = 0; i + 1 < stored.size(); ++i)
                stored[i] += Mark;
            stored.prepend("Mot" + Mark);
        } else {
            QTest::keyClick(body, Qt::Key_End, Qt::ControlModifier);
            QApplication::clipboard()->setText("\n" + lines.join('\n'));
            QTest::keyClick(body, Qt::Key_V, Qt::ControlModifier);
            stored.prepend("un mot");
        }
        QVERIFY(f.pages->Sauve(f.main->CurrentFileName));
        f.prompts.asked.clear();
        f.pages->Charge(f.main->CurrentFileName);
        QVERIFY(f.prompts.asked.isEmpty()); // no "altered file" question
        QCOMPARE(f.pages->doc().PageCount, 1);
        QCOMPARE(f.pages->doc().PopupCount, inPopup ? 1 : 0);
        if (inPopup) {
            const int open = findTag(f.pages->doc().DocumentLines, popupOpenTag(0));
            QCOMPARE(popupText(f.pages->doc().DocumentLines, open, popupCloseTag(0)), stored);
        } else {
            QCOMPARE(bodykeys::body(f), stored);
        }
    }

    void buildWritesThePopupTopic()
    {
        ShellFixture f;
        f.main->CurrentFileName = f.path("DEMO.hpa");
        QVERIFY(f.pages->Sauve(f.main->CurrentFileName));
        EcritHpj(f.pages->doc().DocumentLines, f.main->CurrentFileName); // the block a new project gets
        QFile bmp(f.path("logo.bmp"));
        QVERIFY(bmp.open(QIODevice::WriteOnly) && bmp.write(tinyBmp()) > 0);
        bmp.close();
        QTest::keyClicks(focusOn(f, f.pages->Edit1), "Accueil");
        QWidget* body = bodyWithFocus(f);
        typeText(body, QString::fromUtf8("{bmc logo.bmp}Ouvrez la fenêtre."));
        f.main->Imagegauche1->trigger();
        selectInFirstLine(QApplication::focusWidget(), 26, 7);
        f.prompts.dialogs.enqueue(popupEditor(nullptr, [](TPopUp&, QWidget* text) {
            QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
            typeText(text, QString::fromUtf8("Une petite fenêtre surgit."));
        }));
        f.main->LienPopUp1->trigger();
        f.main->Compiler2Click();
        f.main->Compilation->wait();
        QTRY_VERIFY(f.exists("DEMO.hlp"));
        QVERIFY(!f.main->CompileReport->isVisible());

        const QByteArray rtf = f.bytes("DEMO.rtf");
        QVERIFY(rtf.contains("\\{bml logo.bmp\\}Ouvrez la {\\ul fen\\'EAtre}{\\v Pp0000}."));
        QVERIFY(rtf.contains("{\\cs16\\super #}{ Pp0000}}\r\n\\fs20 \\b Fen\\'EAtre\\b0 \r\n\\par "
                             "\\fs20 Une petite fen\\'EAtre surgit. \r\n\\par \\page \r\n\\par }"));

        hlp::HlpFile hlpFile;
        QVERIFY2(hlpFile.load(f.bytes("DEMO.hlp")), qPrintable(hlpFile.problems().join('\n')));
        const auto popupAt = hlpFile.contextOffset("Pp0000");
        QVERIFY(popupAt.has_value());
        const auto& topics = hlpFile.topics();
        QCOMPARE(int(topics.size()), 2);
        QCOMPARE(topics[0].title, QByteArray("Accueil"));
        QCOMPARE(topics[0].links.size(), size_t(1));
        QCOMPARE(topics[0].links[0].hash, hlp::contextHash("Pp0000"));
        QCOMPARE(topics[0].links[0].text, QByteArray("fen\xEAtre"));
        QVERIFY(topics[0].links[0].command != 0xE3); // a popup, not a jump
        QCOMPARE(topics[1].offset, *popupAt);
        bool picture = false, popupText = false;
        for (const auto& p : topics[0].paragraphs)
            picture = picture || p.pictureCommands == QList<std::uint8_t>{0x87};
        for (const auto& p : topics[1].paragraphs)
            popupText = popupText || p.text.contains("petite fen\xEAtre");
        QVERIFY(picture);
        QVERIFY(popupText);
    }

    void unbalancedBracesAreWarnedByTitle_data()
    {
        QTest::addColumn<bool>("builtIn");
        QTest::newRow("built-in compiler") << true;
        QTest::newRow("outside compiler") << false;
    }
    void unbalancedBracesAreWarnedByTitle()
    {
        QFETCH(bool, builtIn);
        ShellFixture f;
        QList<launcher::Start> started;
        launcher::setRecorder([&](const launcher::Start& s) { started << s; return true; });
        writeProject(f, {{"Voir {\\b gras"}, {"bien \\{ seul"}}, {"Note"});
        EcritHpj(f.pages->doc().DocumentLines, f.main->CurrentFileName);
        // Braces typed in a popup are not escaped.
        f.prompts.dialogs.enqueue(popupList(0));
        f.prompts.dialogs.enqueue(popupEditor(nullptr, [](TPopUp&, QWidget* text) { QTest::keyClicks(text, "} "); }));
        bodyWithFocus(f);
        f.main->VoirPopups1->trigger();
        if (!builtIn)
            f.main->HelpCompilerPath = QCoreApplication::applicationFilePath();
        f.main->Compiler2Click();
        f.main->Compilation->wait();
        launcher::setRecorder(nullptr);
        QVERIFY(f.exists("p.rtf"));
        if (!builtIn) // the built-in compiler's own report follows on the status line
            QVERIFY(f.main->StatusBar->currentMessage().contains("2 avertissements"));
        QTRY_VERIFY(f.main->CompileReport->isVisible());
        const QString report = f.main->CompileReport->text();
        QVERIFY2(report.contains(QString::fromUtf8("Rubrique « Page 0 »")) && report.contains(QString::fromUtf8("PopUp « } Note »"))
                && !report.contains("Page 1"),
            qPrintable(report));
        QCOMPARE(started.size(), builtIn ? 0 : 1);
    }
};

TYX_TEST(MainFormPopupTest);

#include "MainFormPopupTest.moc"
