#include "tools/core/MonthStep.h"

#include "platform/core/FrenchFormat.h"

#include <algorithm>

namespace monthstep {

QDate step(const QDate& date, int months)
{
    if (!date.isValid())
        return date;
    const int index = date.year() * 12 + (date.month() - 1) + months; // months since year 0
    const int year = index >= 0 ? index / 12 : (index - 11) / 12;
    const int month = index - year * 12 + 1;
    const int day = std::min(date.day(), QDate(year, month, 1).daysInMonth());
    return QDate(year, month, day);
}

QString heading(const QDate& date)
{
    if (!date.isValid())
        return {};
    return frenchformat::monthName(date.month()) + QStringLiteral("  ")
        + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

} // namespace monthstep
