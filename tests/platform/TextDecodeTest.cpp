#include "platform/core/TextDecode.h"
#include "support/TestRegistry.h"

#include <QTest>

using textdecode::Encoding;

Q_DECLARE_METATYPE(textdecode::Encoding)

class TextDecodeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void guessesTheEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Encoding>("encoding");
        const QString ete = QString::fromUtf8("été €");
        QTest::newRow("ASCII") << QByteArray("plain\r\n") << "plain\r\n" << Encoding::Cp1252;
        QTest::newRow("code page 1252") << QByteArray("\xE9t\xE9 \x80") << ete << Encoding::Cp1252;
        QTest::newRow("UTF-8 without mark") << ete.toUtf8() << ete << Encoding::Utf8;
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") + ete.toUtf8() << ete << Encoding::Utf8;
        QTest::newRow("UTF-8 mark alone") << QByteArray("\xEF\xBB\xBF") << "" << Encoding::Utf8;
        // One byte that cannot be UTF-8 makes the whole file code page 1252.
        QTest::newRow("mixed") << ete.toUtf8() + "\xE9" << QString::fromUtf8("Ã©tÃ© â‚¬é") << Encoding::Cp1252;
        QTest::newRow("cut UTF-8 sequence") << QByteArray("a\xC3") << QString::fromUtf8("aÃ") << Encoding::Cp1252;
        QByteArray le("\xFF\xFE");
        for (QChar c : ete)
            le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        QTest::newRow("UTF-16 little end") << le << ete << Encoding::Utf16LE;
        QByteArray be("\xFE\xFF");
        for (QChar c : ete)
            be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
        QTest::newRow("UTF-16 big end") << be << ete << Encoding::Utf16BE;
    }
    void guessesTheEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(Encoding, encoding);
        const textdecode::Decoded d = textdecode::decode(bytes);
        QCOMPARE(d.text, text);
        QCOMPARE(d.encoding, encoding);
    }

    void everyCodePageByteReadsBack()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const textdecode::Decoded d = textdecode::decode(all);
        QCOMPARE(d.encoding, Encoding::Cp1252);
        QCOMPARE(d.text.size(), 256);
        QCOMPARE(d.text.at(0xA0), QChar(0xA0));
        QCOMPARE(d.text.at(0x80), QChar(0x20AC));
    }

    void splitsEveryLineEnd()
    {
        QCOMPARE(textdecode::splitLines(u"a\r\nb\rc\nd"), (QStringList{"a", "b", "c", "d"}));
        QCOMPARE(textdecode::splitLines(u"a\n\nb\n"), (QStringList{"a", "", "b"}));
        QCOMPARE(textdecode::splitLines(u""), QStringList{});
    }
};

TYX_TEST(TextDecodeTest);
#include "TextDecodeTest.moc"
