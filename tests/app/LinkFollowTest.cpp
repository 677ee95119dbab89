// A topic's new title and the links to it: the author is asked once, and on Oui every see-also and
// jump of every topic and popup follows the new key, so the help has no dead link; one Ctrl+Z
// takes the title and the links back together.
#include "BodyKeys.h"

#include "publish/core/ProjectBuild.h"
#include "store/core/PopupBlocks.h"
#include "store/core/TopicRecord.h"
#include "support/TestRegistry.h"
#include "winhelp/HlpCompiler.h"

#include <QAction>

using namespace store;

namespace {

QString lineAfter(const QStringList& lines, const QString& tag, int offset)
{
    return lines.value(findTag(lines, tag) + offset);
}

} // namespace

class LinkFollowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void renamedTopicTakesItsLinks_data()
    {
        QTest::addColumn<bool>("follow");
        QTest::newRow("Oui") << true;
        QTest::newRow("Non") << false;
    }
    void renamedTopicTakesItsLinks()
    {
        QFETCH(bool, follow);
        ShellFixture f;
        const QString mark(ParagraphMark);
        QStringList lines{"<HPJ>", "[OPTIONS]", "[FILES]", "p.rtf", "[WINDOWS]", "fen=\"Fen\"", "</HPJ>"};
        lines << topicOpenTag(0) << "1\\" << "Accueil" + TitleEndMark << "texte" + mark << topicCloseTag(0)
              << topicOpenTag(1) << "1\\Accueil" << "Bases" + TitleEndMark << "{\\uldb retour}{\\v IDH_Accueil}" + mark
              << topicCloseTag(1) << topicOpenTag(2) << "1\\" << "Calculs" + TitleEndMark << "IDH_Accueils reste" + mark
              << topicCloseTag(2) << popupBlock(0, {"Note" + mark, "voir {\\uldb accueil}{\\v IDH_accueil>fen}"});
        textfile::writeLines(f.path("p.hpa"), lines);
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();

        QWidget* title = bodykeys::focusOn(f, f.pages->Edit1);
        QTest::keyClick(title, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(title, "Bienvenue");
        f.prompts.answers.enqueue(follow ? Prompts::Answer::Yes : Prompts::Answer::No);
        QTest::keyClick(title, Qt::Key_PageDown);
        QCOMPARE(f.prompts.asked, QStringList{QString::fromUtf8("3 liens (voir aussi ou sauts) mènent à l'ancien titre de "
                                                                "cette rubrique (IDH_Accueil). Les faire suivre vers IDH_Bienvenue ?")});
        const QString key = follow ? "Bienvenue" : "Accueil";
        const QStringList& doc = f.pages->doc().DocumentLines;
        QCOMPARE(lineAfter(doc, topicOpenTag(1), 1), "1\\" + key);
        QCOMPARE(lineAfter(doc, topicOpenTag(1), 3), "{\\uldb retour}{\\v IDH_" + key + "}" + mark);
        QCOMPARE(lineAfter(doc, popupOpenTag(0), 3), QString(follow ? "voir {\\uldb accueil}{\\v IDH_Bienvenue>fen}"
                                                                  : "voir {\\uldb accueil}{\\v IDH_accueil>fen}"));
        QCOMPARE(lineAfter(doc, topicOpenTag(2), 3), "IDH_Accueils reste" + mark);
        // Asked once: going back and forth asks nothing more.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        QCOMPARE(f.prompts.asked.size(), 1);

        if (follow) {
            // One step: the title and its links come back together, and go again.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(f.pages->Edit1->text(), QStringLiteral("Accueil"));
            QCOMPARE(lineAfter(doc, topicOpenTag(1), 1), QStringLiteral("1\\Accueil"));
            QCOMPARE(lineAfter(doc, popupOpenTag(0), 3), QStringLiteral("voir {\\uldb accueil}{\\v IDH_accueil>fen}"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
            QCOMPARE(lineAfter(doc, topicOpenTag(1), 1), QStringLiteral("1\\Bienvenue"));
        }

        // The built help: no dead link after Oui; after Non the see-also and both jumps are errors.
        auto& d = f.pages->doc();
        const publish::BuildFiles built = publish::writeBuildFiles(d.DocumentLines, d.PageCount, d.PopupCount,
            f.pages->titleLook(), f.pages->bodyLook(), f.path("p.hpa"));
        QVERIFY(built.ok());
        const hlp::CompileResult c = hlp::HlpCompiler().compile(built.hpjPath);
        QVERIFY(c.written);
        QCOMPARE(c.errorCount, follow ? 0 : 3);
    }
};

TYX_TEST(LinkFollowTest);
#include "LinkFollowTest.moc"
