#pragma once
// The calendar's month step: one month back or forward, the day kept but not past the
// end of the new month.
#include <QDate>

namespace monthstep {

// `months` months later (earlier when negative): 31 March + 1 is 30 April, 31 January 2000 + 1
// is 29 February 2000, 15 January 1999 - 1 is 15 December 1998. An invalid date stays invalid.
QDate step(const QDate& date, int months);

inline QDate previousMonth(const QDate& date) { return step(date, -1); }
inline QDate nextMonth(const QDate& date) { return step(date, 1); }

// The heading "mmmmm  yyyy": the full French month name, two spaces, the four-digit year
// ("mars  1999"). Empty for an invalid date.
QString heading(const QDate& date);

} // namespace monthstep
