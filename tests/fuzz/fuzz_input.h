// Fuzz inputs are bytes; the engine reads UTF-16. Pairs of bytes become code
// units (little-endian), so every unit, surrogates included, can be reached.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::u16string FuzzText(const std::uint8_t* data, std::size_t size) {
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return text;
}

// Aborts with a message when an invariant fails: the fuzzer reports it as a crash.
#define FUZZ_CHECK(cond)                                                       \
    do {                                                                       \
        if (!(cond)) {                                                         \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                      \
        }                                                                      \
    } while (0)
