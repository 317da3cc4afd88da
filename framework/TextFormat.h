// printf-style formatting into a string, with no fixed buffer to overflow.
#pragma once

#include <string>

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
