// Document text leaves a text widget unchanged, and one-line fields never take a line break.
#include "platform/core/Cp1252.h"
#include "platform/core/LineBreaks.h"
#include "platform/windows/FieldText.h"
#include "support/TestRegistry.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace {

// Every character of the code page that a line of a file can hold (line ends excluded).
QString everyLineCharacter()
{
    QByteArray bytes;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            bytes.append(char(b));
    return cp1252::decode(bytes);
}

} // namespace

class FieldTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void toSpaces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("positionAfter");
        QTest::addColumn<int>("count");
        QTest::newRow("cr lf is one break") << "Introduction\r\n" << 14 << "Introduction " << 13 << 1;
        QTest::newRow("lf between words") << "mot1\nmot2" << 9 << "mot1 mot2" << 9 << 1;
        QTest::newRow("two breaks, two spaces") << "a\n\rb" << 0 << "a  b" << 0 << 2;
        QTest::newRow("unicode separators") << QString("a") + QChar::LineSeparator + "b" + QChar::ParagraphSeparator
                                            << 4 << "a b " << 4 << 2;
        QTest::newRow("nothing to do") << QString("a\tb") + QChar(0xA0) << 1 << QString("a\tb") + QChar(0xA0) << 1 << 0;
    }
    void toSpaces()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(QString, expected);
        QFETCH(int, positionAfter);
        QFETCH(int, count);
        QCOMPARE(linebreaks::toSpaces(text, &position), count);
        QCOMPARE(text, expected);
        QCOMPARE(position, positionAfter);
    }

    void exactLinesKeepEveryCharacter()
    {
        QPlainTextEdit edit;
        const QString all = everyLineCharacter();
        edit.setPlainText(all + "\n" + QChar(0xA0) + "« citation »" + QChar(0xA0) + ";\n");
        QCOMPARE(fieldtext::exactLines(&edit),
            (QStringList{all, QString(QChar(0xA0)) + "« citation »" + QChar(0xA0) + ";", QString()}));
        QCOMPARE(fieldtext::exactText(&edit), edit.document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'));
        // Shift+Enter makes a line separator inside a block: it ends a line as Enter does.
        edit.clear();
        QVERIFY(fieldtext::exactLines(&edit).isEmpty());
        edit.show();
        edit.setFocus();
        QTest::keyClicks(&edit, "un");
        QTest::keyClick(&edit, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(&edit, "deux");
        QCOMPARE(fieldtext::exactLines(&edit), (QStringList{"un", "deux"}));
    }

    void oneLineFieldTakesNoBreak_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("expected");
        QTest::newRow("title with cr lf") << "Introduction\r\n" << "Introduction ";
        QTest::newRow("keywords on two lines") << "mot1\nmot2" << "mot1 mot2";
        QTest::newRow("no-break spaces stay") << QString("a") + QChar(0xA0) + ":" << QString("a") + QChar(0xA0) + ":";
    }
    void oneLineFieldTakesNoBreak()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, expected);
        QLineEdit edit;
        fieldtext::keepOnOneLine(&edit);
        edit.show();
        QVERIFY(QTest::qWaitForWindowActive(&edit));
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit.text(), expected);
        QTest::keyClicks(&edit, "!");
        QCOMPARE(edit.text(), expected + "!"); // the caret stayed at the end
        // Text set by the program follows the same rule.
        edit.setText(pasted);
        QCOMPARE(edit.text(), expected);
    }
};

TYX_TEST(FieldTextTest);
#include "FieldTextTest.moc"
