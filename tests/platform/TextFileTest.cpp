#include "platform/core/Cp1252.h"
#include "platform/core/TextFile.h"
#include "support/TestRegistry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TextFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = cp1252::decode(all);
        QCOMPARE(text.size(), 256);
        bool lossy = true;
        QCOMPARE(cp1252::encode(text, &lossy), all);
        QVERIFY(!lossy);
        QCOMPARE(text[0xB6], QChar(0xB6));
        QCOMPARE(text[0x80], QChar(0x20AC));
        QCOMPARE(text[0x9C], QChar(0x0153)); // oe ligature
        QCOMPARE(text[0x81], QChar(0x0081)); // undefined byte keeps its C1 point
    }

    void unrepresentableIsReported()
    {
        bool lossy = false;
        QCOMPARE(cp1252::encode(QString::fromUtf8("a\u4e2db"), &lossy), QByteArray("a?b"));
        QVERIFY(lossy);
        QString s = QString::fromUtf8("x\u0416y\u2019");
        QCOMPARE(cp1252::sanitize(s), 1);
        QCOMPARE(s, QString::fromUtf8("x?y\u2019"));
    }

    void splitLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("lone lf") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("lone cr") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("mixed blank lines") << QByteArray("a\r\n\r\n\nb") << QStringList{"a", "", "", "b"};
        QTest::newRow("cr cr lf") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("nul ends the text") << QByteArray("a\r\nb\0c\r\nd", 10) << QStringList{"a", "b"};
        QTest::newRow("empty") << QByteArray() << QStringList{};
    }
    void splitLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(textfile::splitLines(bytes), lines);
    }

    // Reading stops at a 0 byte: the writer never writes one, and says a character was lost.
    void writerNeverWritesANulByte()
    {
        bool lossy = false;
        QCOMPARE(textfile::joinLines({QString("a") + QChar(0) + "b", "c"}, &lossy), QByteArray("a?b\r\nc\r\n"));
        QVERIFY(lossy);
    }

    void writeIsCrLfAndKeepsOldFileOnFailure()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.txt");
        QString error;
        QVERIFY(textfile::writeLines(path, {QString::fromUtf8("é"), "b"}, &error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\xE9\r\nb\r\n"));
        f.close();
        // A folder in the way: the write fails, says why, and nothing else changes.
        QVERIFY(!textfile::writeLines(dir.path(), {"x"}, &error));
        QVERIFY(!error.isEmpty());
    }
};

TYX_TEST(TextFileTest);
#include "TextFileTest.moc"
