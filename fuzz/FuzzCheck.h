#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant: says which and where, then aborts, which libFuzzer
// reports as a crash (saving the input) and the corpus replay as a failure.
[[noreturn]] inline void fuzzFailure(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition) ((condition) ? void() : fuzzFailure(#condition, __FILE__, __LINE__))
