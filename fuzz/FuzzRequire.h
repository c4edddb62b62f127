#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property aborts, so libFuzzer records the input and a replay fails.
#define QUORREL_REQUIRE(condition)                                                                \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
