// A front end that records what an installation tells the user.
#include "RecordingOwner.h"

#include "framework/FileTransfer.h"

int RecordingOwner::ShowNotice(std::string text, bool plain) {
    m_notices.push_back({std::move(text), plain, false});
    return IDOK;
}

void RecordingOwner::PostNotice(std::string text, bool plain) {
    m_notices.push_back({std::move(text), plain, true});
}

void RecordingOwner::CopyBegins(const std::string& name, int number, int count) {
    m_copiesBegun.push_back(name + " " + std::to_string(number) + "/" + std::to_string(count));
}

DWORD RecordingOwner::RunFileWork(BackgroundWork::Task& work) {
    struct GoOn : FileTransfer::Progress {
        bool OnCopied(ULONGLONG, ULONGLONG) override { return true; }
    } progress;
    if (++m_workCalls == m_leaveAt && !m_leaveLate)
        return ERROR_CANCELLED;
    return work.Run(progress);
}
