// Reads a pack log: whether the tool still writes it, and how many success reports it holds.
#pragma once

#include <windows.h>

#include <string>

class LogCounter {
public:
    // Longer lines are judged in pieces of this many characters, each by itself.
    static constexpr int kPieceLength = 255;

    // The number of pieces that hold "OK" (exact case), reading carriage return and line feed
    // as one line end; 0 for a log that cannot be opened.
    static int CountOkPieces(const std::string& logPath);
    // ERROR_SHARING_VIOLATION while a writer holds the log open (the batch's redirection does until
    // the tool has ended), ERROR_SUCCESS once all have let go, else why it cannot be opened.
    static DWORD ProbeWriter(const wchar_t* logPath);
};
