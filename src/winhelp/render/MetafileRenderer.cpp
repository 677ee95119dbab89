#include "winhelp/render/MetafileRenderer.h"

#include "winhelp/format/HelpPicture.h"
#include "winhelp/model/HelpModel.h"
#include "winhelp/render/MetafilePlayer.h"

#include <QGuiApplication>
#include <cmath>

namespace hlp {

namespace {

constexpr int kMaxSide = 4096;
constexpr double kMaxPixels = 16.0 * 1024 * 1024;

unsigned le16(const uchar* p)
{
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}

int s16(const uchar* p)
{
    return static_cast<std::int16_t>(le16(p));
}

std::uint32_t le32(const uchar* p)
{
    return le16(p) | std::uint32_t(le16(p + 2)) << 16;
}

struct Parsed {
    const uchar* records = nullptr; // the first record, after the header
    int size = 0;                   // bytes from there
    bool placeable = false;
    QRect box; // placeable header: the bounding box, in its units
    int inch = 0;
};

bool parse(const QByteArray& bytes, Parsed& out)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    qsizetype size = bytes.size();
    if (size >= 22 && le32(data) == 0x9AC6CDD7u) {
        out.placeable = true;
        const int left = s16(data + 6), top = s16(data + 8), right = s16(data + 10), bottom = s16(data + 12);
        out.box = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
        out.inch = static_cast<int>(le16(data + 14));
        data += 22;
        size -= 22;
    }
    if (size < 18 || size > INT_MAX)
        return false;
    const unsigned type = le16(data);
    const unsigned headerWords = le16(data + 2);
    if ((type != 1 && type != 2) || headerWords < 9 || qsizetype(headerWords) * 2 > size)
        return false;
    out.records = data + headerWords * 2;
    out.size = static_cast<int>(size - headerWords * 2);
    return true;
}

// Pixels of a 96-dpi screen per logical unit of a mapping mode.
double unitPixels(int mapMode)
{
    switch (mapMode) {
    case 2: return 96.0 / 254;   // MM_LOMETRIC
    case 3: return 96.0 / 2540;  // MM_HIMETRIC
    case 4: return 0.96;         // MM_LOENGLISH
    case 5: return 0.096;        // MM_HIENGLISH
    case 6: return 96.0 / 1440;  // MM_TWIPS
    default: return 1;
    }
}

// What the records say before drawing: the first window extent and origin, and whether some
// drawing reads what is under it.
struct Survey {
    bool hasExtent = false, hasOrigin = false;
    QPointF extent, origin;
    bool readsDestination = false;
};

Survey survey(const Parsed& m)
{
    Survey s;
    int at = 0;
    while (at + 6 <= m.size) {
        const std::uint32_t words = le32(m.records + at);
        const unsigned function = le16(m.records + at + 4);
        if (function == 0 || words < 3 || words > std::uint32_t(m.size - at) / 2)
            break;
        wmf::Record r{function, m.records + at + 6, static_cast<int>(words * 2 - 6)};
        switch (function) {
        case 0x020C: // SetWindowExt
            if (!s.hasExtent && r.s(0) != 0 && r.s(1) != 0) {
                s.hasExtent = true;
                s.extent = QPointF(r.s(1), r.s(0));
            }
            break;
        case 0x020B: // SetWindowOrg
            if (!s.hasOrigin) {
                s.hasOrigin = true;
                s.origin = QPointF(r.s(1), r.s(0));
            }
            break;
        case 0x0104: { // SetROP2: black, white, nop, copy and not-copy leave what is under alone
            const unsigned mode = r.u(0);
            if (mode != 1 && mode != 4 && mode != 11 && mode != 13 && mode != 16)
                s.readsDestination = true;
            break;
        }
        case 0x012A: // InvertRegion
            s.readsDestination = true;
            break;
        case 0x061D: case 0x0922: case 0x0940: case 0x0B23: case 0x0B41: case 0x0F43:
            if (wmf::ropReadsDestination(r.u32(0)))
                s.readsDestination = true;
            break;
        default:
            break;
        }
        at += static_cast<int>(words * 2);
    }
    return s;
}

} // namespace

namespace wmf {

bool ropReadsDestination(std::uint32_t rop)
{
    const unsigned index = (rop >> 16) & 0xFF;
    return ((index >> 1) & 0x55) != (index & 0x55);
}

} // namespace wmf

QImage renderMetafile(const QByteArray& metafile, const MetafileFrame& frame)
{
    Parsed m;
    if (!parse(metafile, m))
        return {};
    const Survey found = survey(m);
    wmf::Setup setup;
    setup.mapMode = frame.mapMode >= 1 && frame.mapMode <= 8 ? frame.mapMode : 8;
    setup.codePage = frame.codePage;
    const bool scalable = setup.mapMode >= 7;

    // The natural size, in pixels of a 96-dpi screen.
    QSizeF natural;
    if (frame.width > 0 && frame.height > 0) {
        const double unit = scalable ? 96.0 / 2540 : unitPixels(setup.mapMode);
        natural = QSizeF(frame.width * unit, frame.height * unit);
    } else if (m.placeable && m.inch > 0 && m.box.width() > 0 && m.box.height() > 0) {
        natural = QSizeF(m.box.width() * 96.0 / m.inch, m.box.height() * 96.0 / m.inch);
    } else if (found.hasExtent) {
        const double unit = unitPixels(setup.mapMode);
        natural = QSizeF(std::abs(found.extent.x()) * unit, std::abs(found.extent.y()) * unit);
    } else {
        return {};
    }
    natural = natural.expandedTo(QSizeF(1e-3, 1e-3));

    // The image's size.
    const double scale = qBound(0.05, frame.scale, 16.0);
    double width = frame.goalWidth > 0 ? frame.goalWidth * 96.0 / 1440 : 0;
    double height = frame.goalHeight > 0 ? frame.goalHeight * 96.0 / 1440 : 0;
    if (width <= 0 && height <= 0) {
        width = natural.width();
        height = natural.height();
    } else if (width <= 0) {
        width = height * natural.width() / natural.height();
    } else if (height <= 0) {
        height = width * natural.height() / natural.width();
    }
    width *= scale;
    height *= scale;
    const double fit = std::min({1.0, kMaxSide / width, kMaxSide / height, std::sqrt(kMaxPixels / (width * height))});
    const QSize size(qBound(1, int(std::lround(width * fit)), kMaxSide), qBound(1, int(std::lround(height * fit)), kMaxSide));

    // A placeable metafile is played as a picture of its bounding box; the others start with a
    // window as large as their natural size, which their records then set.
    if (m.placeable && m.box.width() > 0 && m.box.height() > 0) {
        setup.mapMode = 8;
        setup.windowOrg = m.box.topLeft();
        setup.windowExt = QPointF(m.box.width(), m.box.height());
    } else {
        setup.windowExt = QPointF(natural.width(), natural.height());
    }
    setup.natural = natural;
    setup.scaleX = size.width() / natural.width();
    setup.scaleY = size.height() / natural.height();
    setup.pixel = std::max(1.0, std::round(scale));
    setup.text = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    setup.budget = 64 * qint64(size.width()) * size.height() + 16 * 1024 * 1024;

    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return {};
    canvas.fill(found.readsDestination ? Qt::white : Qt::transparent);
    canvas.setDotsPerMeterX(3780); // 96 dpi: font sizes in points are pixels * 0.75
    canvas.setDotsPerMeterY(3780);
    {
        wmf::Player player(canvas, setup);
        player.play(m.records, m.size);
    }
    return canvas;
}

QImage renderMetafile(const Picture& picture, const CodePage& codePage, double scale)
{
    MetafileFrame frame;
    frame.codePage = codePage;
    frame.scale = scale;
    frame.goalWidth = picture.goalWidth;
    frame.goalHeight = picture.goalHeight;
    if (picture.source == PictureSource::Metafile) {
        frame.mapMode = picture.mapMode;
        frame.width = picture.width;
        frame.height = picture.height;
        return renderMetafile(picture.data, frame);
    }
    if (picture.source != PictureSource::File)
        return {};
    if (picture.data.startsWith("lP") || picture.data.startsWith("lp")) {
        HelpPictureInfo info;
        if (!readHelpPicture(picture.data, info, nullptr, nullptr) || info.type != 8)
            return {};
        frame.mapMode = info.mapMode;
        frame.width = info.width;
        frame.height = info.height;
        return renderMetafile(info.pixels, frame);
    }
    return renderMetafile(picture.data, frame);
}

bool isMetafileFile(const QByteArray& file)
{
    if (file.startsWith("lP") || file.startsWith("lp")) {
        HelpPictureInfo info;
        return readHelpPicture(file, info, nullptr, nullptr) && info.type == 8;
    }
    Parsed m;
    return parse(file, m);
}

} // namespace hlp
