// A property a fuzz target holds its code to. A failure aborts, so that
// libFuzzer saves the input and the corpus replay in the tests fails.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzFail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
    std::abort();
}

// A macro only to name the failed condition and its line.
#define FUZZ_CHECK(condition) ((condition) ? void() : FuzzFail(#condition, __FILE__, __LINE__))
