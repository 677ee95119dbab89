// Text of a metafile: its fonts as Qt fonts of the same height, weight and kind, its bytes in the
// code page of the font's character set (the file's own for ANSI and default), the Symbol font's
// letters and signs as their Unicode characters, and Windows' alignment, spacing and clipping.
#include "winhelp/render/MetafilePlayer.h"

#include <QFontMetricsF>
#include <QStringDecoder>
#include <cmath>

namespace hlp::wmf {

namespace {

// The Symbol font's characters from 0x20 on (Greek letters, mathematical signs, pieces of large
// brackets), as Unicode.
constexpr char16_t kSymbol[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F,
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF,
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x0020,
    0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020,
    0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020,
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA,
    0x0020, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0x0020,
};

// The decoder names of the double-byte code pages.
const char* multiByteName(int codePage)
{
    switch (codePage) {
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    default: return nullptr;
    }
}

// Windows' font names of the same face for other scripts ("Times New Roman CE").
QString baseFace(const QByteArray& face)
{
    QString name = QString::fromLatin1(face).trimmed();
    for (const char* suffix : {" CE", " Cyr", " Greek", " Tur", " Baltic"})
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            name.chop(static_cast<int>(qstrlen(suffix)));
    return name;
}

// Families drawn with the same widths as Windows' own core fonts, where one is installed, so that
// text placed without its widths keeps its length.
QStringList sameWidths(const QString& face)
{
    const QString f = face.toLower();
    if (f == u"times new roman" || f == u"times" || f == u"tms rmn")
        return {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"), QStringLiteral("Nimbus Roman")};
    if (f == u"arial" || f == u"helvetica" || f == u"helv" || f == u"ms sans serif")
        return {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans")};
    if (f == u"courier new" || f == u"courier")
        return {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"), QStringLiteral("Nimbus Mono PS")};
    return {};
}

QFont::StyleHint styleHint(const QString& face, int pitchAndFamily)
{
    const QString f = face.toLower();
    if (f.startsWith(u"times") || f.startsWith(u"tms") || f == u"ms serif" || f == u"roman" || f == u"symbol"
        || f.contains(u"garamond") || f.contains(u"century") || f.contains(u"georgia"))
        return QFont::Serif;
    if (f.startsWith(u"courier") || f == u"fixedsys" || f == u"terminal" || f == u"modern" || f.contains(u"console"))
        return QFont::TypeWriter;
    if (f == u"system" || f.startsWith(u"helv") || f.startsWith(u"arial") || f.contains(u"sans") || f == u"swiss")
        return QFont::SansSerif;
    if ((pitchAndFamily & 3) == 1)
        return QFont::TypeWriter;
    switch (pitchAndFamily >> 4) {
    case 1: return QFont::Serif;
    case 3: return QFont::TypeWriter;
    case 4: return QFont::Cursive;
    case 5: return QFont::Decorative;
    default: return QFont::SansSerif;
    }
}

} // namespace

QChar symbolCharacter(unsigned char byte)
{
    return byte >= 0x20 ? QChar(kSymbol[byte - 0x20]) : QChar(byte);
}

SignFont signFontOf(const QByteArray& face)
{
    const QByteArray name = face.trimmed().toLower();
    return name == "symbol" ? SignFont::Symbol : name == "wingdings" ? SignFont::Wingdings : SignFont::None;
}

char16_t wingdingsCharacter(unsigned char byte)
{
    switch (byte) {
    case 0x22: return 0x2702; // scissors
    case 0x28: return 0x260E; // telephone
    case 0x2A: return 0x2709; // envelope
    case 0x45: return 0x261C; // hand pointing left
    case 0x46: return 0x261E; // hand pointing right
    case 0x4A: return 0x263A; // smiling face
    case 0x4C: return 0x2639; // frowning face
    case 0x6C: return 0x25CF; // black circle
    case 0x6E: return 0x25A0; // black square
    case 0x6F: return 0x25A1; // white square
    case 0x71: return 0x2751; // shadowed white square
    case 0x72: return 0x2752;
    case 0x74: return 0x29EB; // black lozenge
    case 0x75: return 0x25C6; // black diamond
    case 0x76: return 0x2756; // black diamond minus white X
    case 0x9F: return 0x2022; // bullet
    case 0xA1: return 0x25CB; // white circle
    case 0xA4: return 0x25C9; // fisheye
    case 0xA7: return 0x25AA; // small black square
    case 0xA8: return 0x25FB; // white medium square
    case 0xAB: return 0x2605; // black star
    case 0xD8: return 0x27A2; // arrowhead
    case 0xE8: return 0x2794; // heavy wide-headed arrow
    case 0xF0: return 0x21E8; // white arrow
    case 0xFB: return 0x2717; // ballot X
    case 0xFC: return 0x2714; // check mark
    case 0xFD: return 0x2612; // ballot box with X
    case 0xFE: return 0x2611; // ballot box with check
    default: return 0;
    }
}

void Player::text(const Record& r)
{
    QByteArray bytes;
    std::vector<int> dx;
    QPointF reference;
    int options = 0;
    std::optional<QRect> box;
    if (r.function == 0x0521) { // TextOut: count, string, y, x
        const int count = qBound(0, r.s(0), r.bytesFrom(1));
        bytes = QByteArray(reinterpret_cast<const char*>(r.from(1)), count);
        const int after = 1 + (count + 1) / 2;
        reference = QPointF(r.s(after + 1), r.s(after));
    } else { // ExtTextOut: y, x, count, options, [rectangle], string, [spacing]
        reference = QPointF(r.s(1), r.s(0));
        const int count = std::max(0, static_cast<int>(r.s(2)));
        options = static_cast<int>(r.u(3));
        const int padded = 2 * ((count + 1) / 2);
        // The rectangle is there when the options ask for it; some programs write it anyway.
        const int rest = r.bytes - 8 - padded;
        const bool hasBox = (options & 0x06) != 0 || (rest != 0 && rest != 2 * count && (rest == 8 || rest == 8 + 2 * count));
        int word = 4;
        if (hasBox) {
            box = deviceRect(r.s(4), r.s(5), r.s(6), r.s(7));
            word = 8;
        }
        const int n = qBound(0, count, r.bytesFrom(word));
        bytes = QByteArray(reinterpret_cast<const char*>(r.from(word)), n);
        const int spacing = word + (n + 1) / 2;
        if (r.words() - spacing >= n)
            for (int i = 0; i < n; ++i)
                dx.push_back(r.s(spacing + i));
    }
    if (m_dc.textAlign & 1) // TA_UPDATECP: from the current position
        reference = m_dc.position;
    drawText(reference, bytes, dx, options, box ? &*box : nullptr);
}

QString Player::decode(const QByteArray& bytes, const Font& font, std::vector<int>* byteOfChar) const
{
    QString out;
    byteOfChar->clear();
    const QString face = baseFace(font.face);
    const bool symbol = font.charset == 2 && face.compare(u"Symbol", Qt::CaseInsensitive) == 0;
    // The equation editors' Fences font: F, G, H the top, middle and bottom of a tall opening
    // parenthesis, I, J, K of a closing one.
    const bool fences = face.compare(u"Fences", Qt::CaseInsensitive) == 0;
    if (symbol || fences) {
        for (int i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            out.append(symbol ? symbolCharacter(b) : b >= 'F' && b <= 'K' ? QChar(char16_t(0x239B + b - 'F')) : QChar(b));
            byteOfChar->push_back(i);
        }
        return out;
    }
    const int charset = font.charset;
    auto found = m_codePages.find(charset);
    if (found == m_codePages.end()) {
        const bool fileCodePage = charset == 0 || charset == 1 || charset == 2 || charset == 255 || charset == 77;
        found = m_codePages.emplace(charset, fileCodePage ? m_setup.codePage : CodePage::forCharset(charset)).first;
    }
    const CodePage& codePage = found->second;
    if (const char* name = multiByteName(codePage.number())) {
        // A character of one or two bytes: fed byte by byte, to know which bytes make which.
        QStringDecoder decoder(name);
        if (decoder.isValid()) {
            int first = 0;
            for (int i = 0; i < bytes.size(); ++i) {
                const QString piece = decoder(QByteArrayView(bytes.constData() + i, 1));
                for (const QChar c : piece) {
                    out.append(c);
                    byteOfChar->push_back(first);
                }
                if (!piece.isEmpty())
                    first = i + 1;
            }
            return out;
        }
    }
    out = codePage.decode(bytes);
    if (out.size() == bytes.size())
        for (int i = 0; i < bytes.size(); ++i)
            byteOfChar->push_back(i);
    return out;
}

QFont Player::qtFont(const Font& font, double* lineHeight) const
{
    QString face = baseFace(font.face);
    // The Symbol font's text is Unicode once decoded: any serif font with Greek shows it (a
    // font named Symbol may keep its own encoding).
    if (font.charset == 2 && face.compare(u"Symbol", Qt::CaseInsensitive) == 0)
        face = QStringLiteral("Times New Roman");
    QFont out(face);
    if (const QStringList others = sameWidths(face); !others.isEmpty())
        out.setFamilies(QStringList{face} + others);
    out.setStyleHint(styleHint(face, font.pitchAndFamily));
    out.setWeight(static_cast<QFont::Weight>(qBound(1, font.weight > 0 ? font.weight : 400, 1000)));
    out.setItalic(font.italic);
    out.setUnderline(font.underline);
    out.setStrikeOut(font.strikeOut);
    out.setKerning(false);
    // A negative height is the characters' (the em), a positive one the cell's: ascent and
    // descent together.
    const double maxPixels = 4.0 * m_canvas.height() + 64;
    double pixels = font.height == 0 ? 16 * m_setup.scaleY : std::abs(font.height * factor().y());
    pixels = qBound(0.5, pixels, maxPixels);
    out.setPointSizeF(pixels * 0.75);
    if (font.height > 0) {
        const QFontMetricsF fm(out, &m_canvas);
        if (fm.height() > 0)
            out.setPointSizeF(qBound(0.5, pixels * pixels / fm.height(), maxPixels) * 0.75);
    }
    if (font.width > 0) {
        const double wanted = std::abs(font.width * factor().x());
        const QFontMetricsF fm(out, &m_canvas);
        if (fm.averageCharWidth() > 0)
            out.setStretch(qBound(1, qRound(100 * wanted / fm.averageCharWidth()), 4000));
    }
    if (lineHeight)
        *lineHeight = QFontMetricsF(out, &m_canvas).height();
    return out;
}

void Player::drawText(QPointF reference, const QByteArray& bytes, const std::vector<int>& dx, int options, const QRect* box)
{
    const QPointF at = toDevice(reference.x(), reference.y());
    const QRegion clip = clipRegion();
    if (options & 0x02 && box) { // ETO_OPAQUE: the rectangle in the background colour
        if (!spend(qint64(box->intersected(m_canvas.rect()).width()) * box->intersected(m_canvas.rect()).height()))
            return;
        QPainter& p = painter();
        p.setClipRegion(clip);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.fillRect(*box, QColor(m_dc.bkColour));
    }
    if (bytes.isEmpty() || !m_setup.text)
        return;

    const Font& font = m_dc.font;
    const QFont qfont = qtFont(font, nullptr);
    const QFontMetricsF fm(qfont, &m_canvas);
    std::vector<int> byteOfChar;
    const QString chars = decode(bytes, font, &byteOfChar);
    const double kx = std::abs(factor().x());
    const bool spaced = (!dx.empty() && byteOfChar.size() == size_t(chars.size())) || m_dc.charExtra != 0;
    std::vector<double> advance(static_cast<size_t>(chars.size()), 0.0);
    double total = 0;
    if (spaced) {
        for (qsizetype i = 0; i < chars.size(); ++i) {
            double a;
            if (!dx.empty() && byteOfChar.size() == size_t(chars.size())) {
                const int from = byteOfChar[size_t(i)];
                const int to = i + 1 < chars.size() ? byteOfChar[size_t(i + 1)] : static_cast<int>(bytes.size());
                a = 0;
                for (int b = from; b < to && b < static_cast<int>(dx.size()); ++b)
                    a += dx[size_t(b)] * kx;
            } else {
                a = fm.horizontalAdvance(chars.at(i)) + m_dc.charExtra * kx;
            }
            advance[size_t(i)] = a;
            total += a;
        }
    } else {
        total = fm.horizontalAdvance(chars);
    }
    const double height = fm.ascent() + fm.descent();
    if (!spend(qint64(std::min(std::abs(total), 4.0 * m_canvas.width())) * qint64(std::min(height, 4.0 * m_canvas.height()))
            + 32 * chars.size()))
        return;

    // Where the text starts along its line, and where its base line is.
    const int align = m_dc.textAlign;
    double x0 = (align & 6) == 6 ? -total / 2 : (align & 6) == 2 ? -total : 0;
    const double baseline = (align & 24) == 24 ? 0 : (align & 24) == 8 ? -fm.descent() : fm.ascent();
    if (align & 1) { // the current position moves past the text
        const double moved = (align & 6) == 6 ? 0 : (align & 6) == 2 ? -total : total;
        m_dc.position.rx() += kx > 0 ? moved / kx : 0;
    }

    QPainter& p = painter();
    p.save();
    p.setClipRegion(clip);
    if (options & 0x04 && box) // ETO_CLIPPED
        p.setClipRect(*box, Qt::IntersectClip);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(at);
    if (font.escapement != 0)
        p.rotate(-font.escapement / 10.0);
    if (m_dc.bkMode == 2) // opaque: the text's cells in the background colour
        p.fillRect(QRectF(x0, baseline - fm.ascent(), total, height), QColor(m_dc.bkColour));
    p.setFont(qfont);
    p.setPen(QColor(m_dc.textColour));
    if (!spaced) {
        p.drawText(QPointF(x0, baseline), chars);
    } else {
        for (qsizetype i = 0; i < chars.size(); ++i) {
            if (!chars.at(i).isSpace())
                p.drawText(QPointF(x0, baseline), QString(chars.at(i)));
            x0 += advance[size_t(i)];
        }
    }
    p.restore();
}

} // namespace hlp::wmf
