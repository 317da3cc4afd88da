// Conversions into the program's UTF-8 strings, from UTF-16 and from files in other encodings.
#pragma once

#include <windows.h>

#include <string>

// The UTF-16 text (length in units, -1 up to its zero) as UTF-8.
std::string Utf8Of(const wchar_t* text, int length = -1);

// True when the bytes are well-formed UTF-8 (plain ASCII is).
bool IsUtf8(const char* bytes, size_t size);
// Bytes in the given code page (CP_ACP, CP_UTF8) as UTF-8.
std::string Utf8FromCodePage(UINT codePage, const char* bytes, size_t size);
// UTF-16 bytes in either byte order as UTF-8; an odd last byte is dropped.
std::string Utf8FromUtf16(const char* bytes, size_t size, bool bigEndian);

// The length of a UTF-8 text in UTF-16 units, as the platform counts path and value limits.
size_t CharacterCount(const std::string& text);
// The text cut to at most `count` UTF-16 units, never inside a character.
std::string CutToCharacters(const std::string& text, size_t count);
