// Windows metafiles drawn into images: each record kind on a small picture checked pixel by
// pixel, the picture's size, the text's code page, damaged metafiles, and real help pictures.
#include "winhelp/project/RtfReader.h"
#include "winhelp/render/MetafileRenderer.h"
#include "support/TestRegistry.h"

#include <QFile>
#include <QTest>
#include <QtEndian>
#include <vector>

namespace {

using Words = std::vector<int>;

Words operator+(Words a, const Words& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A COLORREF as the two words of a record.
Words colour(QRgb c)
{
    return {qRed(c) | qGreen(c) << 8, qBlue(c)};
}

Words rop(std::uint32_t code)
{
    return {int(code & 0xFFFF), int(code >> 16)};
}

QByteArray le(const Words& words)
{
    QByteArray b;
    for (const int w : words)
        b.append(char(w & 0xFF)).append(char((w >> 8) & 0xFF));
    return b;
}

QByteArray padded(QByteArray b)
{
    if (b.size() % 2)
        b.append('\0');
    return b;
}

// A metafile written record by record. Its window is 100 x 100 units: the picture is 100 x 100
// pixels, one unit a pixel.
class Wmf {
public:
    Wmf()
    {
        rec(0x020B, {0, 0});
        rec(0x020C, {100, 100});
    }
    Wmf& rec(unsigned function, const Words& words, const QByteArray& tail = {})
    {
        const QByteArray params = le(words) + padded(tail);
        m_body += le({int((params.size() / 2 + 3) & 0xFFFF), int((params.size() / 2 + 3) >> 16), int(function)}) + params;
        return *this;
    }
    // Creates an object in the lowest free slot (and selects it).
    Wmf& create(unsigned function, const Words& words, const QByteArray& tail = {})
    {
        ++m_objects;
        return rec(function, words, tail);
    }
    Wmf& select(unsigned function, const Words& words, const QByteArray& tail = {})
    {
        create(function, words, tail);
        return rec(0x012D, {m_objects - 1});
    }
    Wmf& pen(int style, int width, QRgb c) { return select(0x02FA, Words{style, width, 0} + colour(c)); }
    Wmf& brush(int style, QRgb c, int hatch = 0) { return select(0x02FC, Words{style} + colour(c) + Words{hatch}); }
    Wmf& noPen() { return pen(5, 0, 0); }
    Wmf& font(int height, int escapement = 0, int charset = 0, const QByteArray& face = "Arial")
    {
        return select(0x02FB, {height, 0, escapement, 0, 700, 0, charset << 8, 0, 0}, face + '\0');
    }
    Wmf& rect(int l, int t, int r, int b) { return rec(0x041B, {b, r, t, l}); }
    QByteArray bytes() const
    {
        const QByteArray body = m_body + le({3, 0, 0});
        const int words = 9 + int(body.size() / 2);
        return le({1, 9, 0x300, words & 0xFFFF, words >> 16, m_objects, 0, 0, 0}) + body;
    }

private:
    QByteArray m_body;
    int m_objects = 0;
};

// A device-independent bitmap: header, colours, and the rows as given (bottom row first, each
// padded to 4 bytes).
QByteArray dib(int width, int height, int bits, const QList<QRgb>& colours, const QByteArray& rows, int compression = 0)
{
    QByteArray b = le({40, 0, width, 0, height, 0, 1, bits, compression, 0, int(rows.size()), 0, 0, 0, 0, 0,
        int(colours.size()), 0, 0, 0});
    for (const QRgb c : colours)
        b += le({qBlue(c) | qGreen(c) << 8, qRed(c)});
    return b + rows;
}

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 128, 0), kBlue = qRgb(0, 0, 255);
const QRgb kBlack = qRgb(0, 0, 0), kWhite = qRgb(255, 255, 255), kNone = 0;

// Some pixel of `area` is (or, with present false, none is) of `colour`.
struct Probe {
    QRect area;
    QRgb colour;
    bool present = true;
};

Probe at(int x, int y, QRgb c)
{
    return {QRect(x, y, 1, 1), c};
}

Probe none(const QRect& area, QRgb c)
{
    return {area, c, false};
}

QImage render(const QByteArray& wmf, hlp::MetafileFrame frame = {})
{
    return hlp::renderMetafile(wmf, frame).convertToFormat(QImage::Format_ARGB32);
}

QString failedProbe(const QImage& image, const QList<Probe>& probes)
{
    for (const Probe& p : probes) {
        bool found = false;
        for (int y = p.area.top(); y <= p.area.bottom() && !found; ++y)
            for (int x = p.area.left(); x <= p.area.right() && !found; ++x)
                found = image.valid(x, y) && image.pixel(x, y) == p.colour;
        if (found != p.present)
            return QStringLiteral("%1 %2,%3 %4x%5: %6 (%7)")
                .arg(p.present ? "pas de" : "du")
                .arg(p.area.x()).arg(p.area.y()).arg(p.area.width()).arg(p.area.height())
                .arg(p.colour, 8, 16, QLatin1Char('0'))
                .arg(image.valid(p.area.topLeft()) ? image.pixel(p.area.topLeft()) : 0u, 8, 16, QLatin1Char('0'));
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(QList<Probe>)

class MetafileRendererTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordsAreDrawn_data()
    {
        QTest::addColumn<QByteArray>("wmf");
        QTest::addColumn<QList<Probe>>("probes");
        const QByteArray h = "H";
        const QByteArray two = dib(2, 2, 24, {}, QByteArray("\0\0\xFF\0\x80\0\0\0\0\0\0\xFF\xFF\xFF\0\0", 16));
        const Words whole = {100, 100, 0, 0};
        // Lines and shapes.
        QTest::newRow("LineTo") << Wmf().pen(0, 3, kRed).rec(0x0214, {50, 10}).rec(0x0213, {50, 90}).bytes()
                                << QList<Probe>{at(50, 50, kRed), none({0, 0, 100, 45}, kRed)};
        QTest::newRow("Polyline") << Wmf().pen(0, 3, kRed).rec(0x0325, {3, 10, 10, 90, 10, 90, 90}).bytes()
                                  << QList<Probe>{at(50, 10, kRed), at(90, 50, kRed), at(50, 50, kNone)};
        QTest::newRow("Polygon") << Wmf().noPen().brush(0, kBlue).rec(0x0324, {4, 10, 10, 90, 10, 90, 90, 10, 90}).bytes()
                                 << QList<Probe>{at(50, 50, kBlue), at(5, 5, kNone)};
        const Words squares = {2, 4, 4, 10, 10, 90, 10, 90, 90, 10, 90, 30, 30, 70, 30, 70, 70, 30, 70};
        QTest::newRow("PolyPolygon, alternate") << Wmf().noPen().brush(0, kBlue).rec(0x0538, squares).bytes()
                                                << QList<Probe>{at(20, 20, kBlue), at(50, 50, kNone)};
        QTest::newRow("PolyPolygon, winding") << Wmf().noPen().brush(0, kBlue).rec(0x0106, {2}).rec(0x0538, squares).bytes()
                                              << QList<Probe>{at(20, 20, kBlue), at(50, 50, kBlue)};
        QTest::newRow("Rectangle, its outline inside") << Wmf().pen(0, 1, kBlack).brush(0, kBlue).rect(20, 20, 80, 80).bytes()
                                                       << QList<Probe>{at(50, 50, kBlue), at(20, 50, kBlack), at(79, 50, kBlack),
                                                              at(80, 50, kNone)};
        QTest::newRow("RoundRect") << Wmf().noPen().brush(0, kBlue).rec(0x061C, {40, 40, 90, 90, 10, 10}).bytes()
                                   << QList<Probe>{at(50, 11, kBlue), at(11, 11, kNone)};
        QTest::newRow("Ellipse") << Wmf().noPen().brush(0, kBlue).rec(0x0418, {90, 90, 10, 10}).bytes()
                                 << QList<Probe>{at(50, 50, kBlue), at(14, 14, kNone)};
        // Counter-clockwise on the screen, from the start point to the end point.
        QTest::newRow("Arc") << Wmf().pen(0, 3, kRed).rec(0x0817, {50, 10, 50, 90, 90, 90, 10, 10}).bytes()
                             << QList<Probe>{at(50, 10, kRed), none({40, 80, 20, 20}, kRed)};
        QTest::newRow("Pie") << Wmf().noPen().brush(0, kBlue).rec(0x081A, {10, 50, 50, 90, 90, 90, 10, 10}).bytes()
                             << QList<Probe>{at(65, 35, kBlue), at(35, 35, kNone), at(65, 65, kNone)};
        QTest::newRow("Chord") << Wmf().noPen().brush(0, kBlue).rec(0x0830, {50, 10, 50, 90, 90, 90, 10, 10}).bytes()
                               << QList<Probe>{at(50, 30, kBlue), at(50, 70, kNone)};
        QTest::newRow("SetPixel") << Wmf().rec(0x041F, colour(kRed) + Words{60, 40}).bytes() << QList<Probe>{at(40, 60, kRed)};
        QTest::newRow("FloodFill up to a border")
            << Wmf().pen(0, 1, kBlack).brush(1, 0).rect(20, 20, 80, 80).brush(0, kBlue).rec(0x0419, colour(kBlack) + Words{50, 50}).bytes()
            << QList<Probe>{at(50, 50, kBlue), at(10, 10, kNone)};
        // Text.
        QTest::newRow("TextOut") << Wmf().font(-24).rec(0x0521, {2}, "HH" + le({10, 10})).bytes()
                                 << QList<Probe>{{QRect(10, 10, 30, 24), kBlack}, none({0, 50, 100, 50}, kBlack)};
        QTest::newRow("ExtTextOut, opaque rectangle")
            << Wmf().rec(0x0201, colour(kGreen)).font(-24).rec(0x0A32, {10, 10, 1, 2, 5, 5, 95, 40}, h).bytes()
            << QList<Probe>{at(90, 35, kGreen), {QRect(10, 10, 20, 24), kBlack}};
        QTest::newRow("ExtTextOut, clipped, with its spacing")
            << Wmf().font(-24).rec(0x0A32, {10, 10, 6, 4, 0, 0, 20, 100}, padded("HHHHHH") + le({12, 12, 12, 12, 12, 12})).bytes()
            << QList<Probe>{{QRect(10, 10, 10, 24), kBlack}, none({21, 0, 79, 100}, kBlack)};
        QTest::newRow("opaque background") << Wmf().rec(0x0201, colour(kGreen)).font(-24).rec(0x0521, {1}, padded(h) + le({10, 10})).bytes()
                                           << QList<Probe>{{QRect(10, 10, 20, 24), kGreen}};
        QTest::newRow("transparent background")
            << Wmf().rec(0x0201, colour(kGreen)).rec(0x0102, {1}).font(-24).rec(0x0521, {1}, padded(h) + le({10, 10})).bytes()
            << QList<Probe>{none({0, 0, 100, 100}, kGreen), {QRect(10, 10, 20, 24), kBlack}};
        QTest::newRow("right aligned") << Wmf().rec(0x012E, {2}).font(-24).rec(0x0521, {2}, "HH" + le({10, 90})).bytes()
                                       << QList<Probe>{{QRect(60, 10, 30, 24), kBlack}, none({91, 0, 9, 100}, kBlack)};
        QTest::newRow("at the current position")
            << Wmf().rec(0x012E, {1}).rec(0x0214, {10, 50}).font(-24).rec(0x0521, {1}, padded(h) + le({0, 0})).bytes()
            << QList<Probe>{{QRect(50, 10, 20, 24), kBlack}, none({0, 0, 45, 100}, kBlack)};
        QTest::newRow("escapement: upwards") << Wmf().font(-24, 900).rec(0x0521, {4}, "HHHH" + le({90, 50})).bytes()
                                             << QList<Probe>{{QRect(50, 40, 25, 50), kBlack}, none({0, 0, 48, 100}, kBlack)};
        // Bitmaps and raster operations (the source of a DIB: bottom row first).
        QTest::newRow("PatBlt") << Wmf().brush(0, kBlue).rec(0x061D, rop(0xF00021) + Words{30, 30, 10, 10}).bytes()
                                << QList<Probe>{at(20, 20, kBlue), at(50, 50, kNone)};
        QTest::newRow("PatBlt, destination inverted") << Wmf().rec(0x061D, rop(0x550009) + Words{30, 30, 10, 10}).bytes()
                                                      << QList<Probe>{at(20, 20, kBlack), at(50, 50, kWhite)};
        QTest::newRow("StretchDIBits, 24 bits") << Wmf().rec(0x0F43, rop(0xCC0020) + Words{0, 2, 2, 0, 0} + whole, two).bytes()
                                                << QList<Probe>{at(25, 25, kBlack), at(75, 25, kWhite), at(25, 75, kRed), at(75, 75, kGreen)};
        QTest::newRow("StretchDIBits, part of the bitmap")
            << Wmf().rec(0x0F43, rop(0xCC0020) + Words{0, 1, 1, 1, 0} + whole, two).bytes() << QList<Probe>{at(50, 50, kBlack)};
        QTest::newRow("StretchDIBits, mirrored")
            << Wmf().rec(0x0F43, rop(0xCC0020) + Words{0, 2, 2, 0, 0, 100, -100, 0, 100}, two).bytes()
            << QList<Probe>{at(25, 25, kWhite), at(75, 75, kRed)};
        QTest::newRow("StretchDIBits, 1 bit")
            << Wmf().rec(0x0F43, rop(0xCC0020) + Words{0, 2, 8, 0, 0} + whole, dib(8, 2, 1, {kBlue, kRed}, QByteArray("\xF0\0\0\0\x0F\0\0\0", 8))).bytes()
            << QList<Probe>{at(10, 25, kBlue), at(90, 25, kRed), at(10, 75, kRed), at(90, 75, kBlue)};
        QTest::newRow("StretchDIBits, 4 bits")
            << Wmf().rec(0x0F43, rop(0xCC0020) + Words{0, 1, 2, 0, 0} + whole, dib(2, 1, 4, {kBlue, kRed}, QByteArray("\x01\0\0\0", 4))).bytes()
            << QList<Probe>{at(25, 50, kBlue), at(75, 50, kRed)};
        QTest::newRow("StretchDIBits, 8 bits, run lengths")
            << Wmf().rec(0x0F43, rop(0xCC0020) + Words{0, 1, 4, 0, 0} + whole,
                   dib(4, 1, 8, {kBlue, kRed}, QByteArray("\x03\x01\x01\x00\x00\x01", 6), 1)).bytes()
            << QList<Probe>{at(10, 50, kRed), at(60, 50, kRed), at(90, 50, kBlue)};
        QTest::newRow("StretchDIBits, 4 bits, run lengths")
            << Wmf().rec(0x0F43, rop(0xCC0020) + Words{0, 1, 4, 0, 0} + whole,
                   dib(4, 1, 4, {kBlue, kRed}, QByteArray("\x04\x10\x00\x01", 4), 2)).bytes()
            << QList<Probe>{at(10, 50, kRed), at(35, 50, kBlue), at(60, 50, kRed)};
        QTest::newRow("DIBBitBlt") << Wmf().rec(0x0940, rop(0xCC0020) + Words{0, 0, 2, 2, 10, 10}, two).bytes()
                                   << QList<Probe>{at(10, 10, kBlack), at(11, 11, kGreen), at(20, 20, kNone)};
        QTest::newRow("DIBStretchBlt") << Wmf().rec(0x0B41, rop(0xCC0020) + Words{2, 2, 0, 0} + whole, two).bytes()
                                       << QList<Probe>{at(25, 25, kBlack), at(75, 75, kGreen)};
        // A one-bit device bitmap: its 0 bits in the text colour, its 1 bits in the background colour.
        QTest::newRow("BitBlt of a device bitmap")
            << Wmf().rec(0x0209, colour(kRed)).rec(0x0201, colour(kGreen))
                   .rec(0x0922, rop(0xCC0020) + Words{0, 0, 1, 8, 10, 10, 0, 8, 1, 2, 1 | 1 << 8}, QByteArray("\x0F\0", 2)).bytes()
            << QList<Probe>{at(10, 10, kRed), at(17, 10, kGreen)};
        QTest::newRow("SRCAND") << Wmf().brush(0, kBlue).rec(0x061D, rop(0xF00021) + whole)
                                       .rec(0x0F43, rop(0x8800C6) + Words{0, 2, 2, 0, 0} + whole, two).bytes()
                                << QList<Probe>{at(75, 25, kBlue), at(25, 75, kBlack)};
        // Any ternary operation: where the source is white the destination stays, elsewhere the brush.
        QTest::newRow("ternary operation PSDPxax")
            << Wmf().brush(0, kGreen).rec(0x061D, rop(0xF00021) + whole).brush(0, kRed)
                   .rec(0x0F43, rop(0xB8074A) + Words{0, 1, 2, 0, 0} + whole, dib(2, 1, 1, {kBlack, kWhite}, QByteArray("\x40\0\0\0", 4))).bytes()
            << QList<Probe>{at(25, 50, kRed), at(75, 50, kGreen)};
        // Clipping, state, mapping.
        QTest::newRow("IntersectClipRect") << Wmf().brush(0, kBlue).rec(0x0416, {100, 50, 0, 0}).rec(0x061D, rop(0xF00021) + whole).bytes()
                                           << QList<Probe>{at(25, 50, kBlue), at(75, 50, kNone)};
        QTest::newRow("ExcludeClipRect") << Wmf().brush(0, kBlue).rec(0x0415, {100, 50, 0, 0}).rec(0x061D, rop(0xF00021) + whole).bytes()
                                         << QList<Probe>{at(25, 50, kNone), at(75, 50, kBlue)};
        QTest::newRow("SaveDC, RestoreDC") << Wmf().brush(0, kBlue).rec(0x001E, {}).brush(0, kRed).rec(0x0416, {10, 10, 0, 0})
                                                  .rec(0x0127, {0xFFFF}).rec(0x061D, rop(0xF00021) + whole).bytes()
                                           << QList<Probe>{at(50, 50, kBlue)};
        QTest::newRow("window extent") << Wmf().noPen().brush(0, kBlue).rec(0x020C, {200, 200}).rect(0, 0, 100, 100).bytes()
                                       << QList<Probe>{at(25, 25, kBlue), at(75, 75, kNone)};
        QTest::newRow("window origin") << Wmf().noPen().brush(0, kBlue).rec(0x020B, {50, 50}).rect(50, 50, 100, 100).bytes()
                                       << QList<Probe>{at(25, 25, kBlue), at(75, 75, kNone)};
        QTest::newRow("viewport origin") << Wmf().noPen().brush(0, kBlue).rec(0x020D, {50, 50}).rect(0, 0, 50, 50).bytes()
                                         << QList<Probe>{at(25, 25, kNone), at(75, 75, kBlue)};
        QTest::newRow("viewport extent") << Wmf().noPen().brush(0, kBlue).rec(0x020E, {50, 50}).rect(0, 0, 100, 100).bytes()
                                         << QList<Probe>{at(25, 25, kBlue), at(75, 75, kNone)};
        QTest::newRow("isotropic") << Wmf().noPen().brush(0, kBlue).rec(0x0103, {7}).rec(0x020C, {100, 200}).rect(0, 0, 200, 100).bytes()
                                   << QList<Probe>{at(50, 25, kBlue), at(50, 75, kNone)};
        QTest::newRow("MM_TEXT: a unit a pixel") << Wmf().noPen().brush(0, kBlue).rec(0x020C, {200, 200}).rec(0x0103, {1}).rect(0, 0, 60, 60).bytes()
                                                 << QList<Probe>{at(55, 55, kBlue)};
        QTest::newRow("MM_LOENGLISH: y upwards") << Wmf().noPen().brush(0, kBlue).rec(0x0103, {4}).rect(0, 0, 50, -50).bytes()
                                                 << QList<Probe>{at(24, 24, kBlue), at(60, 60, kNone)};
        QTest::newRow("SetROP2 XOR, twice") << Wmf().noPen().brush(0, kBlue).rec(0x0104, {7}).rect(10, 10, 90, 90).rect(10, 10, 90, 90).bytes()
                                           << QList<Probe>{at(50, 50, kWhite)};
        // Objects.
        QTest::newRow("palette colour") << Wmf().select(0x00F7, {0x300, 2}, le({0, 0, 255, 0})).rec(0x0234, {0})
                                               .noPen().select(0x02FC, {0, 1, 0x0100, 0}).rect(10, 10, 90, 90).bytes()
                                        << QList<Probe>{at(50, 50, kRed)};
        QTest::newRow("hatched brush") << Wmf().rec(0x0102, {1}).noPen().brush(2, kBlue, 0).rect(10, 10, 90, 90).bytes()
                                       << QList<Probe>{{QRect(50, 20, 1, 20), kBlue}, {QRect(50, 20, 1, 20), kNone}};
        QTest::newRow("pattern brush")
            << Wmf().select(0x0142, {5, 0}, dib(2, 2, 1, {kRed, kGreen}, QByteArray("\x40\0\0\0\x80\0\0\0", 8))).noPen().rect(10, 10, 90, 90).bytes()
            << QList<Probe>{{QRect(40, 40, 4, 4), kRed}, {QRect(40, 40, 4, 4), kGreen}};
        QTest::newRow("a freed slot is taken again")
            << Wmf().noPen().brush(0, kRed).brush(0, kBlue).rec(0x01F0, {1}).rec(0x02FC, Words{0} + colour(kGreen) + Words{0})
                   .rec(0x012D, {1}).rect(10, 10, 90, 90).bytes()
            << QList<Probe>{at(50, 50, kGreen)};
        const Words region = {0, 6, 0, 0, 50, 1, 20, 20, 20, 40, 40, 2, 20, 40, 20, 40, 2};
        QTest::newRow("FillRegion") << Wmf().create(0x06FF, region).brush(0, kBlue).rec(0x0228, {0, 1}).bytes()
                                    << QList<Probe>{at(30, 30, kBlue), at(50, 50, kNone)};
        QTest::newRow("SelectClipRegion") << Wmf().create(0x06FF, region).brush(0, kBlue).rec(0x012C, {0}).rec(0x061D, rop(0xF00021) + whole).bytes()
                                          << QList<Probe>{at(30, 30, kBlue), at(50, 50, kNone)};
        QTest::newRow("Escape changes nothing") << Wmf().noPen().brush(0, kBlue).rec(0x0626, {15, 4, 0xFFFF, 0xFFFF}).rect(10, 10, 90, 90).bytes()
                                                << QList<Probe>{at(50, 50, kBlue)};
    }
    void recordsAreDrawn()
    {
        QFETCH(QByteArray, wmf);
        QFETCH(QList<Probe>, probes);
        const QImage image = render(wmf);
        QCOMPARE(image.size(), QSize(100, 100));
        const QString failed = failedProbe(image, probes);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }

    // The image's size: the size the document gives, else the picture's own, else its header's
    // bounding box, else the window the records set.
    void pictureSize_data()
    {
        QTest::addColumn<QByteArray>("wmf");
        QTest::addColumn<QList<int>>("frame"); // map mode, width, height, goal width, goal height, scale x 100
        QTest::addColumn<QSize>("size");
        const QByteArray plain = Wmf().bytes();
        QByteArray placeable = le({0xCDD7, 0x9AC6, 0, 0, 0, 1440, 720, 1440, 0, 0, 0}) + Wmf().bytes();
        QTest::newRow("the window") << plain << QList<int>{8, 0, 0, 0, 0, 100} << QSize(100, 100);
        QTest::newRow("its own size, 0.01 mm") << plain << QList<int>{8, 2540, 1270, 0, 0, 100} << QSize(96, 48);
        QTest::newRow("the document's size, twips") << plain << QList<int>{8, 2540, 1270, 1440, 360, 100} << QSize(96, 24);
        QTest::newRow("a goal width only") << plain << QList<int>{8, 2540, 1270, 720, 0, 100} << QSize(48, 24);
        QTest::newRow("MM_TEXT: its own size in pixels") << plain << QList<int>{1, 30, 20, 0, 0, 100} << QSize(30, 20);
        QTest::newRow("MM_TWIPS: its own size in twips") << plain << QList<int>{6, 1440, 720, 0, 0, 100} << QSize(96, 48);
        QTest::newRow("placeable header") << placeable << QList<int>{8, 0, 0, 0, 0, 100} << QSize(96, 48);
        QTest::newRow("scale") << plain << QList<int>{8, 2540, 1270, 0, 0, 200} << QSize(192, 96);
        QTest::newRow("at most 4096 pixels a side") << plain << QList<int>{8, 2540 * 100, 1270, 0, 0, 100} << QSize(4096, 20);
        QTest::newRow("no size at all") << le({1, 9, 0x300, 12, 0, 0, 0, 0, 0, 3, 0, 0}) << QList<int>{8, 0, 0, 0, 0, 100} << QSize();
        QTest::newRow("not a metafile") << QByteArray("BM not a metafile at all") << QList<int>{8, 0, 0, 0, 0, 100} << QSize();
    }
    void pictureSize()
    {
        QFETCH(QByteArray, wmf);
        QFETCH(QList<int>, frame);
        QFETCH(QSize, size);
        hlp::MetafileFrame f;
        f.mapMode = frame[0];
        f.width = frame[1];
        f.height = frame[2];
        f.goalWidth = frame[3];
        f.goalHeight = frame[4];
        f.scale = frame[5] / 100.0;
        const QImage image = hlp::renderMetafile(wmf, f);
        QCOMPARE(image.size(), size.isValid() ? size : QSize(0, 0));
    }

    // Text bytes in the code page of the font's character set; ANSI and default fonts take the
    // file's code page; the Symbol font's letters are Greek.
    void textInItsCodePage_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<int>>("one"); // font charset, file charset
        QTest::addColumn<QList<int>>("other");
        QTest::addColumn<bool>("same");
        QTest::newRow("Cyrillic font") << QByteArray("\xE6") << QList<int>{204, 0} << QList<int>{0, 204} << true;
        QTest::newRow("Cyrillic, not Western") << QByteArray("\xE6") << QList<int>{204, 0} << QList<int>{0, 0} << false;
        QTest::newRow("Central European font; a default font") << QByteArray("\xE8") << QList<int>{238, 0} << QList<int>{1, 238} << true;
        QTest::newRow("Symbol: Greek letters") << QByteArray("S") << QList<int>{2, 0} << QList<int>{0, 0} << false;
    }
    void textInItsCodePage()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<int>, one);
        QFETCH(QList<int>, other);
        QFETCH(bool, same);
        auto draw = [&text](const QList<int>& charsets) {
            hlp::MetafileFrame frame;
            frame.codePage = hlp::CodePage::forCharset(charsets[1]);
            const QByteArray face = charsets[0] == 2 ? "Symbol" : "Times New Roman";
            return render(Wmf().font(-60, 0, charsets[0], face).rec(0x0521, {int(text.size())}, padded(text) + le({10, 10})).bytes(), frame);
        };
        const QImage a = draw(one), b = draw(other);
        QVERIFY(failedProbe(a, {{QRect(0, 0, 100, 100), kBlack}}).isEmpty());
        QCOMPARE(a == b, same);
    }

    // A damaged metafile draws what it has; it never crashes nor takes long.
    void damagedMetafiles_data()
    {
        QTest::addColumn<QByteArray>("wmf");
        QTest::addColumn<QList<Probe>>("probes");
        const QByteArray box = Wmf().noPen().brush(0, kBlue).rect(10, 10, 50, 50).bytes();
        const QByteArray body = box.left(box.size() - 6); // without its end record
        const Words stretch = rop(0xCC0020) + Words{0, 2, 2, 0, 0, 100, 100, 0, 0};
        QTest::newRow("cut in a bitmap") << (body + le(Words{100, 0, 0x0F43} + stretch)) << QList<Probe>{at(30, 30, kBlue)};
        QTest::newRow("a record longer than the file: what it holds") << (body + le({0xFFFF, 0xFFFF, 0x041B, 90, 90, 60, 60}))
                                                                      << QList<Probe>{at(30, 30, kBlue), at(70, 70, kBlue)};
        QTest::newRow("a bitmap claiming 30000 x 30000 pixels")
            << Wmf().noPen().brush(0, kBlue).rect(10, 10, 50, 50).rec(0x0F43, stretch, dib(30000, 30000, 8, {}, QByteArray(8, '\x01'), 1)).bytes()
            << QList<Probe>{at(30, 30, kBlue), at(70, 70, kNone)};
        QTest::newRow("objects that are not there") << Wmf().rec(0x012D, {500}).rec(0x01F0, {7}).rec(0x0127, {-3}).bytes()
                                                    << QList<Probe>{at(50, 50, kNone)};
        // The drawing stops once it has painted far more than the picture holds.
        Wmf many;
        many.noPen().brush(0, kBlue);
        for (int i = 0; i < 20000; ++i)
            many.rect(-30000, -30000, 30000, 30000);
        many.brush(0, kRed).rect(40, 40, 60, 60);
        QTest::newRow("too much to draw") << many.bytes() << QList<Probe>{at(50, 50, kBlue)};
    }
    void damagedMetafiles()
    {
        QFETCH(QByteArray, wmf);
        QFETCH(QList<Probe>, probes);
        const QImage image = render(wmf);
        const QString failed = failedProbe(image, probes);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }

    // Pictures of a real help project, read by the compiler's RTF reader: each at the size the
    // topic gives it; the buttons, device-independent bitmaps, pixel for pixel as Qt's own BMP
    // reader sees the same bitmap; the equations, text and lines, with something drawn.
    void helpPictures()
    {
        QFile file(QStringLiteral(TYX_TEST_DATA "/metafiles/calc.rtf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        hlp::HelpDocument doc;
        hlp::Diagnostics diagnostics;
        hlp::RtfReader(doc, diagnostics).read(file.readAll(), QStringLiteral("calc.rtf"));
        QCOMPARE(doc.pictures.size(), size_t(20));
        for (size_t i = 0; i < doc.pictures.size(); ++i) {
            const hlp::Picture& picture = doc.pictures[i];
            const QImage image = hlp::renderMetafile(picture, hlp::CodePage()).convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(image.size(), QSize(qRound(picture.goalWidth / 15.0), qRound(picture.goalHeight / 15.0)));
            int drawn = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    drawn += qAlpha(image.pixel(x, y)) > 0;
            QVERIFY2(drawn > image.width(), qPrintable(QString::number(i)));
            if (i >= 5)
                continue;
            // The five buttons: their bitmap is the parameters of the StretchDIBits record from
            // its 23rd byte on; a .bmp file header before it makes it a file for Qt's reader.
            const auto* data = reinterpret_cast<const uchar*>(picture.data.constData());
            qsizetype at = 18;
            while (at + 6 <= picture.data.size() && qFromLittleEndian<quint16>(data + at + 4) != 0x0F43)
                at += 2 * qsizetype(qFromLittleEndian<quint32>(data + at));
            const QByteArray packed = picture.data.mid(at + 6 + 22);
            const int colours = qFromLittleEndian<quint16>(data + at + 6 + 22 + 14) <= 8 ? qFromLittleEndian<int>(data + at + 6 + 22 + 32) : 0;
            const int offset = 14 + 40 + 4 * (colours ? colours : 1 << qFromLittleEndian<quint16>(data + at + 6 + 22 + 14));
            const QImage reference = QImage::fromData("BM" + le({0, 0, 0, 0, offset, 0}) + packed, "BMP").convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(image, reference);
        }
    }
};

TYX_TEST(MetafileRendererTest);
#include "MetafileRendererTest.moc"
