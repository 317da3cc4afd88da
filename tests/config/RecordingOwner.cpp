// A settings owner that records what the settings object tells the user.
#include "RecordingOwner.h"

int RecordingOwner::ShowNotice(std::string text, bool plain) {
    m_notices.push_back({std::move(text), plain, false});
    return IDOK;
}

void RecordingOwner::PostNotice(std::string text, bool plain) {
    m_notices.push_back({std::move(text), plain, true});
}
