// Writes the pack batch file, has the shell run it hidden and starts the results watcher.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/WorkerThread.h"

class InstallFrontEnd;

class PackJob {
public:
    // What the job works on, handed in by the installation's flow.
    struct Inputs {
        std::string editionCode;
        std::string destinationPff;
        std::string gameFolder;
        std::string programDir;
        std::vector<std::string>* sourcePffs = nullptr;     // names without a folder are made full here
        std::function<bool(const std::string&)> fileExists; // tells the user of a missing file
        std::function<std::string(const std::string&)> shortPath;
        std::function<bool(const std::string&)> nameIsSafe; // for names joined to a folder of ours
        std::function<DWORD()> tickCount = GetTickCount;
        // Keeps the game's file of this name before the tool changes it; ERROR_SUCCESS or why not.
        std::function<DWORD(const std::string&)> keepOriginal;
        std::function<BOOL(SHELLEXECUTEINFOW*)> shellExecute = ShellExecuteExW;
        std::function<bool(std::unique_ptr<WorkerThread>&)> startWatcher =
            [](std::unique_ptr<WorkerThread>& t) { return WorkerThread::Start(t); };
    };

    PackJob(Inputs inputs, InstallFrontEnd& owner) : m_in(std::move(inputs)), m_owner(owner) {}

    // True once the batch file runs and its watcher has started; every stop is reported.
    bool Run(bool addMSwitch);
    // Both archives named and allowed, and the tool and every archive there; tells the user of each
    // that is not. Changes nothing, so it may come before an installation touches the game.
    bool InputsAreThere();

    std::string MakeBatchFileName() const;
    std::string MakeLogFileName() const;

private:
    bool NamesAreComplete();
    bool NamesAreSafe();
    bool FilesAreThere();
    // A source archive named without a folder is the one in the program folder.
    std::string SourcePath(const std::string& source) const;
    const std::string& BaseFolder() const;
    bool WriteBatchFile(const std::string& path, const std::string& line);
    bool Launch(const std::string& batchPath, const std::string& logPath, int sourceCount);

    Inputs m_in;
    InstallFrontEnd& m_owner;
};
