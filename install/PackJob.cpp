// Writes the pack batch file, has the shell run it hidden and starts the results watcher.
#include "install/PackJob.h"

#include <shellapi.h>

#include <memory>

#include "framework/Handles.h"
#include "framework/TextFormat.h"
#include "framework/WideText.h"
#include "install/InstallFrontEnd.h"
#include "pack/BatchLine.h"
#include "pack/CGetResults.h"
#include "pack/PackRun.h"

using Tone = InstallFrontEnd::Tone;

std::string PackJob::MakeBatchFileName() const {
    return BatchLine::FileName(m_in.programDir, "packit_", m_in.tickCount(), ".bat");
}

std::string PackJob::MakeLogFileName() const {
    return BatchLine::FileName(m_in.shortPath(m_in.gameFolder), "log_", m_in.tickCount(), ".txt");
}

bool PackJob::NamesAreComplete() {
    bool noSource = m_in.sourcePffs->empty();
    bool noDestination = m_in.destinationPff.empty();
    if (!noSource && !noDestination)
        return true;
    const char* which = noSource && noDestination ? "Source and destination"
                        : noSource                ? "Source"
                                                  : "Destination";
    m_owner.PostNotice(
        FormatText("%s file%s unspecified.  Can't pack.", which, noSource && noDestination ? "s" : ""),
        Tone::NoticeQuestion);
    return false;
}

bool PackJob::NamesAreSafe() {
    auto refuse = [this](const char* key, const std::string& value) {
        m_owner.Say(FormatText("The %s value %s in install.ini is not allowed: it must name a file inside "
                               "its folder. Can't pack.",
                               key, value.c_str()),
                    Tone::Notice);
        return false;
    };
    // The destination is written by the tool, so it must stay inside the game folder.
    if (!m_in.nameIsSafe(m_in.destinationPff))
        return refuse("destination_pff", m_in.destinationPff);
    for (const std::string& source : *m_in.sourcePffs) {
        // Names with a folder part are used as they are; only bare names are joined to ours.
        if (source.find('\\') == std::string::npos && !m_in.nameIsSafe(source))
            return refuse("source_pff", source);
    }
    return true;
}

bool PackJob::WriteBatchFile(const std::string& path, const std::string& line) {
    // Never append to or run a file someone else left under our name: remove it and start anew.
    UniqueFileHandle file(CreateFileW(WideText(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && GetLastError() == ERROR_FILE_EXISTS) {
        if (!DeleteFileW(WideText(path).c_str())) {
            m_owner.Say(FormatText("The old pack batch file %s cannot be removed (error %lu). Can't pack.",
                                   path.c_str(), GetLastError()),
                        Tone::Notice);
            return false;
        }
        file.reset(CreateFileW(WideText(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!file) {
        m_owner.Say(FormatText("The pack batch file %s cannot be created (error %lu). Can't pack.",
                               path.c_str(), GetLastError()),
                    Tone::Notice);
        return false;
    }
    std::string text = line + "\r\n";
    DWORD written = 0;
    bool ok = WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size() && FlushFileBuffers(file.get());
    DWORD error = GetLastError();
    file.reset();
    if (!ok) {
        DeleteFileW(WideText(path).c_str());
        m_owner.Say(FormatText("The pack batch file %s cannot be written (error %lu). Can't pack.",
                               path.c_str(), error),
                    Tone::Notice);
    }
    return ok;
}

bool PackJob::Launch(const std::string& batchPath, const std::string& logPath, int sourceCount) {
    const WideText file(batchPath);
    const WideText directory(m_in.programDir);
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof execute;
    // The process handle tells when the run has finished; our own box replaces the shell's.
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.hwnd = m_owner.WindowHandle();
    execute.lpVerb = L"open";
    execute.lpFile = file.c_str();
    execute.lpParameters = L"";
    // Relative sources and the batch file itself are found in the folder it was written to.
    execute.lpDirectory = directory.c_str();
    execute.nShow = SW_HIDE;
    if (!m_in.shellExecute(&execute)) {
        DWORD error = GetLastError();
        DeleteFileW(WideText(batchPath).c_str());
        m_owner.Say(FormatText("The pack batch file %s cannot be run (error %lu). Can't pack.",
                               batchPath.c_str(), error),
                    Tone::Notice);
        return false;
    }
    m_owner.AddFileToDelete(batchPath);

    auto run =
        std::make_shared<PackRun>(m_owner.WindowHandle(), logPath, sourceCount, execute.hProcess != nullptr);
    m_owner.PackRunLaunched(run);
    auto watcher = std::make_unique<CGetResults>();
    watcher->m_run = run;
    watcher->m_process.reset(execute.hProcess);
    std::unique_ptr<WorkerThread> thread(watcher.release());
    if (!m_in.startWatcher(thread)) {
        // Nobody will watch the run: reported as failed, so the front end does not wait for ever,
        // and as unwatched, since the tool may still be rewriting the game.
        run->LoseWatch();
        run->Finish(0);
    }
    return true;
}

std::string PackJob::SourcePath(const std::string& source) const {
    return source.find('\\') == std::string::npos ? m_in.programDir + "\\" + source : source;
}

const std::string& PackJob::BaseFolder() const {
    return m_in.gameFolder.empty() ? m_in.programDir : m_in.gameFolder;
}

bool PackJob::InputsAreThere() {
    return NamesAreComplete() && NamesAreSafe() && FilesAreThere();
}

bool PackJob::FilesAreThere() {
    // Every file is looked at, so the user hears of all missing ones at once.
    bool allThere = m_in.fileExists(BaseFolder() + "\\pack.exe");
    for (const std::string& source : *m_in.sourcePffs)
        allThere = m_in.fileExists(SourcePath(source)) && allThere;
    return m_in.fileExists(BaseFolder() + "\\" + m_in.destinationPff) && allThere;
}

bool PackJob::Run(bool addMSwitch) {
    if (m_in.editionCode.empty()) {
        m_owner.Say("Choose a Kestrel Squad version", Tone::Notice);
        return false;
    }
    if (!NamesAreComplete() || !NamesAreSafe())
        return false;
    std::vector<std::string> sources;
    for (std::string& entry : *m_in.sourcePffs) {
        // Rewritten in place, so a later run finds a full path and leaves it alone.
        entry = SourcePath(entry);
        sources.push_back(entry);
    }
    if (!FilesAreThere())
        return false;
    const std::string destination = BaseFolder() + "\\" + m_in.destinationPff;
    const std::string packTool = BaseFolder() + "\\pack.exe";
    if (m_in.keepOriginal && !m_in.gameFolder.empty()) {
        if (DWORD error = m_in.keepOriginal(m_in.destinationPff)) {
            // The user is leaving: nothing more is done or said.
            if (error == ERROR_CANCELLED)
                return false;
            m_owner.Say(FormatText("The game archive %s could not be kept before packing (error %lu). "
                                   "Can't pack.",
                                   destination.c_str(), error),
                        Tone::NoticeWarning);
            return false;
        }
    }

    std::string batchPath = MakeBatchFileName();
    std::string logPath = MakeLogFileName();
    // Each source is shortened on its own; the joined list is no path the platform knows.
    std::vector<std::string> shortSources;
    for (const std::string& source : sources)
        shortSources.push_back(m_in.shortPath(source));
    std::string shortTool = m_in.shortPath(packTool);
    std::string shortDestination = m_in.shortPath(destination);
    std::string shortLog = m_in.shortPath(logPath);
    // The interpreter reads each path from the batch file in its code page and hands it on to the
    // tool, which reads it in the system's: a path without a short form must survive both.
    const UINT batchCodePage = BatchLine::InterpreterCodePage();
    std::string narrow;
    std::vector<const std::string*> paths = {&shortTool, &shortDestination};
    for (const std::string& source : shortSources)
        paths.push_back(&source);
    paths.push_back(&shortLog);
    for (const std::string* path : paths) {
        if (!BatchLine::ToCodePage(GetACP(), *path, narrow) ||
            !BatchLine::ToCodePage(batchCodePage, *path, narrow)) {
            m_owner.Say(FormatText(BatchLine::kUnreadablePathText, path->c_str()), Tone::NoticeWarning);
            return false;
        }
    }
    std::string line = BatchLine::Build(shortTool, shortDestination, shortSources, addMSwitch, shortLog);
    if (!BatchLine::ToCodePage(batchCodePage, line, narrow) || !WriteBatchFile(batchPath, narrow))
        return false;
    return Launch(batchPath, logPath, static_cast<int>(sources.size()));
}
