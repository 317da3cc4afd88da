// Texts handed to the window by address, kept until the window takes them back.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class PendingTexts {
public:
    // The address that stands for the text in a message's first argument.
    WPARAM Add(std::string text);
    // The text handed over under that address, or null for an address this object never gave
    // out (a foreign sender's garbage) or one already taken.
    std::unique_ptr<std::string> Take(WPARAM address);

private:
    std::vector<std::unique_ptr<std::string>> m_texts;
};
