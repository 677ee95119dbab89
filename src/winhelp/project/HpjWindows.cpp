// The [WINDOWS] lines of a project file and the numbers of [MAP], in every form the Microsoft
// compilers accept.
#include "winhelp/project/HpjReader.h"

#include <cctype>
#include <functional>

namespace hlp {

namespace {

bool parseNumber(QByteArray token, std::uint32_t& out)
{
    token = token.trimmed();
    while (!token.isEmpty() && (token.endsWith('L') || token.endsWith('l') || token.endsWith('U') || token.endsWith('u')))
        token.chop(1);
    bool ok = false;
    qlonglong v = 0;
    if (token.startsWith("0x") || token.startsWith("0X"))
        v = token.mid(2).toLongLong(&ok, 16);
    else
        v = token.toLongLong(&ok, 10);
    if (!ok || v < -2147483648LL || v > 0xFFFFFFFFLL)
        return false;
    out = static_cast<std::uint32_t>(v);
    return true;
}

// A (r,g,b) triple, Help Workshop's (rNNNN) with a COLORREF number, or a plain number.
bool parseColour(const QByteArray& token, std::uint32_t& colour)
{
    QByteArray t = token.trimmed();
    if (t.startsWith('(') && t.endsWith(')')) {
        const QByteArray inner = t.mid(1, t.size() - 2).trimmed();
        if (inner.startsWith('r') || inner.startsWith('R'))
            return parseNumber(inner.mid(1), colour) && colour <= 0xFFFFFF;
        const QList<QByteArray> parts = inner.split(',');
        if (parts.size() != 3)
            return false;
        std::uint32_t rgb[3];
        for (int i = 0; i < 3; ++i) {
            if (!parseNumber(parts[i], rgb[i]) || rgb[i] > 255)
                return false;
        }
        colour = rgb[0] | (rgb[1] << 8) | (rgb[2] << 16);
        return true;
    }
    return parseNumber(t, colour) && colour <= 0xFFFFFF;
}

// Nothing between the parentheses, or only commas and spaces: the field is left to the viewer.
bool emptyGroup(const QByteArray& field)
{
    for (const char c : field) {
        if (c != '(' && c != ')' && c != ',' && c != ' ' && c != '\t')
            return false;
    }
    return true;
}

// Splits on commas that are outside quotes and parentheses.
QList<QByteArray> splitTopLevel(const QByteArray& s)
{
    QList<QByteArray> out;
    QByteArray cur;
    int depth = 0;
    bool quoted = false;
    for (const char c : s) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '(')
            ++depth;
        else if (!quoted && c == ')')
            --depth;
        if (c == ',' && depth == 0 && !quoted) {
            out << cur.trimmed();
            cur.clear();
        } else {
            cur.append(c);
        }
    }
    out << cur.trimmed();
    return out;
}

bool parsePosition(const QByteArray& field, WindowDef& w)
{
    if (!field.startsWith('(') || !field.endsWith(')'))
        return false;
    const QList<QByteArray> n = field.mid(1, field.size() - 2).split(',');
    if (n.size() != 4)
        return false;
    bool* has[4] = {&w.hasX, &w.hasY, &w.hasWidth, &w.hasHeight};
    int* value[4] = {&w.x, &w.y, &w.width, &w.height};
    for (int k = 0; k < 4; ++k) {
        const QByteArray v = n[k].trimmed();
        if (v.isEmpty())
            continue;
        bool ok = false;
        const int number = v.toInt(&ok);
        if (!ok || number < -32768 || number > 32767)
            return false;
        *has[k] = true;
        *value[k] = number;
    }
    return true;
}

} // namespace

bool HpjReader::parseWindow(const QByteArray& name, const QByteArray& definition, WindowDef& window, QString* badField)
{
    window = WindowDef{};
    window.name = name.trimmed();
    auto bad = [badField](const QString& field) {
        if (badField)
            *badField = field;
        return false;
    };
    if (window.name.isEmpty() || window.name.size() > 8)
        return bad(QStringLiteral("nom de fenêtre vide ou de plus de 8 caractères"));
    const QList<QByteArray> parts = splitTopLevel(definition);
    bool ok = true;
    for (int i = 0; i < parts.size() && i < 6; ++i) {
        const QByteArray& p = parts[i];
        if (p.isEmpty() || (i > 0 && emptyGroup(p)))
            continue;
        switch (i) {
        case 0:
            if (p.size() < 2 || !p.startsWith('"') || !p.endsWith('"'))
                ok = bad(QStringLiteral("titre"));
            else
                window.caption = p.mid(1, p.size() - 2);
            break;
        case 1:
            if (!parsePosition(p, window))
                ok = bad(QStringLiteral("position et taille"));
            break;
        case 2: {
            std::uint32_t m = 0;
            if (!parseNumber(p, m) || m > 0xFFFF)
                ok = bad(QStringLiteral("état de la fenêtre"));
            else
                window.maximize = static_cast<int>(m);
            break;
        }
        case 3:
            if (!parseColour(p, window.colour))
                ok = bad(QStringLiteral("couleur de la zone de défilement"));
            else
                window.hasColour = true;
            break;
        case 4:
            if (!parseColour(p, window.nonScrollColour))
                ok = bad(QStringLiteral("couleur de la zone fixe"));
            else
                window.hasNonScrollColour = true;
            break;
        case 5: {
            // "1": always on top (3.1); "fN": Help Workshop's flags, 1 on top, 2 auto-size height.
            std::uint32_t flags = 0;
            const bool workshop = p.startsWith('f') || p.startsWith('F');
            if (!parseNumber(workshop ? p.mid(1) : p, flags)) {
                ok = bad(QStringLiteral("options"));
                break;
            }
            window.onTop = flags & 1;
            window.autoSizeHeight = workshop && (flags & 2);
            break;
        }
        }
    }
    return ok;
}

bool HpjReader::parseMapNumber(const QByteArray& text, const std::vector<MapEntry>& defined, std::uint32_t& number)
{
    // A small expression: terms joined by + - |, each a number, a name defined before, or a
    // parenthesised expression.
    const QByteArray s = text.trimmed();
    qsizetype p = 0;
    auto skip = [&]() {
        while (p < s.size() && (s[p] == ' ' || s[p] == '\t'))
            ++p;
    };
    std::function<bool(qint64&)> expression;
    auto term = [&](qint64& v) -> bool {
        skip();
        if (p >= s.size())
            return false;
        if (s[p] == '(') {
            ++p;
            if (!expression(v))
                return false;
            skip();
            if (p >= s.size() || s[p] != ')')
                return false;
            ++p;
            return true;
        }
        bool negative = false;
        if (s[p] == '-') {
            negative = true;
            ++p;
            skip();
        }
        const qsizetype start = p;
        while (p < s.size() && (std::isalnum(static_cast<unsigned char>(s[p])) || s[p] == '_'))
            ++p;
        const QByteArray token = s.mid(start, p - start);
        if (token.isEmpty())
            return false;
        std::uint32_t n = 0;
        if (token[0] >= '0' && token[0] <= '9') {
            if (!parseNumber(token, n))
                return false;
        } else {
            bool found = false;
            for (auto it = defined.rbegin(); it != defined.rend() && !found; ++it) {
                if (it->context == token) {
                    n = it->number;
                    found = true;
                }
            }
            if (!found)
                return false;
        }
        v = negative ? -qint64(n) : qint64(n);
        return true;
    };
    expression = [&](qint64& v) -> bool {
        if (!term(v))
            return false;
        for (;;) {
            skip();
            if (p >= s.size() || (s[p] != '+' && s[p] != '-' && s[p] != '|'))
                return true;
            const char op = s[p++];
            qint64 w = 0;
            if (!term(w))
                return false;
            v = op == '+' ? v + w : op == '-' ? v - w : (v | w);
        }
    };
    qint64 v = 0;
    if (!expression(v))
        return false;
    skip();
    if (p != s.size() || v < -2147483648LL || v > 0xFFFFFFFFLL)
        return false;
    number = static_cast<std::uint32_t>(v);
    return true;
}

} // namespace hlp
