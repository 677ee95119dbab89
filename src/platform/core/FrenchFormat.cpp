#include "platform/core/FrenchFormat.h"

namespace frenchformat {

QString monthName(int month)
{
    static const char* const names[] = {"janvier", "février", "mars", "avril", "mai", "juin",
        "juillet", "août", "septembre", "octobre", "novembre", "décembre"};
    if (month < 1 || month > 12)
        return {};
    return QString::fromUtf8(names[month - 1]);
}

QString shortDate(const QDate& d)
{
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}

QString longTime(const QTime& t)
{
    return t.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace frenchformat
