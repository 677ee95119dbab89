#include "editor/core/ImportText.h"
#include "support/TestRegistry.h"

#include <QTest>

class ImportTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linesAsTheBodyReceivesThem_data()
    {
        QTest::addColumn<QString>("decoded");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("replaced");
        QTest::newRow("empty") << "" << "" << 0;
        QTest::newRow("every line ends") << "un\r\ndeux\rtrois" << "un\ndeux\ntrois\n" << 0;
        QTest::newRow("empty lines kept") << "\n\nx\n" << "\n\nx\n" << 0;
        QTest::newRow("code page kept") << QString::fromUtf8("été € œ\u00A0") << QString::fromUtf8("été € œ\u00A0\n") << 0;
        QTest::newRow("outside the code page") << QString::fromUtf8("a → b ★") << "a ? b ?\n" << 2;
        QTest::newRow("NUL") << QString(QChar(0)) + "x" << "?x\n" << 1;
        QTest::newRow("other controls, Tab kept") << QString(QChar(1)) + "x\ty" + QChar(0x7F) << "?x\ty?\n" << 2;
    }
    void linesAsTheBodyReceivesThem()
    {
        QFETCH(QString, decoded);
        QFETCH(QString, text);
        QFETCH(int, replaced);
        const editor::ImportedText t = editor::importedText(decoded);
        QCOMPARE(t.text, text);
        QCOMPARE(t.replaced, replaced);
        QCOMPARE(editor::replacedMessage(replaced).isEmpty(), replaced == 0);
    }
};

TYX_TEST(ImportTextTest);
#include "ImportTextTest.moc"
