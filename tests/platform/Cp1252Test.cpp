#include "platform/core/Cp1252.h"
#include "support/TestRegistry.h"

#include <QTest>

class Cp1252Test : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The encoder takes long runs of plain letters sixteen at a time: one character of any kind, at
    // any place of a run, must still get its own byte or '?'.
    void everyPlaceOfARun_data()
    {
        QTest::addColumn<QChar>("c");
        QTest::addColumn<char>("byte");
        QTest::addColumn<bool>("lost");
        QTest::newRow("DEL") << QChar(0x7F) << '\x7F' << false;
        QTest::newRow("no-break space") << QChar(0xA0) << '\xA0' << false;
        QTest::newRow("y diaeresis") << QChar(0xFF) << '\xFF' << false;
        QTest::newRow("euro") << QChar(0x20AC) << '\x80' << false;
        QTest::newRow("OE") << QChar(0x152) << '\x8C' << false;
        QTest::newRow("undefined 81") << QChar(0x81) << '\x81' << false;
        QTest::newRow("C1 not in the page") << QChar(0x9F) << '?' << true;
        QTest::newRow("A macron") << QChar(0x100) << '?' << true;
        QTest::newRow("CJK") << QChar(0x4E2D) << '?' << true;
    }
    void everyPlaceOfARun()
    {
        QFETCH(QChar, c);
        QFETCH(char, byte);
        QFETCH(bool, lost);
        for (int at = 0; at < 40; ++at) {
            QString text(40, u'e');
            text[at] = c;
            QByteArray expected(40, 'e');
            expected[at] = byte;
            bool lossy = !lost;
            QCOMPARE(cp1252::encode(text, &lossy), expected);
            QCOMPARE(lossy, lost);
        }
    }
};

TYX_TEST(Cp1252Test);
#include "Cp1252Test.moc"
