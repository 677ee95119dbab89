// The context hash, the compressed integers and the keyword order.
#include "winhelp/format/HlpBytes.h"
#include "support/TestRegistry.h"

#include <QTest>

class HlpBytesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hash_data()
    {
        QTest::addColumn<QByteArray>("context");
        QTest::addColumn<quint32>("hash");
        QTest::newRow("Top") << QByteArray("Top") << 0x00010959u;
        QTest::newRow("t00000001") << QByteArray("t00000001") << 0x4EF9C5FBu;
        QTest::newRow("collision a") << QByteArray("M359HPEHGW") << 0x863C2C95u;
        QTest::newRow("collision b") << QByteArray("Y5VQEXZQVJ") << 0x863C2C95u;
        QTest::newRow("IDH_CONTENTS") << QByteArray("IDH_CONTENTS") << 0x68310BEEu;
        QTest::newRow("intro") << QByteArray("intro") << 0x053D9A5Cu;
        QTest::newRow("lower a") << QByteArray("a") << 0x11u;
        QTest::newRow("upper A") << QByteArray("A") << 0x11u;
        QTest::newRow("empty") << QByteArray() << 1u;
        QTest::newRow("accented") << QByteArray("\xE9t\xE9") << 0xFFFE04F6u;
    }
    void hash()
    {
        QFETCH(QByteArray, context);
        QFETCH(quint32, hash);
        QCOMPARE(static_cast<quint32>(hlp::contextHash(context)), hash);
    }

    void compressedRoundTrip_data()
    {
        QTest::addColumn<int>("value");
        for (int v : {0, 1, 63, 64, 127, 128, 16383, 16384, -1, -64, -65, -16384, -16385, 32767, 32768, 100000, -100000})
            QTest::newRow(QByteArray::number(v).constData()) << v;
    }
    void compressedRoundTrip()
    {
        QFETCH(int, value);
        hlp::ByteWriter w;
        if (value >= 0 && value < 0x8000)
            w.cushort(static_cast<unsigned>(value));
        w.csshort(qBound(-16384, value, 16383));
        w.culong(static_cast<std::uint32_t>(qAbs(value)));
        w.cslong(value);
        hlp::ByteReader r(w.bytes);
        if (value >= 0 && value < 0x8000)
            QCOMPARE(static_cast<int>(r.cushort()), value);
        QCOMPARE(r.csshort(), qBound(-16384, value, 16383));
        QCOMPARE(r.culong(), static_cast<std::uint32_t>(qAbs(value)));
        QCOMPARE(r.cslong(), value);
        QVERIFY(r.ok());
        QVERIFY(r.atEnd());
    }

    void shortFormsAreOneOrTwoBytes()
    {
        hlp::ByteWriter w;
        w.cushort(127);
        QCOMPARE(w.size(), 1);
        w.cushort(128);
        QCOMPARE(w.size(), 3);
        hlp::ByteWriter l;
        l.cslong(16383);
        QCOMPARE(l.size(), 2);
        l.cslong(16384);
        QCOMPARE(l.size(), 6);
    }

    // Issue 23: a negative offset taken from a damaged file was read before the bytes.
    void readsNothingOutsideItsBytes_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("seek"); // -1: none
        QTest::newRow("negative start") << -4 << -1;
        QTest::newRow("seek before the start") << 0 << -2;
        QTest::newRow("past the end") << 0 << 9;
        QTest::newRow("at the end of int") << 0 << 0x7FFFFFFE;
    }
    void readsNothingOutsideItsBytes()
    {
        QFETCH(int, start);
        QFETCH(int, seek);
        const QByteArray bytes("abcdefgh");
        for (int kind = 0; kind < 4; ++kind) {
            hlp::ByteReader r(bytes, start);
            if (seek != -1)
                r.seek(seek);
            const std::uint32_t value = kind == 0 ? r.u32() : kind == 1 ? r.cushort() : kind == 2 ? r.culong() : r.stringz().size();
            QCOMPARE(value, 0u);
            QVERIFY(!r.ok());
        }
    }
    void keywordOrder_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("case ignored") << QByteArray("Accueil") << QByteArray("accueil") << 0;
        QTest::newRow("case ignored order") << QByteArray("scoring, standard") << QByteArray("scoring, Vegas") << -1;
        QTest::newRow("accent beside its letter") << QByteArray("\xE9t\xE9") << QByteArray("etude") << -1;
        QTest::newRow("accent after plain") << QByteArray("ete") << QByteArray("\xE9t\xE9") << -1;
        QTest::newRow("accented capital") << QByteArray("\xC9t\xE9") << QByteArray("\xE9t\xE9") << 0;
        QTest::newRow("prefix first") << QByteArray("mot") << QByteArray("mots") << -1;
        QTest::newRow("z after e-acute") << QByteArray("z") << QByteArray("\xE9") << 1;
    }
    void keywordOrder()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(int, order);
        QCOMPARE(hlp::compareKeywords(a, b), order);
        QCOMPARE(hlp::compareKeywords(b, a), -order);
    }
};

TYX_TEST(HlpBytesTest);
#include "HlpBytesTest.moc"
