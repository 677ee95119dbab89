#pragma once
// French display of dates, times and numbers, whatever the machine's locale: the clock's field
// positions depend on it.
#include <QDate>
#include <QString>
#include <QTime>

namespace frenchformat {

QString monthName(int month); // 1..12, "janvier" .. "décembre"
QString shortDate(const QDate& d); // dd/MM/yyyy
QString longTime(const QTime& t); // HH:mm:ss

} // namespace frenchformat
