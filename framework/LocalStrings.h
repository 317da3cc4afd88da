// Read before every source of the program: std::string's members are compiled where they are used.
#pragma once

// By default the C++ library's headers declare std::string's members as instantiated in the
// library, so the first use links its whole precompiled string object (about 33 KB in the 32-bit
// exe). Compiled here instead, each member the program uses is kept and every other one dropped
// by the linker (about 23 KB less). c++config.h is guarded, so the value set here stays.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
