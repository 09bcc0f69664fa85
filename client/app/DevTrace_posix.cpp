#include "app/DevTrace.h"

#include <cstdio>

// Standard error: the terminal or log of whoever started the program.
void traceText(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}
