// The C++ library's failure hooks for the shipped exe: end the process at once.
#include <cstdlib>

// The program catches no exceptions, so a failing string operation ends the process either way.
// These replace the library's versions, which would link in its whole exception class family
// (about 50 KB); the verbose terminate handler would add its name demangler (about 45 KB).
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

// Exactly the set that one member of the library defines, so that member is never linked.
namespace std {
void __throw_bad_exception() {
    std::abort();
}
void __throw_bad_alloc() {
    std::abort();
}
void __throw_bad_array_new_length() {
    std::abort();
}
void __throw_bad_cast() {
    std::abort();
}
void __throw_bad_typeid() {
    std::abort();
}
void __throw_logic_error(const char*) {
    std::abort();
}
void __throw_domain_error(const char*) {
    std::abort();
}
void __throw_invalid_argument(const char*) {
    std::abort();
}
void __throw_length_error(const char*) {
    std::abort();
}
void __throw_out_of_range(const char*) {
    std::abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    std::abort();
}
void __throw_runtime_error(const char*) {
    std::abort();
}
void __throw_range_error(const char*) {
    std::abort();
}
void __throw_overflow_error(const char*) {
    std::abort();
}
void __throw_underflow_error(const char*) {
    std::abort();
}
} // namespace std

// Nothing is ever thrown, so no frame is ever unwound and no handler entered: the library's
// string code still names these, and defining them here keeps out its unwinder, its exception
// runtime and the thread library those use (about 75 KB). These are the 32-bit (DWARF) entry
// points of the shipped exe; the 64-bit build unwinds through SEH and keeps the library's own.
#if !defined(__cpp_exceptions) && defined(__i386__)
extern "C" {
void _Unwind_Resume(void*) {
    std::abort();
}
int __gxx_personality_v0(int, int, unsigned long long, void*, void*) {
    std::abort();
}
void* __cxa_begin_catch(void*) {
    std::abort();
}
void __cxa_end_catch() {
    std::abort();
}
void __cxa_rethrow() {
    std::abort();
}
}

namespace std {
void __throw_bad_function_call() {
    std::abort();
}
} // namespace std

// Out of memory ends the process, as a throw that nobody catches would.
void* operator new(std::size_t size) {
    void* memory = std::malloc(size ? size : 1);
    if (!memory)
        std::abort();
    return memory;
}
#endif
