#include "winhelp/format/CodePage.h"

#include "platform/core/Cp1252.h"

#include <QHash>
#include <QStringDecoder>
#include <array>

namespace hlp {

struct CodePage::Table {
    std::array<char32_t, 256> chars{};
    QHash<char32_t, int> bytes;
};

namespace {

QByteArray decoderName(int number)
{
    return "windows-" + QByteArray::number(number);
}

bool singleByte(int number)
{
    return number == 874 || (number >= 1250 && number <= 1258);
}

} // namespace

CodePage::CodePage() = default;

CodePage::CodePage(int number) : m_number(number)
{
    if (number == 1252 || !singleByte(number))
        return;
    QStringDecoder decoder(decoderName(number).constData());
    if (!decoder.isValid()) {
        m_number = 1252; // without the converter, Western text is the best guess
        return;
    }
    auto table = std::make_shared<Table>();
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        QStringDecoder one(decoderName(number).constData());
        const QString c = one(QByteArray(1, byte));
        table->chars[static_cast<size_t>(b)] = c.isEmpty() ? U'\uFFFD' : c.at(0).unicode();
        if (!c.isEmpty() && c.at(0) != QChar(QChar::ReplacementCharacter))
            table->bytes.insert(c.at(0).unicode(), b);
    }
    m_table = std::move(table);
}

CodePage CodePage::forCharset(int charset)
{
    switch (charset) {
    case 128: return CodePage(932);
    case 129: return CodePage(949);
    case 134: return CodePage(936);
    case 136: return CodePage(950);
    case 161: return CodePage(1253);
    case 162: return CodePage(1254);
    case 163: return CodePage(1258);
    case 177: return CodePage(1255);
    case 178: return CodePage(1256);
    case 186: return CodePage(1257);
    case 204: return CodePage(1251);
    case 222: return CodePage(874);
    case 238: return CodePage(1250);
    default: return CodePage();
    }
}

int CodePage::charsetForCodePage(int codePage)
{
    switch (codePage) {
    case 1252: return 0;
    case 932: return 128;
    case 949: return 129;
    case 936: return 134;
    case 950: return 136;
    case 1253: return 161;
    case 1254: return 162;
    case 1258: return 163;
    case 1255: return 177;
    case 1256: return 178;
    case 1257: return 186;
    case 1251: return 204;
    case 874: return 222;
    case 1250: return 238;
    default: return -1;
    }
}

int CodePage::charsetForLanguage(std::uint16_t lcid)
{
    switch (lcid & 0x3FF) {
    case 0x02: case 0x19: case 0x22: case 0x23: case 0x2F: return 204; // Bulgarian, Russian, Ukrainian, Belarusian, Macedonian
    case 0x05: case 0x0E: case 0x15: case 0x18: case 0x1B: case 0x24: case 0x1C: return 238; // Czech ... Albanian
    case 0x1A: return lcid == 0x0C1A ? 204 : 238; // Serbian in Cyrillic, Croatian
    case 0x08: return 161;
    case 0x1F: return 162;
    case 0x0D: return 177;
    case 0x01: return 178;
    case 0x25: case 0x26: case 0x27: return 186;
    case 0x2A: return 163;
    case 0x1E: return 222;
    case 0x11: return 128;
    case 0x12: return 129;
    case 0x04: return lcid == 0x0404 || lcid == 0x0C04 ? 136 : 134;
    default: return -1;
    }
}

std::uint16_t CodePage::usualLanguage() const
{
    switch (m_number) {
    case 1250: return 0x0405;
    case 1251: return 0x0419;
    case 1253: return 0x0408;
    case 1254: return 0x041F;
    case 1255: return 0x040D;
    case 1256: return 0x0401;
    case 1257: return 0x0425;
    case 1258: return 0x042A;
    case 874: return 0x041E;
    case 932: return 0x0411;
    case 936: return 0x0804;
    case 949: return 0x0412;
    case 950: return 0x0404;
    default: return 0;
    }
}

QString CodePage::decode(const QByteArray& bytes) const
{
    if (m_number == 1252)
        return cp1252::decode(bytes);
    if (m_table) {
        QString s;
        s.reserve(bytes.size());
        for (const char b : bytes)
            s.append(QChar(static_cast<char16_t>(m_table->chars[static_cast<unsigned char>(b)])));
        return s;
    }
    QStringDecoder decoder(decoderName(m_number).constData());
    if (!decoder.isValid())
        return cp1252::decode(bytes);
    return decoder(bytes);
}

int CodePage::byteFor(char32_t c) const
{
    if (c < 0x80)
        return static_cast<int>(c);
    if (m_number == 1252) {
        const QChar ch(static_cast<char16_t>(c));
        return c <= 0xFFFF && cp1252::representable(ch) ? cp1252::toByte(ch) : -1;
    }
    if (m_table)
        return m_table->bytes.value(c, -1);
    return -1;
}

QByteArray CodePage::encode(const QString& text) const
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const int b = byteFor(c.unicode());
        out.append(b >= 0 ? static_cast<char>(b) : '?');
    }
    return out;
}

} // namespace hlp
