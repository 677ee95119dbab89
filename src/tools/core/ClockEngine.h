#pragma once
// The desk clock without its widgets: the two display texts, the adjust mode, whether
// the one-second timer runs, and the stepping of one field of the shown time or date.
#include <QDateTime>
#include <QString>

enum class ClockField { None = -1, Hour = 0, Minute, Day, Month, Year }; // RadioGroup1's order

// Steps one field of the displays; the texts are changed only when `ok`.
struct ClockStep {
    bool ok = true;
    QString message; // when not ok: "'%s' n'est pas une valeur entière correcte"
    QString time;
    QString date;
};

// Hr: time characters 1-2, up to 24 and down to 0; Mn: time 4-5, 0..59; Jo: date 1-2, 0..31;
// Mo: date 4-5, 0..12; An: date 7-10 (fewer when shorter), a value below 100 taken as 1900 +
// value, 1900..2099, written back as four digits in place of what was read. Values stop at their
// bounds, written with two digits (four for the year). No field: nothing changes.
ClockStep stepClockField(const QString& time, const QString& date, ClockField field, bool up);

QString integerErrorMessage(const QString& text); // "'%s' n'est pas une valeur entière correcte"

class ClockEngine {
public:
    // FormActivate: the timer runs, the displays show `now`, adjust mode off.
    void activate(const QDateTime& now);
    // Timer1Timer: the displays show `now`.
    void tick(const QDateTime& now);
    // "Set": the timer runs again if adjust mode was on (and the displays show `now` at once),
    // stops if it was off; then adjust mode is inverted.
    void toggleAdjust(const QDateTime& now);
    // The spin button: steps `field` of the displays (see stepClockField). Returns the message
    // when the step is abandoned, else an empty string.
    QString step(ClockField field, bool up);

    QString time() const { return m_time; }
    QString date() const { return m_date; }
    bool adjustMode() const { return m_adjust; }
    bool timerEnabled() const { return m_timerEnabled; }

private:
    void refresh(const QDateTime& now);

    QString m_time;
    QString m_date;
    bool m_adjust = false;
    bool m_timerEnabled = false; // created with the timer off
};
