#include "platform/core/TimeSource.h"

namespace {
std::function<QDateTime()>& source()
{
    static std::function<QDateTime()> s;
    return s;
}
} // namespace

namespace timesource {

QDateTime now()
{
    return source() ? source()() : QDateTime::currentDateTime();
}

void set(std::function<QDateTime()> s)
{
    source() = std::move(s);
}

} // namespace timesource
