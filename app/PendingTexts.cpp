// Texts handed to the window by address, kept until the window takes them back.
#include "app/PendingTexts.h"

WPARAM PendingTexts::Add(std::string text) {
    m_texts.push_back(std::make_unique<std::string>(std::move(text)));
    return reinterpret_cast<WPARAM>(m_texts.back().get());
}

std::unique_ptr<std::string> PendingTexts::Take(WPARAM address) {
    for (auto it = m_texts.begin(); it != m_texts.end(); ++it) {
        if (reinterpret_cast<WPARAM>(it->get()) == address) {
            std::unique_ptr<std::string> text = std::move(*it);
            m_texts.erase(it);
            return text;
        }
    }
    return nullptr;
}
