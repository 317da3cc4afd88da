// printf-style formatting into a string, with no fixed buffer to overflow.
#pragma once

#include <string>

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "1 kept file" or "3 kept files": the count with the words that agree with it.
std::string CountText(int count, const char* one, const char* many);
