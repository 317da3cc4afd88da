// Counts the success reports in a pack log.
#pragma once

#include <string>

class LogCounter {
public:
    // Longer lines are judged in pieces of this many characters, each by itself.
    static constexpr int kPieceLength = 255;

    // The number of pieces that hold "OK" (exact case), reading carriage return and line feed
    // as one line end; 0 for a log that cannot be opened.
    static int CountOkPieces(const std::string& logPath);
};
