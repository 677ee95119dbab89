#pragma once
// Lets each test file register its QtTest class, so one executable per room runs them all.
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace tyxtest {
using Factory = std::function<QObject*()>;
inline std::vector<Factory>& registry()
{
    static std::vector<Factory> all;
    return all;
}
struct Registrar {
    explicit Registrar(Factory f) { registry().push_back(std::move(f)); }
};
} // namespace tyxtest

#define TYX_TEST(Class) \
    static const tyxtest::Registrar tyx_registrar_##Class([] { return static_cast<QObject*>(new Class); })
