#include "winhelp/model/Macros.h"

namespace hlp {

MacroCall parseMacro(const QByteArray& macro)
{
    MacroCall call;
    const qsizetype open = macro.indexOf('(');
    call.name = (open < 0 ? macro : macro.left(open)).trimmed();
    if (open < 0)
        return call;
    const qsizetype close = macro.lastIndexOf(')');
    const QByteArray inner = macro.mid(open + 1, (close > open ? close : macro.size()) - open - 1);
    QByteArray cur;
    char quote = 0;
    for (const char c : inner) {
        if (quote) {
            if ((quote == '"' && c == '"') || (quote == '`' && c == '\''))
                quote = 0;
            else
                cur += c;
        } else if (c == '"' || c == '`') {
            quote = c;
        } else if (c == ',') {
            call.args << cur.trimmed();
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.trimmed().isEmpty() || !call.args.isEmpty())
        call.args << cur.trimmed();
    return call;
}

QList<QByteArray> splitMacros(const QByteArray& text)
{
    QList<QByteArray> out;
    QByteArray cur;
    int depth = 0;
    char quote = 0;
    for (const char c : text) {
        if (quote) {
            if ((quote == '"' && c == '"') || (quote == '`' && c == '\''))
                quote = 0;
        } else if (c == '"' || c == '`') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (c == ';' && depth <= 0) {
            if (!cur.trimmed().isEmpty())
                out << cur.trimmed();
            cur.clear();
            continue;
        }
        cur += c;
    }
    if (!cur.trimmed().isEmpty())
        out << cur.trimmed();
    return out;
}

} // namespace hlp
