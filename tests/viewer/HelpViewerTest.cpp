// The viewer as a reader uses it: hot spots with the mouse and the keyboard, popups, secondary
// windows, macros, history and browse buttons, the Rubriques d'aide, printing and copying.
#include "ViewerFixture.h"

#include "winhelp/FeatureProjects.h"

#include "support/TestRegistry.h"
#include "support/WidgetDriving.h"
#include "viewer/windows/HelpTopics.h"
#include "viewer/windows/PopupWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

using namespace viewertest;

namespace {

// Shows a dialog modeless, plays the reader's moves on it and gives its result, as its modal
// showing would (a dialog the moves left open is cancelled).
int play(QDialog& d, const std::function<void(QDialog&)>& moves)
{
    d.setResult(QDialog::Rejected);
    d.show();
    moves(d);
    if (d.isVisible())
        d.reject();
    return d.result();
}

} // namespace

class HelpViewerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensAtItsContentsWithItsWindowsLook()
    {
        ViewerFixture f;
        QVERIFY(f.open());
        QCOMPARE(f.viewer.currentTopic(), int(Contents));
        QCOMPARE(f.viewer.windowTitle(), QStringLiteral("Aide d'essai"));
        // The non-scrolling region stands apart from the text, in its own colour.
        QCOMPARE(f.viewer.View->Region->toPlainText(), QStringLiteral("Sommaire de l'essai"));
        QVERIFY(!f.viewer.View->Text->toPlainText().contains(QStringLiteral("Sommaire de l'essai")));
        QCOMPARE(f.viewer.View->Region->palette().color(QPalette::Base), QColor(192, 192, 192));
    }

    void hotSpotsWithMouseAndKeyboard_data()
    {
        QTest::addColumn<QString>("hotSpot");
        QTest::addColumn<bool>("keyboard");
        QTest::addColumn<QString>("outcome"); // topic:N, popup, window, said
        QTest::newRow("jump, clicked") << QString::fromUtf8("Deuxième") << false << "topic:1";
        QTest::newRow("jump, Tab and Entrée") << QString::fromUtf8("Deuxième") << true << "topic:1";
        QTest::newRow("popup, clicked") << QString::fromUtf8("Définition") << false << "popup";
        QTest::newRow("popup, Tab and Entrée") << QString::fromUtf8("Définition") << true << "popup";
        QTest::newRow("jump into a secondary window") << QString::fromUtf8("Fenêtre") << false << "window";
        QTest::newRow("macro JumpId") << "Macro" << true << "topic:2";
        QTest::newRow("macro without an equivalent") << "Inconnue" << false << "said";
    }
    void hotSpotsWithMouseAndKeyboard()
    {
        QFETCH(QString, hotSpot);
        QFETCH(bool, keyboard);
        QFETCH(QString, outcome);
        ViewerFixture f;
        QVERIFY(f.open());
        QTextBrowser* text = f.viewer.View->Text;
        QVERIFY(keyboard ? tabToAndEnter(text, hotSpot) : clickText(text, hotSpot));
        if (outcome.startsWith("topic:")) {
            QCOMPARE(f.viewer.currentTopic(), outcome.mid(6).toInt());
        } else if (outcome == "popup") {
            PopupWindow* popup = f.viewer.popupWindow();
            QVERIFY(popup && popup->isVisible());
            QCOMPARE(popup->Text->toPlainText(), QString::fromUtf8("Une définition en fenêtre surgissante."));
            QCOMPARE(f.viewer.currentTopic(), int(Contents));
            // Échap closes it, as a click anywhere does.
            QTest::keyClick(popup->Text, Qt::Key_Escape);
            QTRY_VERIFY(!f.viewer.popupWindow());
        } else if (outcome == "window") {
            QWidget* w = f.viewer.secondaryWindow("SEC");
            QVERIFY(w && w->isVisible());
            QCOMPARE(w->windowTitle(), QString::fromUtf8("Fenêtre secondaire"));
            auto* view = w->findChild<TopicView*>();
            QVERIFY(view->Text->toPlainText().startsWith(QString::fromUtf8("Texte de la troisième")));
            QCOMPARE(f.viewer.currentTopic(), int(Contents));
        } else {
            QCOMPARE(f.prompts.asked, QStringList{QString::fromUtf8("La macro « ExecProgram » n'est pas disponible dans cette visionneuse.")});
            QCOMPARE(f.viewer.currentTopic(), int(Contents));
        }
    }

    void aClickInAPopupClosesIt()
    {
        ViewerFixture f;
        QVERIFY(f.open());
        QVERIFY(clickText(f.viewer.View->Text, QString::fromUtf8("Définition")));
        PopupWindow* popup = f.viewer.popupWindow();
        QVERIFY(popup && popup->isVisible());
        QVERIFY(clickText(popup->Text, QStringLiteral("surgissante")));
        QTRY_VERIFY(!f.viewer.popupWindow());
    }

    // The hot spots of a .shg picture: its four quadrants jump, pop up, open a window, run a macro.
    void pictureHotSpots_data()
    {
        QTest::addColumn<QPoint>("at"); // in the picture
        QTest::addColumn<QString>("outcome");
        QTest::newRow("invisible jump") << QPoint(20, 16) << "Cible";
        QTest::newRow("invisible popup") << QPoint(70, 16) << "popup";
        QTest::newRow("macro JI") << QPoint(70, 48) << "Cible";
    }
    void pictureHotSpots()
    {
        QFETCH(QPoint, at);
        QFETCH(QString, outcome);
        ViewerFixture f;
        f.write("figure.shg", hlptest::sampleShg());
        f.write("figure.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\r\n#{\\footnote IDH_Accueil}${\\footnote Accueil}"
                              "Figure \\{bmc figure.shg\\}\\par\\page\r\n#{\\footnote IDH_CIBLE}${\\footnote Cible}Texte cible.\\par\\page\r\n"
                              "#{\\footnote IDH_NOTE}${\\footnote Note}Texte de la note.\\par\\page\r\n"
                              "#{\\footnote IDH_SECONDAIRE}${\\footnote Seconde}Seconde.\\par}");
        f.write("figure.hpj", "[OPTIONS]\r\nCONTENTS=IDH_Accueil\r\n[FILES]\r\nfigure.rtf\r\n[WINDOWS]\r\nsecond=\"Seconde\"\r\n");
        QVERIFY(f.viewer.openFile(f.dir.filePath("figure.hpj")));
        f.viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.viewer));
        QTextBrowser* text = f.viewer.View->Text;
        // The picture stands on the base line of its line, after "Figure ".
        QTextCursor c(text->document());
        c.setPosition(QStringLiteral("Figure ").size());
        const QRect place = text->cursorRect(c);
        const int descent = QFontMetrics(text->document()->defaultFont()).descent();
        const QPoint corner(place.left(), place.bottom() + 1 - descent - 64);
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, corner + at);
        if (outcome == "popup") {
            QVERIFY(f.viewer.popupWindow() && f.viewer.popupWindow()->isVisible());
            QCOMPARE(f.viewer.popupWindow()->Text->toPlainText(), "Texte de la note.");
        } else {
            QCOMPARE(f.viewer.session()->topicTitle(f.viewer.currentTopic()), outcome);
        }
    }

    void historyAndBrowseButtons()
    {
        ViewerFixture f;
        QVERIFY(f.open());
        QVERIFY(!f.viewer.BackBtn->isEnabled());
        QVERIFY(!f.viewer.NextBtn->isEnabled()); // the contents is in no sequence
        QVERIFY(clickText(f.viewer.View->Text, QString::fromUtf8("Deuxième")));
        const auto click = [&f](QToolButton* b) {
            QVERIFY(b->isEnabled());
            QTest::mouseClick(b, Qt::LeftButton);
        };
        click(f.viewer.NextBtn); // » follows the sequence
        QCOMPARE(f.viewer.currentTopic(), int(Third));
        QVERIFY(!f.viewer.NextBtn->isEnabled());
        click(f.viewer.PrevBtn);
        QCOMPARE(f.viewer.currentTopic(), int(Second));
        click(f.viewer.BackBtn); // back through what was seen
        QCOMPARE(f.viewer.currentTopic(), int(Third));
        click(f.viewer.BackBtn);
        click(f.viewer.BackBtn);
        QCOMPARE(f.viewer.currentTopic(), int(Contents));
        QVERIFY(!f.viewer.BackBtn->isEnabled());
        click(f.viewer.ForwardBtn);
        QCOMPARE(f.viewer.currentTopic(), int(Second));
        // Alt+Gauche goes back too.
        QTest::keyClick(f.viewer.View->Text, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(f.viewer.currentTopic(), int(Contents));
    }

    void rubriquesDaide_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("pickAmongFound"); // -1: no list of found topics expected
        QTest::addColumn<int>("shown");
        // The buttons answer their letters with Alt, as their captions show.
        QTest::newRow("index, one topic") << "I" << "deu" << -1 << int(Second);
        QTest::newRow("index, a keyword of two topics") << "I" << "COMM" << 1 << int(Third);
        QTest::newRow("search: the title match first") << "R" << QString::fromUtf8("deuxieme") << -1 << int(Second);
        QTest::newRow("search in the text") << "R" << QString::fromUtf8("rareté") << -1 << int(Second);
        QTest::newRow("contents tree") << "S" << "" << -1 << int(Contents);
    }
    void rubriquesDaide()
    {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(int, pickAmongFound);
        QFETCH(int, shown);
        ViewerFixture f;
        QVERIFY(f.open());
        f.viewer.showTopic(Third); // somewhere else than what is chosen
        QStringList listed;
        f.prompts.dialogs << [&](QDialog& d) {
            return play(d, [&](QDialog& dialog) {
                auto& topics = static_cast<HelpTopics&>(dialog);
                // The keys go where the dialog puts the focus.
                QWidget* field = topics.focusWidget();
                for (const QChar c : typed)
                    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
                QListWidget* list = topics.Tabs->currentIndex() == 2 ? topics.ListSearch : topics.ListIndex;
                for (int row = 0; row < list->count(); ++row)
                    if (!list->isRowHidden(row))
                        listed << list->item(row)->text();
                QTest::keyClick(topics.focusWidget(), Qt::Key_Return);
            });
        };
        if (pickAmongFound >= 0)
            f.prompts.dialogs << [&](QDialog& d) {
                return play(d, [&](QDialog& found) {
                    auto* list = found.findChild<QListWidget*>(QStringLiteral("ListFound"));
                    QCOMPARE(list->count(), 2);
                    list->setCurrentRow(pickAmongFound);
                    QTest::keyClick(found.focusWidget(), Qt::Key_Return);
                });
            };
        QTest::keyClick(f.viewer.View->Text, button.at(0).toLatin1(), Qt::AltModifier);
        QCOMPARE(f.prompts.shownDialogs.size(), pickAmongFound >= 0 ? 2 : 1);
        QCOMPARE(f.viewer.currentTopic(), shown);
        if (button == "R" && typed.startsWith("deux"))
            QCOMPARE(listed, (QStringList{QString::fromUtf8("Deuxième rubrique"), "Sommaire", QString::fromUtf8("Troisième rubrique")}));
        if (typed == "deu")
            QCOMPARE(listed, QStringList{"deux"});
    }

    void printsTheTopicAsShown()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        ViewerFixture f;
        QVERIFY(f.open());
        const QString pdf = f.dir.filePath("rubrique.pdf");
        f.prompts.dialogs << [&pdf](QDialog& d) {
            QPrinter* printer = static_cast<QPrintDialog&>(d).printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        };
        QTest::mouseClick(f.viewer.PrintBtn, Qt::LeftButton);
        QProcess text;
        text.start("pdftotext", {pdf, "-"});
        QVERIFY(text.waitForFinished());
        // pdftotext gives some letter pairs as one ligature character.
        const QString printed = QString::fromUtf8(text.readAllStandardOutput()).replace(QChar(0xFB01), QStringLiteral("fi")).simplified();
        QVERIFY2(printed.startsWith(QString::fromUtf8("Sommaire de l'essai Voir Deuxième et Définition.")), qPrintable(printed));
        QVERIFY(!printed.contains("IDH_"));
    }

    void copiesTheTopicOrTheSelection()
    {
        ViewerFixture f;
        QVERIFY(f.open());
        f.viewer.showTopic(Second);
        QTest::keyClick(f.viewer.View->Text, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8("Texte de la deuxième rubrique avec le mot rareté."));
        QTextCursor c = find(f.viewer.View->Text, QString::fromUtf8("rareté"));
        f.viewer.View->Text->setTextCursor(c);
        QTest::mouseClick(f.viewer.CopyBtn, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8("rareté"));
    }

    void whatCannotBeReadIsSaid()
    {
        ViewerFixture f;
        f.write("abime.hlp", QByteArray("\x3F\x5F\x03\x00", 4) + QByteArray(60, '\xFF'));
        QVERIFY(!f.viewer.openFile(f.dir.filePath("abime.hlp")));
        QCOMPARE(f.prompts.asked.size(), 1);
        // Which file, then what is wrong with it.
        const QString told = QString::fromUtf8("Le fichier d'aide « %1 » n'a pas pu être lu : ").arg(f.dir.filePath("abime.hlp"));
        QVERIFY2(f.prompts.asked.front().startsWith(told) && f.prompts.asked.front().size() > told.size(),
            qPrintable(f.prompts.asked.front()));
        QVERIFY(!f.viewer.hasHelp());
        QVERIFY(!f.viewer.openFile(f.dir.filePath("absent.hlp")));
        QCOMPARE(f.prompts.asked.last(), QString::fromUtf8("Le fichier d'aide « %1 » est introuvable.").arg(f.dir.filePath("absent.hlp")));
    }
};

TYX_TEST(HelpViewerTest);
#include "HelpViewerTest.moc"
