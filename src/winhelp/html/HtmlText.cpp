#include "winhelp/html/HtmlText.h"

#include "winhelp/render/MetafilePlayer.h"

#include <algorithm>
#include <cstring>

namespace hlp::html {

namespace {

QString foldedLetters(const QString& text)
{
    const QString decomposed = text.toLower().normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category cat = c.category();
        if (cat != QChar::Mark_NonSpacing && cat != QChar::Mark_SpacingCombining && cat != QChar::Mark_Enclosing)
            out += c;
    }
    return out;
}

} // namespace

bool appendSymbolFontHtml(QByteArray& out, const QByteArray& face, QByteArrayView bytes)
{
    const wmf::SignFont font = wmf::signFontOf(face);
    if (font == wmf::SignFont::None)
        return false;
    const bool symbol = font == wmf::SignFont::Symbol;
    QString text;
    text.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20)
            continue;
        if (symbol) {
            text += wmf::symbolCharacter(b);
        } else {
            const char16_t c = wmf::wingdingsCharacter(b);
            text += QChar(c ? c : b == 0x20 ? char16_t(0x20) : char16_t(0xF000 + b));
        }
    }
    appendHtml(out, text);
    return true;
}

TextCodec::TextCodec(const CodePage& codePage) : m_codePage(codePage)
{
    const int number = codePage.number();
    m_singleByte = number == 874 || (number >= 1250 && number <= 1258);
    for (int b = 0; b < 256; ++b) {
        const QString one = m_singleByte ? codePage.decode(QByteArray(1, char(b))) : QString(QChar(char16_t(b < 0x80 ? b : 0xFFFD)));
        const QChar c = one.isEmpty() ? QChar(QChar::ReplacementCharacter) : one.front();
        // The C1 controls stand for the bytes a code page leaves undefined: no text.
        const bool text = b >= 0x20 && b != 0x7F && !(c.unicode() >= 0x80 && c.unicode() < 0xA0) && c != QChar(QChar::ReplacementCharacter);
        QByteArray html;
        switch (b) {
        case '&': html = "&amp;"; break;
        case '<': html = "&lt;"; break;
        case '>': html = "&gt;"; break;
        case '"': html = "&quot;"; break;
        default:
            if (text)
                html = QString(c).toUtf8();
        }
        Piece& piece = m_html[static_cast<size_t>(b)];
        piece.size = static_cast<std::uint8_t>(html.size());
        std::copy(html.begin(), html.end(), piece.bytes);
        QByteArray& folded = m_folded[static_cast<size_t>(b)];
        if (c.isLetterOrNumber())
            folded = foldedLetters(QString(c)).toUtf8();
        m_foldedAscii[static_cast<size_t>(b)] = folded.size() == 1 && folded[0] > 0 ? folded[0] : 0;
        const int low = codePage.byteFor(c.toLower().unicode());
        m_lower[static_cast<size_t>(b)] = text && low >= 0 ? char(low) : char(b);
        m_foldedAny[static_cast<size_t>(b)] = !folded.isEmpty() ? folded : text ? foldedLetters(QString(c)).toUtf8() : QByteArray();
    }
}

void TextCodec::appendHtml(QByteArray& out, QByteArrayView bytes) const
{
    if (!m_singleByte) {
        html::appendHtml(out, decode(bytes));
        return;
    }
    // Written in place: a byte becomes at most six bytes ("&quot;").
    const qsizetype at = out.size();
    out.resize(at + bytes.size() * 6 + qsizetype(sizeof(Piece)));
    char* w = out.data() + at;
    for (const char ch : bytes) {
        const Piece& piece = m_html[static_cast<unsigned char>(ch)];
        std::memcpy(w, piece.bytes, sizeof piece.bytes);
        w += piece.size;
    }
    out.truncate(w - out.constData());
}

QByteArray TextCodec::lower(QByteArrayView bytes) const
{
    if (!m_singleByte)
        return m_codePage.encode(decode(bytes).toLower());
    QByteArray out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = m_lower[static_cast<unsigned char>(bytes[i])];
    return out;
}

QByteArray TextCodec::foldedText(QByteArrayView bytes) const
{
    if (!m_singleByte)
        return foldedLetters(decode(bytes)).toUtf8();
    QByteArray out;
    out.reserve(bytes.size() + 8);
    for (const char c : bytes)
        out += m_foldedAny[static_cast<unsigned char>(c)];
    return out;
}

QString TextCodec::decode(QByteArrayView bytes) const
{
    return m_codePage.decode(bytes.toByteArray());
}

QString foldedWord(const QString& text)
{
    return foldedLetters(text);
}

void appendHtml(QByteArray& out, const QString& text)
{
    QString escaped = text.toHtmlEscaped();
    // Control characters have no place in HTML text.
    escaped.removeIf([](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0) || c == QChar(QChar::ReplacementCharacter);
    });
    out.append(escaped.toUtf8());
}

void appendHtmlUtf8(QByteArray& out, QByteArrayView utf8)
{
    for (const char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
}

void appendJson(QByteArray& out, QByteArrayView utf8)
{
    // Written in place: a byte becomes at most six ("\u001f").
    static const char hex[] = "0123456789abcdef";
    const qsizetype at = out.size();
    out.resize(at + 6 * utf8.size() + 2);
    char* w = out.data() + at;
    *w++ = '"';
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            *w++ = '\\';
            *w++ = ch;
        } else if (c == '/') {
            *w++ = '\\'; // never "</script" inside a script
            *w++ = '/';
        } else if (c < 0x20) {
            std::memcpy(w, "\\u00", 4);
            w[4] = hex[c >> 4];
            w[5] = hex[c & 15];
            w += 6;
        } else {
            *w++ = ch;
        }
    }
    *w++ = '"';
    out.truncate(w - out.constData());
}

void appendJson(QByteArray& out, const QString& text)
{
    appendJson(out, QByteArrayView(text.toUtf8()));
}

} // namespace hlp::html
