// The editor's page index, hierarchy, see-also and properties commands, each driving its real dialog
// through the modal seam; the document lines are checked after the dialog has closed.
#include "editor/core/TopicProperties.h"
#include "editor/windows/LienAussi.h"
#include "editor/windows/PagesHlp.h"
#include "editor/windows/Propriete.h"
#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "store/core/TopicRecord.h"
#include "store/windows/PageListe.h"
#include "store/windows/PageOut.h"
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"
#include "support/WidgetDriving.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace store;

namespace {

// The editor with its dialogs, on a loaded project of pages titled `titles` with bodies "corps n".
struct Editor {
    explicit Editor(const QStringList& titles, const QStringList& keywordLines = {}, const QList<int>& numbers = {})
    {
        QStringList lines{"<HPJ>", "</HPJ>"};
        for (int i = 0; i < titles.size(); ++i) {
            const int n = numbers.value(i, i);
            lines << topicOpenTag(n) << keywordLines.value(i, QStringLiteral("1\\")) << titles[i] + TitleEndMark
                  << QStringLiteral("corps %1").arg(n) << topicCloseTag(n);
        }
        open(lines);
    }
    // The editor on a project of exactly these lines (an altered file is opened as it is).
    struct AsWritten {};
    Editor(AsWritten, const QStringList& lines) { open(lines); }
    void open(const QStringList& lines)
    {
        textfile::writeLines(dir.filePath("p.hpa"), lines);
        p.setLinkDialogs({&index, &outline, &picker, &properties});
        p.Charge(dir.filePath("p.hpa"));
    }
    // "corps n" of topic 0, 1, 2 ... as the readers find them, by their original number n.
    QString bodies(int count) const
    {
        QStringList out;
        for (int n = 0; n < count; ++n) {
            const int open = findTag(p.doc().DocumentLines, topicOpenTag(n));
            out << (open < 0 ? QStringLiteral("-") : p.doc().DocumentLines.value(open + 3).mid(6));
        }
        return out.join(u' ');
    }
    QString keywordLine(int n) const
    {
        const int open = findTag(p.doc().DocumentLines, topicOpenTag(n));
        return open < 0 ? QString() : p.doc().DocumentLines[open + 1];
    }

    ScriptedPrompts prompts;
    QTemporaryDir dir;
    TPagesHlp p;
    TPageListe index;
    TPageOut outline;
    TLienAussi picker;
    TPropriete properties;
};

// Plays the author's moves on the index: "3" highlights row 3, "u"/"d" click Monter/Descendre,
// "F" clicks Fermer, "E" Enter, "X" Escape, "D3" double-clicks row 3, "C" the close box; "v", "t"
// and "s" press Down, Tab and Space where the focus is. Fails
// the test when the moves leave the dialog open.
int playIndex(QDialog& dialog, const QString& moves)
{
    auto& d = static_cast<TPageListe&>(dialog);
    d.show();
    for (qsizetype i = 0; i < moves.size(); ++i) {
        const QChar m = moves[i];
        if (m.isDigit())
            driving::clickRow(d.ListBox1, m.digitValue());
        else if (m == u'u')
            QTest::mouseClick(d.SpeedButton3, Qt::LeftButton);
        else if (m == u'd')
            QTest::mouseClick(d.SpeedButton4, Qt::LeftButton);
        else if (m == u'F')
            QTest::mouseClick(d.Button1, Qt::LeftButton);
        else if (m == u'E')
            QTest::keyClick(driving::focused(&d), Qt::Key_Return);
        else if (m == u'X')
            QTest::keyClick(driving::focused(&d), Qt::Key_Escape);
        else if (m == u'C')
            d.close();
        else if (m == u'v')
            QTest::keyClick(driving::focused(&d), Qt::Key_Down);
        else if (m == u't')
            QTest::keyClick(driving::focused(&d), Qt::Key_Tab);
        else if (m == u's')
            QTest::keyClick(driving::focused(&d), Qt::Key_Space);
        else if (m == u'D') {
            const int row = moves[++i].digitValue();
            driving::doubleClickRow(d.ListBox1, row);
        }
    }
    if (d.isVisible()) {
        QTest::qFail("the index is still open", __FILE__, __LINE__);
        d.hide();
    }
    return d.result();
}

} // namespace

class PagesHlpLinksTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void index_data()
    {
        QTest::addColumn<int>("page"); // the page on screen before F2
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QString>("bodies");
        QTest::addColumn<int>("shownPage");
        QTest::addColumn<QString>("shownTitle");
        QTest::addColumn<bool>("modified");
        QTest::newRow("three times Monter, Fermer") << 0 << "3uuuF" << "3 0 1 2 4" << 0 << "Page 3" << true;
        QTest::newRow("Escape after moving") << 1 << "3uuuX" << "3 0 1 2 4" << 2 << "Page 1" << true;
        QTest::newRow("Enter without moving") << 0 << "2E" << "0 1 2 3 4" << 2 << "Page 2" << false;
        QTest::newRow("double-click without moving") << 0 << "D4" << "0 1 2 3 4" << 4 << "Page 4" << false;
        QTest::newRow("Descendre, close box") << 3 << "0dC" << "1 0 2 3 4" << 1 << "Page 0" << true;
        QTest::newRow("nothing chosen") << 4 << "F" << "0 1 2 3 4" << 4 << "Page 4" << false;
        // By the keyboard alone, from the page on screen, which the list opens on.
        QTest::newRow("Down, Enter: the page after") << 1 << "vE" << "0 1 2 3 4" << 2 << "Page 2" << false;
        QTest::newRow("Tab to Monter, Space, Enter") << 3 << "tsE" << "0 1 3 2 4" << 2 << "Page 3" << true;
    }
    void index()
    {
        QFETCH(int, page);
        QFETCH(QString, moves);
        QFETCH(QString, bodies);
        QFETCH(int, shownPage);
        QFETCH(QString, shownTitle);
        QFETCH(bool, modified);
        Editor e({"Page 0", "Page 1", "Page 2", "Page 3", "Page 4"});
        for (int i = 0; i < page; ++i)
            e.p.Suivant();
        const qsizetype lineCount = e.p.doc().DocumentLines.size();
        e.prompts.dialogs.enqueue([moves](QDialog& d) { return playIndex(d, moves); });
        e.p.show();
        QTest::keyClick(driving::focused(&e.p), Qt::Key_F2);
        QCOMPARE(e.prompts.shownDialogs, QStringList{"TPageListe"});
        QCOMPARE(e.bodies(5), bodies);
        QCOMPARE(e.p.doc().CurrentPage, shownPage);
        QCOMPARE(e.p.Label2->text(), QStringLiteral("P. %1").arg(shownPage + 1));
        QCOMPARE(e.p.Edit1->text(), shownTitle);
        QCOMPARE(e.p.doc().DocumentModified, modified);
        QCOMPARE(e.p.doc().DocumentLines.size(), lineCount);
    }

    // Entries go by their topic's number, never by their title: with two pages titled alike, the
    // one chosen or moved is the one of that row.
    void indexEntriesAreTheirTopics_data()
    {
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QString>("bodies");
        QTest::addColumn<int>("shownPage");
        QTest::addColumn<QString>("shownBody");
        QTest::newRow("Down twice, Enter") << "vvE" << "0 1 2" << 2 << "corps 2";
        QTest::newRow("the second alike moved to the top") << "2uuE" << "2 0 1" << 0 << "corps 2";
    }
    void indexEntriesAreTheirTopics()
    {
        QFETCH(QString, moves);
        QFETCH(QString, bodies);
        QFETCH(int, shownPage);
        QFETCH(QString, shownBody);
        Editor e({QString::fromUtf8("Même"), "Autre", QString::fromUtf8("Même")});
        e.prompts.dialogs.enqueue([moves](QDialog& d) { return playIndex(d, moves); });
        e.p.Index();
        QCOMPARE(e.bodies(3), bodies);
        QCOMPARE(e.p.doc().CurrentPage, shownPage);
        QCOMPARE(e.p.Memo1->toPlainText(), shownBody);
    }

    // The page on screen was edited, then moved by the index and left unchosen: it is stored under
    // its new number and no other topic is overwritten.
    void editedPageFollowsItsNumber()
    {
        Editor e({"Page 0", "Page 1", "Page 2"});
        e.p.Suivant();
        e.p.show();
        QTest::keyClicks(driving::focused(&e.p), " revue"); // the title field has the focus
        e.prompts.dialogs.enqueue([](QDialog& d) { return playIndex(d, "1uX"); });
        QTest::keyClick(driving::focused(&e.p), Qt::Key_F2);
        QCOMPARE(e.p.Label2->text(), QStringLiteral("P. 1"));
        QTest::keyClicks(driving::focused(&e.p), " encore");
        e.p.Suivant();
        QCOMPARE(e.bodies(3), QStringLiteral("1 0 2"));
        QCOMPARE(topicTitle(e.p.doc().DocumentLines, findTag(e.p.doc().DocumentLines, topicOpenTag(0))),
            QStringLiteral("Page 1 revue encore"));
        QCOMPARE(e.p.Edit1->text(), QStringLiteral("Page 0"));
    }

    void indexWithGapsOrNoTopicZero_data()
    {
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<int>("listed");
        QTest::addColumn<QString>("bodies");
        QTest::newRow("0, 1 and 3") << QList<int>{0, 1, 3} << 2 << "1 0 - 3";
        QTest::newRow("no topic 0") << QList<int>{1, 2} << 0 << "- 1 2 -";
    }
    void indexWithGapsOrNoTopicZero()
    {
        QFETCH(QList<int>, numbers);
        QFETCH(int, listed);
        QFETCH(QString, bodies);
        Editor e({"A", "B", "C"}, {}, numbers);
        int count = -1;
        e.prompts.dialogs.enqueue([&](QDialog& d) {
            count = static_cast<TPageListe&>(d).ListBox1->count();
            return playIndex(d, count > 1 ? "1uE" : "E");
        });
        e.p.Index();
        QCOMPARE(count, listed);
        QCOMPARE(e.bodies(4), bodies);
        QCOMPARE(e.p.doc().CurrentPage, 0);
    }

    // The hierarchy: the author's clicks on a node and the arrows, then Fermer. The editor was on
    // "C" (topic 2); it follows its topic and shows its level.
    void hierarchy_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("bodies");
        QTest::addColumn<QString>("levels");
        QTest::addColumn<int>("shownPage");
        QTest::newRow("D up twice") << "D" << "uu" << "3 0 1 2" << "1 1 2 1" << 3;
        QTest::newRow("C to level 2") << "C" << "r" << "0 1 2 3" << "1 2 2 1" << 2;
        QTest::newRow("nothing") << "A" << "" << "0 1 2 3" << "1 2 1 1" << 2;
    }
    void hierarchy()
    {
        QFETCH(QString, node);
        QFETCH(QString, clicks);
        QFETCH(QString, bodies);
        QFETCH(QString, levels);
        QFETCH(int, shownPage);
        Editor e({"A", "B", "C", "D"}, {"1\\", "2b\\", "1c\\", "1d\\"});
        e.p.Suivant();
        e.p.Suivant();
        e.prompts.dialogs.enqueue([&](QDialog& dialog) {
            auto& d = static_cast<TPageOut&>(dialog);
            d.show();
            driving::clickNode(d.Outline1, node);
            for (QChar c : clicks)
                QTest::mouseClick(c == u'u' ? d.SpeedButton3 : d.SpeedButton1, Qt::LeftButton);
            QTest::mouseClick(d.Button1, Qt::LeftButton);
            return d.result();
        });
        e.p.Niveaux();
        QCOMPARE(e.bodies(4), bodies);
        QString l;
        for (int n = 0; n < 4; ++n)
            l += e.keywordLine(n).left(1) + u' ';
        QCOMPARE(l.trimmed(), levels);
        QCOMPARE(e.p.doc().DocumentModified, bodies != "0 1 2 3" || levels != "1 2 1 1");
        QCOMPARE(e.p.Edit1->text(), QStringLiteral("C"));
        QCOMPARE(e.p.doc().CurrentPage, shownPage);
        // Storing the page keeps the level the hierarchy gave it.
        e.p.Edit1->setText("C2");
        e.p.Premier();
        QCOMPARE(e.keywordLine(shownPage).left(1), levels.split(u' ')[shownPage]);
        QCOMPARE(e.keywordLine(shownPage).mid(1), QStringLiteral("c\\"));
    }

    // The hierarchy by the keyboard alone: it opens on the page on screen, and Tab reaches its
    // arrows, each with a name a screen reader says.
    void hierarchyByTheKeyboard()
    {
        Editor e({"A", "B", "C", "D"});
        e.p.Suivant();
        e.p.Suivant();
        QStringList names;
        e.prompts.dialogs.enqueue([&names](QDialog& dialog) {
            auto& d = static_cast<TPageOut&>(dialog);
            d.show();
            for (QToolButton* b : {d.SpeedButton2, d.SpeedButton1, d.SpeedButton3, d.SpeedButton4})
                names << b->accessibleName() + "|" + b->toolTip();
            QTest::keyClick(driving::focused(&d), Qt::Key_Tab);
            QTest::keyClick(driving::focused(&d), Qt::Key_Tab);
            QTest::keyClick(driving::focused(&d), Qt::Key_Space); // "Niveau 2"
            QTest::keyClick(driving::focused(&d), Qt::Key_Escape);
            return d.isVisible() ? -1 : d.result();
        });
        e.p.Niveaux();
        QCOMPARE(names, (QStringList{"Niveau 1|Niveau 1", "Niveau 2|Niveau 2", "Monter|Monter", "Descendre|Descendre"}));
        QCOMPARE(e.keywordLine(2).left(1), QStringLiteral("2"));
        QCOMPARE(e.keywordLine(1).left(1), QStringLiteral("1"));
    }

    // A renumbering the document cannot take (a second tag line of a page, the repair declined at
    // Open) changes nothing, and says why.
    void refusedRenumberingSaysWhy()
    {
        QStringList lines{"<HPJ>", "</HPJ>", topicOpenTag(1), "1\\", QStringLiteral("B") + TitleEndMark, topicOpenTag(1),
            topicCloseTag(1), topicOpenTag(0), "1\\", QStringLiteral("A") + TitleEndMark, "corps", topicCloseTag(0)};
        Editor e(Editor::AsWritten{}, lines);
        e.prompts.asked.clear();
        const QStringList before = e.p.doc().DocumentLines;
        e.prompts.dialogs.enqueue([](QDialog& d) { return playIndex(d, "1uF"); });
        e.p.Index();
        QCOMPARE(e.prompts.asked, QStringList{QString::fromUtf8("L'ordre des pages n'a pas été changé : une balise de "
                                                                "page figure deux fois dans le fichier. Rouvrez-le et "
                                                                "acceptez de le restaurer.")});
        QCOMPARE(e.p.doc().DocumentLines, before);
    }

    // The picker opens on the page's link, or on the page itself; a page never links to itself.
    void seeAlsoByTheKeyboard_data()
    {
        QTest::addColumn<QString>("keywordLine");
        QTest::addColumn<int>("downs");
        QTest::addColumn<QString>("after");
        QTest::newRow("from the link, Down, Enter") << "1mots\\Crerunfichier" << 1 << "1mots\\Fin";
        QTest::newRow("no link, Down, Enter") << "1mots\\" << 1 << "1mots\\Crerunfichier";
        QTest::newRow("no link, Enter on the page itself") << "1mots\\" << 0 << "1mots\\";
    }
    void seeAlsoByTheKeyboard()
    {
        QFETCH(QString, keywordLine);
        QFETCH(int, downs);
        QFETCH(QString, after);
        Editor e({"Accueil", "Page 1", QString::fromUtf8("Créer un fichier"), "Fin"}, {"1\\", keywordLine, "1\\", "1\\"});
        e.p.Suivant();
        e.prompts.dialogs.enqueue([downs](QDialog& dialog) {
            auto& d = static_cast<TLienAussi&>(dialog);
            d.show();
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(driving::focused(&d), Qt::Key_Down);
            QTest::keyClick(driving::focused(&d), Qt::Key_Return);
            return d.isVisible() ? -1 : d.result();
        });
        e.p.VoirAussi();
        QCOMPARE(e.keywordLine(1), after);
        QCOMPARE(e.p.doc().DocumentModified, after != keywordLine);
    }

    // The picker: how it closes decides the link of the page on screen ("Page 1").
    void seeAlso_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("keywordLine");
        QTest::newRow("double-click") << "double-click" << "1mots\\Crerunfichier";
        QTest::newRow("Enter") << "Enter" << "1mots\\Crerunfichier";
        QTest::newRow("OK") << "OK" << "1mots\\Crerunfichier";
        QTest::newRow("close box") << "close box" << "1mots\\Crerunfichier";
        QTest::newRow("Escape after moving") << "Escape" << "1mots\\Ancienne";
        QTest::newRow("Annuler") << "Annuler" << "1mots\\Ancienne";
    }
    void seeAlso()
    {
        QFETCH(QString, how);
        QFETCH(QString, keywordLine);
        Editor e({"Accueil", "Page 1", QString::fromUtf8("Créer un fichier")}, {"1\\", "1mots\\Ancienne", "1\\"});
        e.p.Suivant();
        e.p.Edit1->setText("Page 1 revue"); // changed just before: stored first, under its own number
        e.prompts.dialogs.enqueue([how](QDialog& dialog) {
            auto& d = static_cast<TLienAussi&>(dialog);
            d.show();
            if (how == "double-click") {
                driving::doubleClickRow(d.ListBox1, 2);
                return d.result();
            }
            driving::clickRow(d.ListBox1, 2);
            if (how == "Enter" || how == "Escape")
                QTest::keyClick(driving::focused(&d), how == "Enter" ? Qt::Key_Return : Qt::Key_Escape);
            else if (how == "OK" || how == "Annuler")
                QTest::mouseClick(how == "OK" ? d.Button1 : d.Button2, Qt::LeftButton);
            else
                d.close();
            return d.result();
        });
        e.p.VoirAussi();
        QCOMPARE(e.picker.ListBox1->count(), 3);
        QCOMPARE(e.keywordLine(1), keywordLine);
        QCOMPARE(e.keywordLine(0), QStringLiteral("1\\"));
        QCOMPARE(e.p.doc().SeeAlsoTarget, keywordLine.mid(keywordLine.indexOf(u'\\') + 1));
        QCOMPARE(e.p.Edit1->text(), QStringLiteral("Page 1 revue"));
        // The next store keeps the link.
        e.p.Premier();
        QCOMPARE(e.keywordLine(1), keywordLine);
        QCOMPARE(e.bodies(3), QStringLiteral("0 1 2"));
    }

    void removingTheLink_data()
    {
        QTest::addColumn<QString>("keywordLine");
        QTest::addColumn<QString>("after");
        QTest::newRow("link") << "1mots\\Cible" << "1mots\\";
        QTest::newRow("two backslashes") << "1mots\\Cible\\Autre" << "1mots\\";
        QTest::newRow("no backslash") << "1mots" << "1mots\\";
    }
    void removingTheLink()
    {
        QFETCH(QString, keywordLine);
        QFETCH(QString, after);
        Editor e({"Accueil", "Suite"}, {keywordLine, "1\\"});
        e.p.show();
        QTest::keyClicks(driving::focused(&e.p), "x"); // a change of the fields, not stored yet
        e.p.SupVa();
        QVERIFY(e.p.doc().DocumentModified);
        QVERIFY(e.p.doc().SeeAlsoTarget.isEmpty());
        QCOMPARE(e.p.Edit1->text(), QStringLiteral("Accueilx"));
        e.p.Suivant();
        QCOMPARE(e.keywordLine(0), after);
    }

    void linkCommandsNeedAStoredPage()
    {
        Editor e({"Accueil"});
        e.p.Ajout();
        e.p.SupVa();
        e.p.VoirAussi();
        QVERIFY(e.prompts.shownDialogs.isEmpty());
        QVERIFY(!e.p.doc().DocumentModified);
    }

    // The dialog on the page as stored: the counts stop where every reader ends the block.
    void properties_data()
    {
        QTest::addColumn<QString>("keywordLine");
        QTest::addColumn<QStringList>("body");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QStringList>("shown");
        const QString pictures = QStringLiteral("\\{bmc a.bmp\\} et \\{BML b.bmp\\}");
        const QString links = QStringLiteral("voir {\\ul note}{\\v idh_Note} et {\\v IDH_Autre}");
        QTest::newRow("two pictures and a link")
            << "1mots\\Suite" << QStringList{"Un", pictures, links} << true
            << QStringList{"Titre", "", "ID : IDH_Titre", "Lien Voir aussi : Suite", "Lien PopUp : Note", "",
                   "Nombre de lignes : 3",
                   QString::fromUtf8("Nombre de caractères : %1").arg(2 + pictures.size() + links.size()),
                   "Nombre d'images : 2"};
        QTest::newRow("no backslash, link not closed")
            << "1mots" << QStringList{"{\\V IDH_sans fin"} << true
            << QStringList{"Titre", "", "ID : IDH_Titre", "Lien Voir aussi : ", "Lien PopUp : ", "",
                   "Nombre de lignes : 1", QString::fromUtf8("Nombre de caractères : 16"), "Nombre d'images : 0"};
        QTest::newRow("empty body") << "1\\" << QStringList{} << true
                                    << QStringList{"Titre", "", "ID : IDH_Titre", "Lien Voir aussi : ", "",
                                           "Nombre de lignes : 0", QString::fromUtf8("Nombre de caractères : 0"),
                                           "Nombre d'images : 0"};
        QTest::newRow("no close tag: nothing of the next block") << "1\\" << QStringList{"Un", pictures} << false
            << QStringList{"Titre", "", "ID : IDH_Titre", "Lien Voir aussi : ", "", "Nombre de lignes : 2",
                   QString::fromUtf8("Nombre de caractères : %1").arg(2 + pictures.size()), "Nombre d'images : 2"};
    }
    void properties()
    {
        QFETCH(QString, keywordLine);
        QFETCH(QStringList, body);
        QFETCH(bool, closed);
        QFETCH(QStringList, shown);
        QStringList lines{"<HPJ>", "</HPJ>", topicOpenTag(0), keywordLine, QStringLiteral("Titre") + TitleEndMark};
        lines << body;
        if (closed)
            lines << topicCloseTag(0);
        lines << topicOpenTag(1) << "1\\" << QStringLiteral("Autre") + TitleEndMark << "x \\{bmc c.bmp\\}"
              << "{\\v IDH_Loin}" << topicCloseTag(1);
        Editor e(Editor::AsWritten{}, lines); // the altered file is not repaired: the default answer is Non
        QStringList seen;
        e.prompts.dialogs.enqueue([&seen](QDialog& dialog) {
            auto& d = static_cast<TPropriete&>(dialog);
            d.show();
            for (int i = 0; i < d.ListBox1->count(); ++i)
                seen << d.ListBox1->item(i)->text();
            QTest::keyClick(driving::focused(&d), Qt::Key_Return);
            return d.result();
        });
        e.p.Proprietes();
        QCOMPARE(seen, shown);
    }

    void propertiesOfABlockCutShort()
    {
        const QStringList lines{topicOpenTag(0), "1\\", topicCloseTag(0), "ligne hors bloc", topicOpenTag(1)};
        const QStringList shown = editor::topicProperties(lines, 0);
        QCOMPARE(shown.mid(shown.size() - 3, 1), QStringList{"Nombre de lignes : 0"});
        QVERIFY(editor::topicProperties(lines, 5).isEmpty());
    }

    // The dialog describes the page as last stored, and every key closes it.
    void propertiesDialog_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }
    void propertiesDialog()
    {
        QFETCH(int, key);
        Editor e({"Accueil", "Suite"});
        e.p.Suivant();
        e.p.Memo1->setPlainText("pas encore enregistré");
        QStringList seen;
        e.prompts.dialogs.enqueue([&](QDialog& dialog) {
            auto& d = static_cast<TPropriete&>(dialog);
            d.show();
            for (int i = 0; i < d.ListBox1->count(); ++i)
                seen << d.ListBox1->item(i)->text();
            QTest::keyClick(driving::focused(&d), Qt::Key(key));
            return d.isVisible() ? -1 : d.result();
        });
        e.p.Proprietes();
        QCOMPARE(e.properties.windowTitle(), QString::fromUtf8("Propriétés de la rubrique"));
        QVERIFY(!e.properties.isVisible());
        QCOMPARE(seen.value(0), QStringLiteral("Suite"));
        QVERIFY(seen.contains(QString::fromUtf8("Nombre de caractères : 7")));
        QCOMPARE(e.p.Memo1->toPlainText(), QString::fromUtf8("pas encore enregistré"));
    }
};

TYX_TEST(PagesHlpLinksTest);
#include "PagesHlpLinksTest.moc"
