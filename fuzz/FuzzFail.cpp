#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>

namespace corvane::fuzz {

void fail(const char* what)
{
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}

} // namespace corvane::fuzz
