#pragma once
// The one place the program asks for the time, so tests can set it.
#include <QDateTime>
#include <functional>

namespace timesource {

QDateTime now();

// Tests install a fixed or stepping clock; an empty function restores the system clock.
void set(std::function<QDateTime()> source);

} // namespace timesource
