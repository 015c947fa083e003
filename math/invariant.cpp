#include "math/invariant.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void Broken_Invariant(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::abort();
}
