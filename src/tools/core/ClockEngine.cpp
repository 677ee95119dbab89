#include "tools/core/ClockEngine.h"

#include "platform/core/FrenchFormat.h"

#include <algorithm>
#include <optional>

namespace {

// The original's StrToInt: leading blanks, an optional sign, decimal digits and nothing else.
std::optional<int> readInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        negative = text.at(i++) == QLatin1Char('-');
    if (i == text.size())
        return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL)
        return std::nullopt;
    return int(value);
}

// A fixed-width field: the value right-aligned in `width` characters, leading blanks as "0".
QString fixedWidth(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char(' ')).replace(QLatin1Char(' '), QLatin1Char('0'));
}

} // namespace

QString integerErrorMessage(const QString& text)
{
    return QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text);
}

ClockStep stepClockField(const QString& time, const QString& date, ClockField field, bool up)
{
    ClockStep out;
    out.time = time;
    out.date = date;
    if (field == ClockField::None)
        return out;

    const bool onTime = field == ClockField::Hour || field == ClockField::Minute;
    QString& text = onTime ? out.time : out.date;
    qsizetype start = 0; // 0-based first character of the field
    qsizetype length = 2;
    int low = 0, high = 0;
    switch (field) {
    case ClockField::Hour: start = 0; low = 0; high = 24; break;
    case ClockField::Minute: start = 3; low = 0; high = 59; break;
    case ClockField::Day: start = 0; low = 0; high = 31; break;
    case ClockField::Month: start = 3; low = 0; high = 12; break;
    case ClockField::Year: start = 6; length = 4; low = 1900; high = 2099; break;
    case ClockField::None: break;
    }
    const QString chars = text.mid(start, length);
    const std::optional<int> read = readInteger(chars);
    if (!read) {
        out.ok = false;
        out.message = integerErrorMessage(chars);
        out.time = time;
        out.date = date;
        return out;
    }
    int value = *read;
    if (field == ClockField::Year && value < 100)
        value += 1900;
    value = up ? std::min(value + 1, high) : std::max(value - 1, low);
    const int width = field == ClockField::Year ? 4 : 2;
    text = text.left(start) + fixedWidth(value, width) + text.mid(start + chars.size());
    return out;
}

void ClockEngine::refresh(const QDateTime& now)
{
    m_time = frenchformat::longTime(now.time());
    m_date = frenchformat::shortDate(now.date());
}

void ClockEngine::activate(const QDateTime& now)
{
    m_timerEnabled = true;
    refresh(now);
    m_adjust = false;
}

void ClockEngine::tick(const QDateTime& now)
{
    refresh(now);
}

void ClockEngine::toggleAdjust(const QDateTime& now)
{
    m_timerEnabled = m_adjust;
    if (m_adjust)
        refresh(now);
    m_adjust = !m_adjust;
}

QString ClockEngine::step(ClockField field, bool up)
{
    const ClockStep s = stepClockField(m_time, m_date, field, up);
    if (!s.ok)
        return s.message;
    m_time = s.time;
    m_date = s.date;
    return {};
}
