#pragma once
// What every fuzz target shares: the entry point libFuzzer calls, and a check that stops the run
// (libFuzzer keeps the input; the replay test fails) when a property does not hold.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define TYX_FUZZ_ENTRY extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)

namespace fuzz {

inline QByteArray input(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

[[noreturn]] inline void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "fuzz property failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

} // namespace fuzz

#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) \
            fuzz::fail(#condition, __FILE__, __LINE__); \
    } while (0)
