#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The fuzzer's bytes, and the first of them taken as a small choice (a field type, a kind).
struct FuzzInput {
    FuzzInput(const uint8_t* data, size_t size)
        : bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)) {}

    // The first byte modulo `count` (0 when there is none); the rest stays as the text.
    int choose(int count) {
        if (bytes.isEmpty())
            return 0;
        const int choice = static_cast<unsigned char>(bytes[0]) % count;
        bytes.remove(0, 1);
        return choice;
    }
    QString text() const { return QString::fromUtf8(bytes); }

    QByteArray bytes;
};

// Aborts with the failed invariant, so that the fuzzer records the input.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            fprintf(stderr, "invariant failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            abort();                                                                           \
        }                                                                                      \
    } while (0)
