// The topic menu's index, hierarchy, see-also and properties entries in the program as start-up
// makes it, and what the build then writes from the reordered, relinked project.
#include "ShellFixture.h"

#include "editor/windows/LienAussi.h"
#include "editor/windows/Propriete.h"
#include "publish/core/ProjectBuild.h"
#include "store/core/ProjectBlock.h"
#include "store/windows/PageListe.h"
#include "store/windows/PageOut.h"
#include "support/TestRegistry.h"
#include "support/WidgetDriving.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

namespace {

// Where each text stands in `file`, in the order given; -1 for a text not found.
QList<qsizetype> positions(const QByteArray& file, const QList<QByteArray>& texts)
{
    QList<qsizetype> out;
    for (const QByteArray& t : texts)
        out << file.indexOf(t);
    return out;
}

} // namespace

class PageCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dialogsAreMadeOnceInStartUpOrder()
    {
        ShellFixture f;
        QStringList order;
        for (QObject* child : f.main->children())
            if (child->inherits("QDialog"))
                order << child->objectName();
        const QStringList expected{"TPageListe", "TPageOut", "TFixerHcp", "TOptions", "TEditHpj", "TLienAussi", "TPropriete"};
        QStringList mine;
        for (const QString& name : order)
            if (expected.contains(name))
                mine << name;
        QCOMPARE(mine, expected);
    }

    // Reorder, nest and link through the menu, then build: the topic file and the [MAP] follow.
    void reorderedAndLinkedProjectBuilds()
    {
        ShellFixture f;
        f.writeProject("DEMO.hpa", {"Accueil", "Bases", QString::fromUtf8("Créer un fichier"), "Divers"});
        f.main->CurrentFileName = f.path("DEMO.hpa");
        f.pages->Charge(f.main->CurrentFileName);
        store::EcritHpj(f.pages->doc().DocumentLines, f.main->CurrentFileName);

        // "Divers" to the top of the index; it opens as topic 0.
        f.prompts.dialogs.enqueue([](QDialog& dialog) {
            auto& d = static_cast<TPageListe&>(dialog);
            d.show();
            driving::clickRow(d.ListBox1, 3);
            for (int i = 0; i < 3; ++i)
                QTest::mouseClick(d.SpeedButton3, Qt::LeftButton);
            QTest::mouseClick(d.Button1, Qt::LeftButton);
            return d.result();
        });
        f.main->Liste1->trigger();
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Divers"));
        QCOMPARE(f.pages->Label2->text(), QStringLiteral("P. 1"));

        // "Bases" under "Accueil" in the hierarchy.
        f.prompts.dialogs.enqueue([](QDialog& dialog) {
            auto& d = static_cast<TPageOut&>(dialog);
            d.show();
            driving::clickNode(d.Outline1, "Bases");
            QTest::mouseClick(d.SpeedButton1, Qt::LeftButton);
            QTest::mouseClick(d.Button1, Qt::LeftButton);
            return d.result();
        });
        f.main->Hirarchie1->trigger();

        // "Divers" links to "Créer un fichier".
        f.prompts.dialogs.enqueue([](QDialog& dialog) {
            auto& d = static_cast<TLienAussi&>(dialog);
            d.show();
            driving::doubleClickRow(d.ListBox1, 3);
            return d.result();
        });
        f.main->Lienvoiraussi1->trigger();

        QStringList properties;
        f.prompts.dialogs.enqueue([&](QDialog& dialog) {
            auto& d = static_cast<TPropriete&>(dialog);
            for (int i = 0; i < d.ListBox1->count(); ++i)
                properties << d.ListBox1->item(i)->text();
            return int(QDialog::Accepted);
        });
        f.main->Proprites1->trigger();
        QCOMPARE(f.prompts.shownDialogs, (QStringList{"TPageListe", "TPageOut", "TLienAussi", "TPropriete"}));
        QCOMPARE(properties.mid(0, 4),
            (QStringList{"Divers", "", "ID : IDH_Divers", "Lien Voir aussi : Crerunfichier"}));
        QVERIFY(f.pages->TestModif());

        auto& doc = f.pages->doc();
        const publish::BuildFiles built = publish::writeBuildFiles(doc.DocumentLines, doc.PageCount, doc.PopupCount,
            f.pages->titleLook(), f.pages->bodyLook(), f.main->CurrentFileName);
        QVERIFY(built.ok());
        const QByteArray hpj = f.bytes("DEMO.hpj");
        for (const char* map : {"IDH_Divers\t1", "IDH_Accueil\t2", "IDH_Bases\t3", "IDH_Crerunfichier\t4"})
            QVERIFY2(hpj.contains(map), map);
        const QByteArray rtf = f.bytes("DEMO.rtf");
        // Topics in their new order; the contents links of topic 0 in the same order.
        const QList<qsizetype> topics = positions(rtf,
            {"{ IDH_Divers}", "{ IDH_Accueil}", "{ IDH_Bases}", "{ IDH_Crerunfichier}"});
        QVERIFY(!topics.contains(-1));
        QVERIFY(std::is_sorted(topics.begin(), topics.end()));
        const QList<qsizetype> contents = positions(rtf,
            {"\\uldb\\cgrid0 Accueil}", "\\uldb\\cgrid0 Bases}", "\\uldb\\cgrid0 Cr\\'E9er un fichier}"});
        QVERIFY(!contents.contains(-1));
        QVERIFY(std::is_sorted(contents.begin(), contents.end()));
        QVERIFY(contents.front() < topics[1]);
        // The see-also jump closes topic 0.
        const qsizetype seeAlso = rtf.indexOf("Voir aussi}{\\v\\cgrid0 IDH_Crerunfichier}");
        QVERIFY(seeAlso > contents.back() && seeAlso < topics[1]);
        // The level of "Bases" is in its keyword line, the rest of the line unchanged.
        const auto& lines = doc.DocumentLines;
        QCOMPARE(lines[store::findTag(lines, store::topicOpenTag(2)) + 1], QStringLiteral("2\\"));

        // The link goes again, and the next build has no jump.
        f.main->Supprimervoiraussi1->trigger();
        f.pages->Suivant();
        publish::writeBuildFiles(doc.DocumentLines, doc.PageCount, doc.PopupCount, f.pages->titleLook(),
            f.pages->bodyLook(), f.main->CurrentFileName);
        QVERIFY(!f.bytes("DEMO.rtf").contains("Voir aussi"));
    }
};

TYX_TEST(PageCommandsTest);
#include "PageCommandsTest.moc"
