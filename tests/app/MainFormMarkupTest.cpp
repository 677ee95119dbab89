// The Style menu and picture insertion, driven as the author does: keys in the body, the menu
// entries, the picture file dialog through the modal seam.
#include "BodyKeys.h"

#include "store/core/Blocks.h"
#include "support/TestRegistry.h"

#include <QAction>
#include <QApplication>

using namespace bodykeys;

namespace {
const QString Mark(store::ParagraphMark);
} // namespace

class MainFormMarkupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void styleEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("typed");  // lines typed, Enter between them
        QTest::addColumn<int>("caret");          // characters from the start of the body
        QTest::addColumn<int>("selected");       // characters selected to the right with Shift+Right
        QTest::addColumn<int>("times");
        QTest::addColumn<QStringList>("after");  // body after the entry and then "X" typed
        const QStringList one{"un mot ici"};
        // The wrap leaves no selection: the X goes after the closing word.
        QTest::newRow("Gras") << "Gras1" << one << 3 << 3 << 1 << QStringList{"un \\b mot\\b0X ici"};
        QTest::newRow("Gras, nothing selected, twice") << "Gras1" << one << 3 << 0 << 2
                                                       << QStringList{"un \\b \\b0\\b \\b0Xmot ici"};
        QTest::newRow("Italique") << "Italique1" << one << 0 << 2 << 1 << QStringList{"\\i un\\i0X mot ici"};
        QTest::newRow("Souligné keeps its space") << "Soulign1" << one << 3 << 3 << 1 << QStringList{"un \\ul mot\\ul0 X ici"};
        QTest::newRow("Centrer splits the line") << "Centrer1" << one << 2 << 0 << 1
                                                 << QStringList{"un\\qc " + Mark, "\\pardX mot ici"};
        QTest::newRow("Encadrer a word") << "Encadrer1" << one << 3 << 3 << 1
                                         << QStringList{"un \\box mot" + Mark, "\\pardX ici"};
        // "ici", its mark, the line break and "su".
        QTest::newRow("Centrer over two lines") << "Centrer1" << QStringList{"un mot ici", "suite"} << 7 << 7 << 1
                                                << QStringList{"un mot \\qc ici" + Mark, "su" + Mark, "\\pardXite"};
    }
    void styleEntries()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, typed);
        QFETCH(int, caret);
        QFETCH(int, selected);
        QFETCH(int, times);
        QFETCH(QStringList, after);
        ShellFixture f;
        QWidget* focus = bodyWithFocus(f);
        QVERIFY(focus == f.pages->Memo1);
        for (int i = 0; i < typed.size(); ++i) {
            if (i > 0)
                QTest::keyClick(focus, Qt::Key_Return);
            QTest::keyClicks(focus, typed[i]);
        }
        QTest::keyClick(focus, Qt::Key_Home, Qt::ControlModifier);
        f.pages->Memo1->document()->setModified(false);
        press(focus, Qt::Key_Right, caret);
        press(focus, Qt::Key_Right, selected, Qt::ShiftModifier);
        auto* action = f.main->findChild<QAction*>(entry);
        QVERIFY(action);
        for (int i = 0; i < times; ++i)
            action->trigger();
        QVERIFY(!f.pages->Memo1->textCursor().hasSelection());
        QTest::keyClicks(QApplication::focusWidget(), "X");
        QCOMPARE(body(f), after);
        QVERIFY(f.pages->Memo1->document()->isModified());
    }

    void pictureLines_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("line"); // the caret's line (the caret stays in its middle)
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("said"); // "Pas d'image sur cette ligne"
        const QStringList typed{"Voir \\{bmc a.bmp\\} ici", "\\{BMC A.BMP\\} et \\{bml b.bmp\\}", "sans image"};
        QTest::newRow("droite on the first line") << "Imagedroite1" << 0
            << QStringList{"Voir \\{bmr a.bmp\\} ici", typed[1], typed[2]} << false;
        QTest::newRow("gauche on capitals, first of two") << "Imagegauche1" << 1
            << QStringList{typed[0], "\\{bml A.BMP\\} et \\{bml b.bmp\\}", typed[2]} << false;
        QTest::newRow("caractère keeps the line") << "Imagecommecaractre1" << 0 << typed << false;
        QTest::newRow("line without a picture") << "Imagegauche1" << 2 << typed << true;
    }
    void pictureLines()
    {
        QFETCH(QString, entry);
        QFETCH(int, line);
        QFETCH(QStringList, after);
        QFETCH(bool, said);
        ShellFixture f;
        QWidget* focus = bodyWithFocus(f);
        // Typed braces are escaped by the body itself.
        QTest::keyClicks(focus, "Voir {bmc a.bmp} ici");
        QTest::keyClick(focus, Qt::Key_Return);
        QTest::keyClicks(focus, "{BMC A.BMP} et {bml b.bmp}");
        QTest::keyClick(focus, Qt::Key_Return);
        QTest::keyClicks(focus, "sans image");
        // Enter put a mark on the first two lines: drop them to compare with the table.
        QStringList marked = after;
        marked[0] += Mark;
        marked[1] += Mark;
        QTest::keyClick(focus, Qt::Key_Home, Qt::ControlModifier);
        press(focus, Qt::Key_Down, line);
        press(focus, Qt::Key_Right, 5);
        const int caret = f.pages->Memo1->textCursor().position();
        f.main->findChild<QAction*>(entry)->trigger();
        QCOMPARE(body(f), marked);
        QCOMPARE(f.prompts.asked, said ? QStringList{"Pas d'image sur cette ligne"} : QStringList());
        QCOMPARE(f.pages->Memo1->textCursor().position(), caret);
    }

    void insertingAPicture_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("after");
        QTest::newRow("other folder") << "/ailleurs/images/logo.bmp" << "un \\{bmc logo.bmp\\} ici";
        QTest::newRow("cancelled") << "" << "un mot ici";
    }
    void insertingAPicture()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, after);
        ShellFixture f;
        QWidget* focus = bodyWithFocus(f);
        QTest::keyClicks(focus, "un mot ici");
        QTest::keyClick(focus, Qt::Key_Home);
        press(focus, Qt::Key_Right, 3);
        press(focus, Qt::Key_Right, 3, Qt::ShiftModifier);
        f.pages->doc().PageModified = false;
        f.prompts.fileNames.enqueue(chosen);
        f.main->Insreruneimage1->trigger();
        QCOMPARE(f.prompts.titles, QStringList{QString::fromUtf8("Insérer image")});
        QCOMPARE(f.prompts.filters, QStringList{"Fichiers Bmp (*.bmp)|*.bmp|Fichiers Wmf (*.wmf)|*.wmf|Fichiers Dib (*.dib)|*.dib|"
                                                "Fichiers Shg (*.shg)|*.shg|Fichiers Mrb (*.mrb)|*.mrb"});
        QCOMPARE(f.prompts.initialNames, QStringList{"*.bmp"});
        QCOMPARE(f.prompts.defaultExts, QStringList{"bmp"});
        QCOMPARE(body(f), QStringList{after});
        QCOMPARE(f.pages->doc().PageModified, !chosen.isEmpty());
        if (!chosen.isEmpty()) // the caret ends after the reference
            QCOMPARE(f.pages->Memo1->textCursor().position(), int(QStringLiteral("un \\{bmc logo.bmp\\}").size()));
    }
};

TYX_TEST(MainFormMarkupTest);

#include "MainFormMarkupTest.moc"
