// The calculator window: the keypad, keys through FormKeyPress from the window and the
// buttons (but not "1/x" and "sqr"), Escape on "=", messages through the seam, reset on showing.
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"
#include "tools/windows/TPocket.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

QPushButton* button(TPocket& pocket, int n)
{
    return pocket.findChild<QPushButton*>(QStringLiteral("Button%1").arg(n));
}

} // namespace

class TPocketTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keypad_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("caption");
        const char* const captions[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ",", "=", "+", "-", "*", "/",
            "1/x", "sqr", "C", "Fermer"};
        for (int n = 0; n < 20; ++n)
            QTest::newRow(captions[n]) << n << QString::fromLatin1(captions[n]);
    }
    void keypad()
    {
        QFETCH(int, number);
        QFETCH(QString, caption);
        TPocket pocket;
        QCOMPARE(pocket.objectName(), QStringLiteral("TPocket"));
        QCOMPARE(pocket.windowTitle(), QStringLiteral("Calculatrice"));
        QPushButton* b = button(pocket, number);
        QVERIFY(b);
        QCOMPARE(b->text(), caption);
        QVERIFY(pocket.findChild<QLabel*>(QStringLiteral("Label1")));
        QVERIFY(pocket.findChild<QLabel*>(QStringLiteral("Label2")));
    }

    void keysOnButtons_data()
    {
        QTest::addColumn<int>("focused"); // the button that receives the keys
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("display");
        QTest::newRow("on =: left to right") << 11 << "5+3*2=" << "16";
        QTest::newRow("on 7: . is a comma") << 7 << "1.5+1=" << "2,5";
        QTest::newRow("on C: s and x") << 18 << "9s+4x=" << "0,5";
        QTest::newRow("on Fermer: c clears") << 19 << "12+3c" << "";
        QTest::newRow("on ,: other keys do nothing") << 10 << "4abq " << "4";
        QTest::newRow("on 1/x: keys do nothing") << 16 << "12+3=" << "";
        QTest::newRow("on sqr: keys do nothing") << 17 << "49s" << "";
    }
    void keysOnButtons()
    {
        QFETCH(int, focused);
        QFETCH(QString, keys);
        QFETCH(QString, display);
        ScriptedPrompts seam;
        TPocket pocket;
        pocket.show();
        for (const QChar c : keys) {
            if (c == QLatin1Char(' '))
                continue; // the space bar presses the focused button itself
            QTest::keyClicks(button(pocket, focused), QString(c));
        }
        QCOMPARE(pocket.display(), display);
        QVERIFY(pocket.isVisible());
        QCOMPARE(seam.asked, QStringList());
    }

    void keysOnTheWindow()
    {
        TPocket pocket;
        pocket.show();
        QTest::keyClicks(&pocket, QStringLiteral("7+="));
        QCOMPARE(pocket.display(), QStringLiteral("14"));
        QTest::keyClick(&pocket, Qt::Key_Escape);
        QVERIFY(!pocket.isVisible());
    }

    // Keys typed as a person does, on the focused button: the shortened display of a result is
    // never the next operand.
    void shortenedResultsCountWhole_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::newRow("1/3") << "1/3=*3=";
        QTest::newRow("2/3") << "2/3=*3=";
    }
    void shortenedResultsCountWhole()
    {
        QFETCH(QString, keys);
        TPocket pocket;
        pocket.show();
        QVERIFY(QTest::qWaitForWindowActive(&pocket));
        QCOMPARE(QApplication::focusWidget(), button(pocket, 11));
        QTest::keyClicks(QApplication::focusWidget(), keys.left(4));
        QCOMPARE(pocket.display().size(), 16); // shown shortened
        QTest::keyClicks(QApplication::focusWidget(), keys.mid(4));
        QCOMPARE(pocket.display(), QStringLiteral("3"));
    }

    void escapeOnEqualsCloses()
    {
        TPocket pocket;
        pocket.show();
        QTest::keyClick(button(pocket, 11), Qt::Key_Escape);
        QVERIFY(!pocket.isVisible());
        QCOMPARE(pocket.result(), int(QDialog::Rejected));
    }

    void escapeOnReciprocalDoesNothing()
    {
        TPocket pocket;
        pocket.show();
        QTest::keyClick(button(pocket, 16), Qt::Key_Escape);
        QTest::keyClick(button(pocket, 17), Qt::Key_Escape);
        QVERIFY(pocket.isVisible());
        QTest::keyClick(button(pocket, 5), Qt::Key_Escape); // a digit button passes it on
        QVERIFY(!pocket.isVisible());
    }

    void enterAndSpacePressTheFocusedButton()
    {
        TPocket pocket;
        pocket.show();
        QTest::keyClicks(button(pocket, 11), QStringLiteral("3*"));
        QTest::keyClick(button(pocket, 11), Qt::Key_Space);
        QCOMPARE(pocket.display(), QStringLiteral("9"));
        QTest::keyClick(button(pocket, 11), Qt::Key_Return);
        QCOMPARE(pocket.display(), QStringLiteral("81"));
    }

    void mouseClicks()
    {
        TPocket pocket;
        pocket.show();
        for (const int n : {2, 12, 9, 17}) // 2 + 9 sqr
            QTest::mouseClick(button(pocket, n), Qt::LeftButton);
        QCOMPARE(pocket.display(), QStringLiteral("3"));
        QTest::mouseClick(button(pocket, 11), Qt::LeftButton);
        QCOMPARE(pocket.display(), QStringLiteral("6"));
        QTest::mouseClick(button(pocket, 19), Qt::LeftButton);
        QVERIFY(!pocket.isVisible());
    }

    void errorMessageLeavesTheDisplay_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("message");
        QTest::newRow("division by zero") << "5/0=" << "0" << "Division par zéro en virgule flottante";
        QTest::newRow("0/0") << "0/0=" << "0" << "Opération en virgule flottante incorrecte";
        QTest::newRow("sqr of a negative") << "0-4=s" << "-4" << "Opération en virgule flottante incorrecte";
        QTest::newRow("two commas") << "5+1,,2=" << "1,,2" << "'1,,2' n'est pas une valeur en virgule flottante correcte";
    }
    void errorMessageLeavesTheDisplay()
    {
        QFETCH(QString, keys);
        QFETCH(QString, display);
        QFETCH(QString, message);
        ScriptedPrompts seam;
        TPocket pocket;
        pocket.show();
        QTest::keyClicks(button(pocket, 11), keys);
        QCOMPARE(seam.asked, QStringList{message});
        QCOMPARE(pocket.display(), display);
        QVERIFY(pocket.isVisible());
    }

    void resetAtEveryShowing()
    {
        TPocket pocket;
        pocket.show();
        QTest::keyClicks(button(pocket, 11), QStringLiteral("5+3"));
        pocket.hide();
        pocket.show();
        QCOMPARE(pocket.display(), QString());
        QVERIFY(!pocket.engine().hasAccumulator());
        QVERIFY(pocket.engine().pendingOperator().isNull());
        QTest::keyClicks(button(pocket, 11), QStringLiteral("2="));
        QCOMPARE(pocket.display(), QStringLiteral("2")); // no pending "+" any more
    }

    void shownThroughTheSeam()
    {
        ScriptedPrompts seam;
        TPocket pocket;
        seam.dialogs.enqueue([](QDialog& d) {
            auto& p = static_cast<TPocket&>(d);
            QTest::keyClicks(&p, QStringLiteral("4x"));
            return p.display() == QStringLiteral("0,25") ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
        QCOMPARE(prompts().showModal(pocket), int(QDialog::Accepted));
        QCOMPARE(seam.shownDialogs, QStringList{QStringLiteral("TPocket")});
    }
};

TYX_TEST(TPocketTest);
#include "TPocketTest.moc"
