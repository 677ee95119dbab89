// Pictures and icons as the help file stores them.
#include "SampleProject.h"
#include "winhelp/project/HlpBitmap.h"
#include "winhelp/format/HlpBytes.h"
#include "support/TestRegistry.h"

#include <QTest>

namespace {

struct Picture {
    unsigned type = 0, packing = 0, bits = 0, width = 0, height = 0, colours = 0, important = 0;
    QByteArray palette, pixels;
};

Picture parse(const QByteArray& bm)
{
    hlp::ByteReader r(bm);
    Picture p;
    if (r.u16() != 0x506C || r.u16() != 1)
        return p;
    const std::uint32_t at = r.u32();
    r.seek(static_cast<int>(at));
    p.type = r.u8();
    p.packing = r.u8();
    r.culong();
    r.culong();
    r.cushort();
    p.bits = r.cushort();
    p.width = r.culong();
    p.height = r.culong();
    p.colours = r.culong();
    p.important = r.culong();
    const std::uint32_t size = r.culong();
    r.culong();
    const std::uint32_t dataAt = r.u32();
    r.u32();
    p.palette = r.bytes(static_cast<int>(p.colours) * 4);
    p.pixels = bm.mid(at + dataAt, size);
    return p;
}

} // namespace

class HlpBitmapTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bitmaps_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("4 bits") << 4 << 48 << 32;
        QTest::newRow("8 bits odd width") << 8 << 13 << 5;
        QTest::newRow("24 bits") << 24 << 7 << 3;
    }
    void bitmaps()
    {
        QFETCH(int, bits);
        QFETCH(int, width);
        QFETCH(int, height);
        const QByteArray bmp = hlptest::sampleBmp(width, height, bits);
        QString why;
        const Picture p = parse(hlp::pictureFromBmp(bmp, &why));
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(p.type, 6u);
        QCOMPARE(p.packing, 0u);
        QCOMPARE(p.bits, unsigned(bits));
        QCOMPARE(p.width, unsigned(width));
        QCOMPARE(p.height, unsigned(height));
        QCOMPARE(p.important, 0u); // 1 would make the viewer draw it transparent
        const int palette = bits <= 8 ? 1 << bits : 0;
        QCOMPARE(p.colours, unsigned(palette));
        QCOMPARE(p.palette, bmp.mid(54, palette * 4));
        QCOMPARE(p.pixels, bmp.mid(54 + palette * 4));
    }

    void topDown32BitsBecomesBottomUp24()
    {
        // 2 x 2 pixels, 32 bits, rows stored top first.
        QByteArray bmp = hlptest::sampleBmp(2, 2, 24).left(54);
        hlp::putU32(bmp, 10, 54);
        hlp::putU32(bmp, 22, static_cast<std::uint32_t>(-2));
        hlp::putU16(bmp, 28, 32);
        const QByteArray top("\x01\x02\x03\xFF\x04\x05\x06\xFF", 8), bottom("\x07\x08\x09\xFF\x0A\x0B\x0C\xFF", 8);
        bmp += top + bottom;
        QString why;
        const Picture p = parse(hlp::pictureFromBmp(bmp, &why));
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(p.bits, 24u);
        QCOMPARE(p.pixels, QByteArray("\x07\x08\x09\x0A\x0B\x0C\0\0\x01\x02\x03\x04\x05\x06\0\0", 16));
    }

    void unusableFiles_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("reason");
        QByteArray rle = hlptest::sampleBmp(8, 8, 8);
        hlp::putU32(rle, 30, 1);
        QByteArray sixteen = hlptest::sampleBmp(8, 8, 24);
        hlp::putU16(sixteen, 28, 16);
        QTest::newRow("not a bmp") << QByteArray("GIF89a......................") << QStringLiteral("ce n'est pas un fichier .bmp");
        QTest::newRow("compressed") << rle << QStringLiteral("bitmap compressé, non pris en charge");
        QTest::newRow("16 bits") << sixteen << QStringLiteral("16 bits par pixel, non pris en charge");
        QTest::newRow("truncated") << hlptest::sampleBmp(40, 40, 24).left(500) << QStringLiteral("données d'image tronquées");
    }
    void unusableFiles()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, reason);
        QString why;
        QVERIFY(hlp::pictureFromBmp(data, &why).isEmpty());
        QCOMPARE(why, reason);
    }

    void iconKeepsOneImage()
    {
        // Two images, 16 x 16 first: the 32 x 32 one is kept, behind a one-entry directory.
        const QByteArray one = hlptest::sampleIcon();
        const QByteArray image = one.mid(22);
        QByteArray two;
        hlp::ByteWriter w;
        w.u16(0);
        w.u16(1);
        w.u16(2);
        for (int i = 0; i < 2; ++i) {
            w.u8(i == 0 ? 16 : 32);
            w.u8(i == 0 ? 16 : 32);
            w.u8(16);
            w.u8(0);
            w.u16(1);
            w.u16(4);
            w.u32(static_cast<std::uint32_t>(i == 0 ? 4 : image.size()));
            w.u32(static_cast<std::uint32_t>(i == 0 ? 38 : 42));
        }
        w.raw("abcd");
        w.raw(image);
        QString why;
        QCOMPARE(hlp::singleImageIcon(w.bytes, &why), one);
        QCOMPARE(hlp::singleImageIcon(one, &why), one);
        QVERIFY(hlp::singleImageIcon("not an icon", &why).isEmpty());
        QVERIFY(!why.isEmpty());
    }
};

TYX_TEST(HlpBitmapTest);
#include "HlpBitmapTest.moc"
