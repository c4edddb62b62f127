#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "DiffBuilder.h"

// A broken property aborts, so libFuzzer records the input and a replay fails.
#define QUORREL_REQUIRE(condition)                                                                \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)

// One change line as a patch holds it, written without the product's encoder.
inline std::string NordLine(std::uint32_t offset, std::optional<std::string_view> from,
                            std::string_view to) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%06x", static_cast<unsigned>(offset));
    return "   <nord offset=\"0x" + std::string(digits) + "\"" +
           (from ? " from=\"" + quorrel::test::Hex(*from) + "\"" : "") + " to=\"" +
           quorrel::test::Hex(to) + "\" />\r\n";
}
