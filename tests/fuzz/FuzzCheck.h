// A property check of the fuzz targets: a broken property is a crash, so libFuzzer keeps the
// input that broke it and stops.
#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

// The same with the texts involved, for properties of texts.
#define FUZZ_CHECK_TEXT(condition, text)                                                        \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "%s:%d: property broken: %s for \"%s\"\n", __FILE__, __LINE__, \
                         #condition, qPrintable(QString(text)));                                \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)
