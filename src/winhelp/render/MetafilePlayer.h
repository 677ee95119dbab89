#pragma once
// Inside the metafile renderer: the state of the drawing as Windows keeps it for a metafile being
// played (mapping, selected objects, colours, modes, clipping), the object table, and the record
// handlers, split by theme: MetafilePlayer.cpp (records, mapping, objects), MetafileShapes.cpp,
// MetafileText.cpp, MetafileBitmaps.cpp.
#include "winhelp/format/CodePage.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <variant>
#include <vector>

namespace hlp::wmf {

// One record: its function number and its parameters, read within the record only (a value
// past its end reads as 0).
struct Record {
    unsigned function = 0;
    const uchar* params = nullptr;
    int bytes = 0; // of the parameters

    int words() const { return bytes / 2; }
    unsigned u(int word) const
    {
        const int at = word * 2;
        return word >= 0 && at + 2 <= bytes ? unsigned(params[at]) | unsigned(params[at + 1]) << 8 : 0u;
    }
    int s(int word) const { return static_cast<std::int16_t>(u(word)); }
    std::uint32_t u32(int word) const { return u(word) | std::uint32_t(u(word + 1)) << 16; }
    // The parameter bytes from a word on (empty past the end).
    const uchar* from(int word) const { return params + qBound(0, word * 2, bytes); }
    int bytesFrom(int word) const { return word < 0 ? 0 : qMax(0, bytes - word * 2); }
};

struct Pen {
    int style = 0; // PS_SOLID 0 ... PS_NULL 5, PS_INSIDEFRAME 6; end cap and join in the high bits
    int width = 0; // logical units; 0: one pixel
    QRgb colour = qRgb(0, 0, 0);
    bool visible() const { return (style & 0x0F) != 5; }
};

struct Brush {
    int style = 0; // BS_SOLID 0, BS_NULL 1, BS_HATCHED 2, BS_PATTERN 3, BS_DIBPATTERN 5
    QRgb colour = qRgb(255, 255, 255);
    int hatch = 0;
    QImage pattern;    // BS_PATTERN, BS_DIBPATTERN
    bool mono = false; // a one-bit pattern: its 0 bits take the text colour, its 1 bits the background
    bool visible() const { return style != 1; }
};

struct Font {
    int height = 0; // logical units: < 0 the characters' height, > 0 the cell's, 0 the default
    int width = 0;  // average character width, 0: the font's own
    int escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    int charset = 1;
    int pitchAndFamily = 0;
    QByteArray face;
};

struct Palette {
    std::vector<QRgb> colours;
};

struct Region {
    QRegion area; // logical units
};

using Object = std::variant<std::monostate, Pen, Brush, Font, Palette, Region>;

// What SaveDC keeps.
struct Dc {
    int mapMode = 8;
    QPointF windowOrg, windowExt{1, 1}, viewportOrg, viewportExt{1, 1}; // viewport in natural pixels
    Pen pen;
    Brush brush;
    Font font;
    std::shared_ptr<const Palette> palette;
    QRgb textColour = qRgb(0, 0, 0);
    QRgb bkColour = qRgb(255, 255, 255);
    int bkMode = 2;     // TRANSPARENT 1, OPAQUE 2
    int textAlign = 0;  // TA_UPDATECP 1, TA_RIGHT 2, TA_CENTER 6, TA_BOTTOM 8, TA_BASELINE 24
    int polyFillMode = 1; // ALTERNATE 1, WINDING 2
    int rop2 = 13;      // R2_COPYPEN
    int stretchMode = 1;
    int charExtra = 0;  // logical units
    QPointF position;   // logical units
    std::optional<QRegion> clip; // device pixels; none: the whole picture
};

// How the player is set up: the natural size of the picture (pixels of a 96-dpi screen) and the
// factor to the image's pixels.
struct Setup {
    int mapMode = 8;
    QPointF windowOrg, windowExt{1, 1}; // before any record sets them
    QSizeF natural{1, 1};
    double scaleX = 1, scaleY = 1;      // image pixels per natural pixel
    double pixel = 1;                   // image pixels of a one-pixel pen
    CodePage codePage;
    bool text = true;                   // the font database is there (a Gui application)
    qint64 budget = 0;                  // pixels the drawing may paint in all
};

class Player {
public:
    Player(QImage& canvas, const Setup& setup);
    ~Player();
    // Plays the records that follow the header; stops at the end record, at a record that
    // overruns the bytes, or when the budget is spent.
    void play(const uchar* records, int size);

private:
    // MetafilePlayer.cpp
    void record(const Record& r);
    void state(const Record& r);
    void mapping(const Record& r);
    void objects(const Record& r);
    void clipping(const Record& r);
    void saveDc();
    void restoreDc(int which);
    int addObject(Object object);
    const Object* object(unsigned index) const;
    QRgb colour(std::uint32_t colorref) const;
    // Device pixels per logical unit, with their signs.
    QPointF factor() const;
    QPointF toDevice(double x, double y) const;
    QPoint devicePoint(int x, int y) const;
    QRect deviceRect(int left, int top, int right, int bottom) const; // normalised
    QRegion deviceRegion(const QRegion& logical);
    QRegion clipRegion() const;
    // Takes `area` pixels from the budget; false (and the playing stops) once it is spent.
    bool spend(qint64 area);
    QPainter& painter();
    void endPainting();

    // MetafileShapes.cpp
    void shapes(const Record& r);
    void lineTo(int x, int y);
    void polygons(const Record& r);
    void boxes(const Record& r);
    void arcs(const Record& r);
    void regions(const Record& r);
    void floodFill(int x, int y, QRgb colour, bool surface);
    void setPixel(int x, int y, QRgb colour);
    // Draws a path of device coordinates with the pen and (when `fill`) the brush.
    void drawPath(const QPainterPath& path, bool fill);
    void fillPath(const QPainterPath& path, const Brush& brush);
    bool setUpPainter(QPainter& p, bool antialias);
    QPen qtPen() const;
    QBrush qtBrush(const Brush& brush) const;
    double penWidth() const; // device pixels
    double penOffset() const; // 0.5 for a line of odd width: on the middle of its pixels
    QRectF shapeRect(int left, int top, int right, int bottom) const;

    // MetafileText.cpp
    void text(const Record& r);
    void drawText(QPointF reference, const QByteArray& bytes, const std::vector<int>& dx, int options, const QRect* box);
    QFont qtFont(const Font& font, double* lineHeight) const;
    QString decode(const QByteArray& bytes, const Font& font, std::vector<int>* byteOfChar) const;

    // MetafileBitmaps.cpp
    void bitmaps(const Record& r);
    // Combines the brush (P), the source (S) and the destination (D) in a device rectangle
    // with a ternary raster operation; `source` maps the rectangle's pixels into it (nullptr:
    // none).
    struct Source;
    void rasterOp(const QRect& target, std::uint32_t rop, const Source* source);
    // Draws `from` (pixels of `image`; nullptr: device pixels of the picture itself) onto `to`
    // (device pixels; opposite signs of the sizes mirror).
    void blit(std::uint32_t rop, const QRectF& to, const QImage* image, QRectF from, int stretchMode);
    // A device-independent bitmap (header, colours, bits) as an ARGB32 image, top row first; the
    // pixels a packed bitmap skips are transparent. `mono`: the two colours of a one-bit bitmap
    // in place of its own; `maxPixels`: 0 for the usual bound.
    QImage dib(const uchar* data, int size, int colourUse, bool* bottomUp, const QRgb* mono, qint64 maxPixels);
    // An old device bitmap; one of one bit stays Format_Mono (a pattern takes its colours late).
    QImage bitmap16(const uchar* data, int size, bool pattern);

    QImage& m_canvas;
    const Setup m_setup;
    std::optional<QPainter> m_painter;
    Dc m_dc;
    std::vector<Dc> m_saved;
    std::vector<Object> m_objects;
    std::set<size_t> m_freeSlots; // below m_objects.size()
    qint64 m_budget = 0;
    bool m_stopped = false;
    mutable std::map<int, CodePage> m_codePages;
};

// Unicode of the characters of the Symbol font (its bytes 0x20 to 0xFF).
QChar symbolCharacter(unsigned char byte);
// Fonts of signs, not letters: their bytes are the signs' own codes, not a code page's.
enum class SignFont { None, Symbol, Wingdings };
SignFont signFontOf(const QByteArray& face);
// The Wingdings signs help texts use as bullets, arrows, marks and boxes; 0 for the others.
char16_t wingdingsCharacter(unsigned char byte);
// Whether a ternary raster operation reads the destination.
bool ropReadsDestination(std::uint32_t rop);

} // namespace hlp::wmf
