#include "store/core/HeaderBlock.h"

#include "store/core/Blocks.h"
#include "store/core/TextRules.h"

namespace store {

std::optional<qint64> parseInteger(QStringView t)
{
    qsizetype i = 0;
    while (i < t.size() && (t[i] == u' ' || t[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        negative = t[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < t.size() && t[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size())
        return std::nullopt;
    quint64 value = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        int d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else
            return std::nullopt;
        value = value * quint64(base) + quint64(d);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (base == 16) // hexadecimal reads the 32-bit word as it stands
        return negative ? -qint64(qint32(quint32(value))) : qint64(qint32(quint32(value)));
    if (!negative && value > 0x7FFFFFFFull)
        return std::nullopt;
    if (negative && value > 0x80000000ull)
        return std::nullopt;
    return negative ? -qint64(value) : qint64(value);
}

int litHeader(const QStringList& lines, FieldLook& title, FieldLook& body)
{
    int h = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (TrimSpaces(lines[i]) == u"<HEADER>") {
            h = int(i);
            break;
        }
    }
    if (h < 0)
        return -1;
    auto line = [&](int k) -> const QString* { return h + k < lines.size() ? &lines[h + k] : nullptr; };
    auto number = [&](int k, bool hex) -> std::optional<qint64> {
        const QString* l = line(k);
        if (!l)
            return std::nullopt;
        return parseInteger(hex ? QStringLiteral("$") + *l : *l);
    };
    int applied = 0;
    FieldLook* looks[2] = {&title, &body};
    for (int f = 0; f < 2; ++f) {
        const int base = 1 + 4 * f;
        FieldLook& look = *looks[f];
        const QString* name = line(base);
        if (!name)
            return applied;
        look.fontName = *name;
        ++applied;
        const auto size = number(base + 1, false);
        if (!size)
            return applied;
        look.fontSize = int(*size);
        ++applied;
        const auto colour = number(base + 2, false);
        if (!colour)
            return applied;
        look.fontColour = ColourWord(quint32(qint32(*colour)));
        ++applied;
        const auto back = number(base + 3, true);
        if (!back)
            return applied;
        look.background = ColourWord(quint32(qint32(*back)));
        ++applied;
    }
    return applied;
}

QStringList headerBlock(const FieldLook& title, const FieldLook& body)
{
    QStringList out{QStringLiteral("<HEADER>")};
    for (const FieldLook* f : {&title, &body}) {
        out << f->fontName << QString::number(f->fontSize) << QString::number(qint32(f->fontColour))
            << QStringLiteral("%1").arg(f->background, 8, 16, QLatin1Char('0')).toUpper();
    }
    out << QStringLiteral("</HEADER>");
    return out;
}

void EcritHeader(QStringList& lines, const FieldLook& title, const FieldLook& body)
{
    int a = findTag(lines, u"<HEADER>");
    if (a >= 0)
        removeBlock(lines, a, u"</HEADER>");
    else
        a = 0;
    const QStringList block = headerBlock(title, body);
    for (int i = 0; i < block.size(); ++i)
        lines.insert(a + i, block[i]);
}

} // namespace store
