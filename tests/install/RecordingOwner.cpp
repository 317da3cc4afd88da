// A front end that records what an installation tells the user.
#include "RecordingOwner.h"

#include "framework/FileTransfer.h"

bool RecordingOwner::Say(const std::string& text, Tone tone) {
    m_notices.push_back({text, tone != Tone::Question && tone != Tone::NoticeQuestion, false});
    return true;
}

void RecordingOwner::PostNotice(std::string text, Tone tone) {
    m_notices.push_back({std::move(text), tone != Tone::Question && tone != Tone::NoticeQuestion, true});
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
