// The page index and the hierarchy driven as the author drives them: mouse on the list and the
// buttons, keys on the widget that has the focus.
#include "platform/core/Cp1252.h"
#include "store/windows/PageListe.h"
#include "store/windows/PageOut.h"
#include "StoreTestData.h"
#include "support/TestRegistry.h"
#include "support/WidgetDriving.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace store;

namespace {

QStringList topics(const QStringList& titles, const QStringList& keywordLines = {})
{
    QStringList lines;
    for (int n = 0; n < titles.size(); ++n)
        lines << topicOpenTag(n) << keywordLines.value(n, QStringLiteral("1\\")) << titles[n] + TitleEndMark
              << QStringLiteral("corps %1").arg(n) << topicCloseTag(n);
    return lines;
}

QStringList listed(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// The outline as text: each title with one dot per level of depth, in display order.
QString tree(const QTreeWidget* t)
{
    QStringList out;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(t)); *it; ++it) {
        int depth = 0;
        for (auto* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        out << QString(depth, u'.') + (*it)->text(0);
    }
    return out.join(u' ');
}

} // namespace

class PageDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void looks()
    {
        TPageListe index;
        QCOMPARE(index.windowTitle(), QStringLiteral("Index des pages"));
        QCOMPARE(index.size(), QSize(413, 380));
        QCOMPARE(index.SpeedButton3->toolTip(), QStringLiteral("Monter"));
        QCOMPARE(index.SpeedButton4->toolTip(), QStringLiteral("Descendre"));
        QCOMPARE(index.Button1->text(), QStringLiteral("Fermer"));
        QCOMPARE(index.ListBox1->geometry(), QRect(0, 33, 413, 347));
        TPageOut outline;
        QCOMPARE(outline.windowTitle(), QString::fromUtf8("Hiérarchie des pages"));
        QCOMPARE(outline.size(), QSize(391, 380));
        QVERIFY(outline.SpeedButton1->x() > outline.SpeedButton2->x());
        QCOMPARE(outline.SpeedButton2->toolTip(), QStringLiteral("Niveau 1"));
        QCOMPARE(outline.Outline1->geometry(), QRect(0, 33, 391, 347));
        QVERIFY(!(outline.windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    // How the index closes decides what stays highlighted: Escape alone clears it.
    void indexClosing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("chosen");
        QTest::newRow("Fermer") << "Fermer" << 2;
        QTest::newRow("Enter") << "Enter" << 2;
        QTest::newRow("Escape") << "Escape" << -1;
        QTest::newRow("double-click") << "double-click" << 1;
        QTest::newRow("close box") << "close box" << 2;
    }
    void indexClosing()
    {
        QFETCH(QString, how);
        QFETCH(int, chosen);
        TPageListe d;
        d.Init(topics({"Accueil", "Bases", "Calcul"}));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.chosenTopic(), -1); // nothing highlighted at first
        driving::clickRow(d.ListBox1, 2);
        if (how == "Fermer")
            QTest::mouseClick(d.Button1, Qt::LeftButton);
        else if (how == "Enter")
            QTest::keyClick(driving::focused(&d), Qt::Key_Return);
        else if (how == "Escape")
            QTest::keyClick(driving::focused(&d), Qt::Key_Escape);
        else if (how == "double-click")
            driving::doubleClickRow(d.ListBox1, 1);
        else
            d.close();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.chosenTopic(), chosen);
    }

    void indexButtons_data()
    {
        QTest::addColumn<int>("row"); // -1: nothing highlighted
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("order");
        QTest::newRow("three times up") << 3 << "uuu" << "D A B C E";
        QTest::newRow("up on the first") << 0 << "u" << "A B C D E";
        QTest::newRow("down on the last") << 4 << "d" << "A B C D E";
        QTest::newRow("down twice") << 1 << "dd" << "A C D B E";
        QTest::newRow("nothing highlighted") << -1 << "ud" << "A B C D E";
    }
    void indexButtons()
    {
        QFETCH(int, row);
        QFETCH(QString, clicks);
        QFETCH(QString, order);
        TPageListe d;
        d.Init(topics({"A", "B", "C", "D", "E"}));
        d.show();
        if (row >= 0)
            driving::clickRow(d.ListBox1, row);
        for (QChar c : clicks)
            QTest::mouseClick(c == u'u' ? d.SpeedButton3 : d.SpeedButton4, Qt::LeftButton);
        QCOMPARE(listed(d.ListBox1).join(u' '), order);
        // The moved entry stays highlighted and keeps its topic.
        if (row >= 0)
            QCOMPARE(d.chosenTopic(), row);
        QStringList lines = topics({"A", "B", "C", "D", "E"});
        bool modified = false;
        d.Result(lines, modified);
        QCOMPARE(modified, order != "A B C D E");
    }

    // Titles holding every byte of the code page but the line ends: shown and kept as they are.
    void titlesKeepEveryCharacter()
    {
        QString every;
        for (int b = 1; b < 256; ++b)
            if (b != '\n' && b != '\r')
                every += cp1252::fromByte(uchar(b));
        QStringList lines = topics({"A", every + every});
        TPageListe index;
        index.Init(lines);
        QCOMPARE(index.ListBox1->item(1)->text(), every + every);
        TPageOut outline;
        outline.Init(lines);
        QCOMPARE(outline.shown().value(1).title, every + every);
    }

    void typingJumpsToATitle()
    {
        TPageListe d;
        d.Init(topics({"Accueil", "Bases", "Calcul", "Cela"}));
        d.show();
        d.ListBox1->setFocus();
        QTest::keyClicks(driving::focused(&d), "cel");
        QCOMPARE(d.ListBox1->currentItem()->text(), QStringLiteral("Cela"));
        QTest::keyClick(driving::focused(&d), Qt::Key_Return);
        QCOMPARE(d.chosenTopic(), 3);
    }

    void hierarchyShowsLevels_data()
    {
        QTest::addColumn<QStringList>("keywordLines");
        QTest::addColumn<QString>("shape");
        QTest::newRow("1, 2, 2, 1") << QStringList{"1\\", "2\\", "2\\", "1\\"} << "A .B ..C D";
        QTest::newRow("level-2 topic 0") << QStringList{"2\\", "2\\", "1\\", "1\\"} << "A .B C D";
        QTest::newRow("level not a digit") << QStringList{"1\\", "x\\", "2\\", ""} << "A B .C D";
    }
    void hierarchyShowsLevels()
    {
        QFETCH(QStringList, keywordLines);
        QFETCH(QString, shape);
        TPageOut d;
        d.Init(topics({"A", "B", "C", "D"}, keywordLines));
        QCOMPARE(tree(d.Outline1), shape);
    }

    // Each row: the node clicked, then the buttons (l, r, u, d), then the outline and how closing
    // leaves the keyword lines and the order of the bodies.
    void hierarchyButtons_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("bodies");
        QTest::addColumn<QString>("levels");
        QTest::newRow("right") << "C" << "r" << "A .B ..C D" << "0 1 2 3" << "1 2 2 1";
        QTest::newRow("left") << "B" << "l" << "A B C D" << "0 1 2 3" << "1 1 1 1";
        QTest::newRow("down with its child") << "A" << "d" << "C A .B D" << "2 0 1 3" << "1 1 2 1";
        QTest::newRow("up twice") << "D" << "uu" << "D A .B C" << "3 0 1 2" << "1 1 2 1";
        QTest::newRow("child has no sibling") << "B" << "ud" << "A .B C D" << "0 1 2 3" << "1 2 1 1";
        QTest::newRow("right on the first") << "A" << "r" << "A .B C D" << "0 1 2 3" << "1 2 1 1";
        // Topic 0 is top-level whatever its level digit: the "2" it keeps changes nothing.
        QTest::newRow("left, up, right on the first") << "B" << "lur" << "B A C D" << "1 0 2 3" << "2 1 1 1";
    }
    void hierarchyButtons()
    {
        QFETCH(QString, node);
        QFETCH(QString, clicks);
        QFETCH(QString, shape);
        QFETCH(QString, bodies);
        QFETCH(QString, levels);
        QStringList lines = topics({"A", "B", "C", "D"}, {"1\\", "2\\", "1\\", "1\\"});
        TPageOut d;
        d.Init(lines);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        driving::clickNode(d.Outline1, node);
        for (QChar c : clicks) {
            QToolButton* b = c == u'l' ? d.SpeedButton2 : c == u'r' ? d.SpeedButton1 : c == u'u' ? d.SpeedButton3 : d.SpeedButton4;
            QTest::mouseClick(b, Qt::LeftButton);
        }
        QCOMPARE(tree(d.Outline1), shape);
        QCOMPARE(d.Outline1->currentItem()->text(0), node); // the moved node stays highlighted
        QTest::keyClick(driving::focused(&d), Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        bool modified = false;
        d.Result(lines, modified);
        QStringList b, l;
        for (int n = 0; n < 4; ++n) {
            const int open = findTag(lines, topicOpenTag(n));
            b << lines[open + 3].mid(6);
            l << lines[open + 1].left(1);
        }
        QCOMPARE(b.join(u' '), bodies);
        QCOMPARE(l.join(u' '), levels);
        QCOMPARE(modified, bodies != "0 1 2 3" || levels != "1 2 1 1");
        // Opened again, the tree is the one that was closed.
        d.Init(lines);
        QCOMPARE(tree(d.Outline1), shape);
    }

    void enterClosesTheHierarchy()
    {
        TPageOut d;
        d.Init(topics({"A", "B"}));
        d.show();
        d.Outline1->setFocus();
        QTest::keyClick(driving::focused(&d), Qt::Key_Enter);
        QVERIFY(!d.isVisible());
    }
};

TYX_TEST(PageDialogsTest);
#include "PageDialogsTest.moc"
