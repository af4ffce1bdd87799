#pragma once

// What every fuzz target shares: the libFuzzer entry points it defines and the
// check that turns a broken promise into a crash, which both libFuzzer and the
// replay tests report with the input that caused it.

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace Fuzz {

// The input as Qt bytes; valid only during the call.
inline QByteArray bytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                   static_cast<qsizetype>(size));
}

[[noreturn]] inline void fail(const char *file, int line, const char *condition)
{
    std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, condition);
    std::abort();
}

} // namespace Fuzz

// Unlike assert(), kept in release builds: the checks are the point of a target.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            ::Fuzz::fail(__FILE__, __LINE__, #condition);                                          \
        }                                                                                          \
    } while (false)
