// Pictures and icons as the help file stores them.
#include "FeatureProjects.h"
#include "SampleProject.h"
#include "winhelp/format/HelpPicture.h"
#include "winhelp/format/HlpBytes.h"
#include "winhelp/format/Lz77.h"
#include "winhelp/project/HlpBitmap.h"
#include "support/TestRegistry.h"

#include <QBuffer>
#include <QImage>
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
        QByteArray fields = hlptest::sampleBmp(8, 8, 8);
        hlp::putU32(fields, 30, 3);
        QByteArray sixteen = hlptest::sampleBmp(8, 8, 24);
        hlp::putU16(sixteen, 28, 16);
        QTest::newRow("not a bmp") << QByteArray("GIF89a......................") << QStringLiteral("ce n'est pas un fichier .bmp");
        QTest::newRow("compressed by bit fields") << fields << QStringLiteral("bitmap compressé : enregistrez-le sans compression");
        QTest::newRow("16 bits") << sixteen << QStringLiteral("bitmap de 16 bits par pixel : enregistrez-le en 1, 4, 8 ou 24 bits");
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

    // Run-length bitmaps (RLE8, RLE4) are unpacked: runs, colours given as they are (padded to
    // even bytes), early ends of line, jumps, runs cut at the edge.
    void runLengthBitmaps_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QByteArray>("runs");
        QTest::addColumn<QByteArray>("pixels");
        QTest::newRow("RLE8 runs, colours as they are, early end of line")
            << 8 << 6 << 2 << QByteArray("\x03\x07\x00\x03\x01\x02\x03\x00\x00\x00\x02\x09\x00\x00\x00\x01", 16)
            << QByteArray("\x07\x07\x07\x01\x02\x03\0\0\x09\x09\0\0\0\0\0\0", 16);
        QTest::newRow("RLE8 jump, early end of bitmap")
            << 8 << 4 << 3 << QByteArray("\x01\x05\x00\x02\x02\x01\x01\x06\x00\x01", 10)
            << QByteArray("\x05\0\0\0\0\0\0\x06\0\0\0\0", 12);
        QTest::newRow("RLE8 run past the edge") << 8 << 2 << 1 << QByteArray("\x05\x0a\x00\x01", 4) << QByteArray("\x0a\x0a\0\0", 4);
        QTest::newRow("RLE4 runs of two colours, colours as they are")
            << 4 << 8 << 1 << QByteArray("\x05\x12\x00\x03\x34\x50\x00\x01", 8) << QByteArray("\x12\x12\x13\x45", 4);
    }
    void runLengthBitmaps()
    {
        QFETCH(int, bits);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QByteArray, runs);
        QFETCH(QByteArray, pixels);
        QByteArray bmp = hlptest::sampleBmp(width, height, bits);
        bmp = bmp.left(54 + (4 << bits)) + runs;
        hlp::putU32(bmp, 30, bits == 8 ? 1 : 2);
        hlp::putU32(bmp, 34, static_cast<std::uint32_t>(runs.size()));
        QString why;
        const Picture p = parse(hlp::pictureFromBmp(bmp, &why));
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(p.bits, unsigned(bits));
        QCOMPARE(p.width, unsigned(width));
        QCOMPARE(p.height, unsigned(height));
        QCOMPARE(p.pixels, pixels);
    }

    // The bitmap of RTF \\dibitmap0 is a .bmp without its file header.
    void packedBitmapIsABmpWithoutItsHeader()
    {
        const QByteArray bmp = hlptest::sampleBmp(13, 5, 8);
        hlp::Dib fromFile, fromRtf;
        QString why;
        QVERIFY(hlp::dibFromBmp(bmp, fromFile, &why));
        QVERIFY2(hlp::dibFromPacked(bmp.mid(14), fromRtf, &why), qPrintable(why));
        QCOMPARE(fromRtf.pixels, fromFile.pixels);
        QCOMPARE(fromRtf.palette, fromFile.palette);
        QCOMPARE(fromRtf.width, 13);
        QCOMPARE(hlp::pictureFromDib(fromRtf, false), hlp::pictureFromBmp(bmp, &why));
    }

    void deviceBitmaps_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QByteArray>("rows");   // top-down, widthBytes 2
        QTest::addColumn<QByteArray>("pixels"); // bottom-up, rows of 4 bytes
        QTest::addColumn<QByteArray>("firstColours");
        QTest::newRow("monochrome") << 1 << QByteArray("\xF0\x0F\x00\xFF", 4) << QByteArray("\x00\xFF\0\0\xF0\x0F\0\0", 8)
                                    << QByteArray("\0\0\0\0\xFF\xFF\xFF\0", 8);
        QTest::newRow("16 colours") << 4 << QByteArray("\x12\x34\x56\x78", 4) << QByteArray("\x56\x78\0\0\x12\x34\0\0", 8)
                                    << QByteArray("\0\0\0\0\0\0\x80\0", 8);
    }
    void deviceBitmaps()
    {
        QFETCH(int, bits);
        QFETCH(QByteArray, rows);
        QFETCH(QByteArray, pixels);
        QFETCH(QByteArray, firstColours);
        hlp::Dib dib;
        QString why;
        QVERIFY2(hlp::dibFromDdb(rows, 16 / bits, 2, bits, 1, 2, dib, &why), qPrintable(why));
        QCOMPARE(dib.pixels, pixels);
        QCOMPARE(dib.palette.left(8), firstColours);
        QVERIFY(!hlp::dibFromDdb(rows, 16 / bits, 2, bits, 4, 2, dib, &why)); // several planes
        QVERIFY(!hlp::dibFromDdb(rows, 16 / bits, 3, bits, 1, 2, dib, &why)); // too few bytes
    }

    void decodedImages_data()
    {
        QTest::addColumn<int>("colours");
        QTest::addColumn<bool>("alpha");
        QTest::addColumn<int>("bits");
        QTest::newRow("three colours") << 3 << false << 4;
        QTest::newRow("a hundred colours") << 100 << false << 8;
        QTest::newRow("photo") << 400 << false << 24;
        QTest::newRow("transparent on white") << 2 << true << 4;
    }
    void decodedImages()
    {
        QFETCH(int, colours);
        QFETCH(bool, alpha);
        QFETCH(int, bits);
        QImage image(40, 20, QImage::Format_ARGB32);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x)
                image.setPixel(x, y, alpha ? (x < 20 ? qRgba(0, 0, 0, 0) : qRgba(255, 0, 0, 255)) : qRgb((x * 20 + y) % colours % 256, (x * 20 + y) % colours / 256, 7));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"));
        hlp::Dib dib;
        QString why;
        QVERIFY2(hlp::dibFromImage(png, "PNG", dib, &why), qPrintable(why));
        QCOMPARE(int(dib.bits), bits);
        QCOMPARE(dib.width, 40);
        QCOMPARE(dib.height, 20);
        const QByteArray picture = hlp::pictureFromDib(dib, true);
        hlp::HelpPictureInfo info;
        QVERIFY2(hlp::readHelpPicture(picture, info, nullptr, &why), qPrintable(why));
        QCOMPARE(info.bitCount, bits);
        QVERIFY(info.packing != 0); // compression is asked for and pays
        // The palette lists the colours as the picture meets them, top row first: the same
        // picture gives the same bytes in every run.
        if (bits < 24 && !alpha) {
            QList<QRgb> met;
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 40; ++x)
                    if (const QRgb c = image.pixel(x, y) | 0xFF000000u; !met.contains(c))
                        met << c;
            QByteArray order;
            for (const QRgb c : met)
                order.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
            QCOMPARE(dib.palette, order);
        }
        if (alpha) {
            // The left half, transparent, is white; rows run bottom-up.
            const int white = static_cast<unsigned char>(dib.pixels[0]) >> 4;
            QCOMPARE(dib.palette.mid(white * 4, 3), QByteArray("\xFF\xFF\xFF"));
        }
        QVERIFY(!hlp::dibFromImage("not a picture", "PNG", dib, &why));
    }

    void metafiles()
    {
        // A placeable header (bounding box 0,0 to 1440,720 at 1440 units an inch), then the records.
        hlp::ByteWriter w;
        w.u32(0x9AC6CDD7u);
        w.u16(0);
        w.i16(0);
        w.i16(0);
        w.i16(1440);
        w.i16(720);
        w.u16(1440);
        w.u32(0);
        w.u16(0);
        const QByteArray records = QByteArray("\x01\x00\x09\x00\x00\x03\x0C\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00"
                                              "\x03\x00\x00\x00\x00\x00", 24);
        w.raw(records);
        QByteArray got;
        int width = 0, height = 0;
        QString why;
        QVERIFY2(hlp::metafileRecords(w.bytes, got, width, height, &why), qPrintable(why));
        QCOMPARE(got, records);
        QCOMPARE(width, 2540);
        QCOMPARE(height, 1270);
        QVERIFY(hlp::metafileRecords(records, got, width, height, &why));
        QVERIFY(!hlp::metafileRecords("BM not a metafile", got, width, height, &why));
        hlp::HelpPictureInfo info;
        QVERIFY(hlp::readHelpPicture(hlp::pictureFromMetafile(records, 8, width, height, true), info, nullptr, &why));
        QCOMPARE(info.type, 8);
        QCOMPARE(info.dataSize, records.size());
    }

    void shgHotspotsAreRead()
    {
        const QByteArray shg = hlptest::sampleShg();
        hlp::HelpPictureInfo info;
        int pictures = 0;
        QString why;
        QVERIFY2(hlp::readHelpPicture(shg, info, &pictures, &why), qPrintable(why));
        QCOMPARE(pictures, 1);
        QCOMPARE(info.hotspots.size(), size_t(4));
        QCOMPARE(info.hotspots[1].code[0], std::uint8_t(0xE6));
        QCOMPARE(info.hotspots[1].x, 48);
        QCOMPARE(info.hotspots[1].name, QByteArray("note"));
        QCOMPARE(info.hotspots[3].target, QByteArray("JI(`',`IDH_CIBLE')"));
        QVERIFY(!hlp::readHelpPicture(shg.left(shg.size() - 20), info, nullptr, &why));
        QVERIFY(!hlp::readHelpPicture(shg.left(60), info, nullptr, &why));
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
