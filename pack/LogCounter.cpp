// Reads a pack log: whether the tool still writes it, and how many success reports it holds.
#include "pack/LogCounter.h"

#include <windows.h>

#include "framework/Handles.h"
#include "framework/WideText.h"

namespace {

// Reads a file byte by byte through a fixed buffer, dropping the CR of each CR LF.
class TextReader {
public:
    explicit TextReader(HANDLE file) : m_file(file) {}

    // False at the end of the file or on a read error.
    bool Next(char& c) {
        if (!Raw(c))
            return false;
        if (c == '\r') {
            char after;
            if (!Raw(after))
                return true;
            if (after == '\n') {
                c = '\n';
                return true;
            }
            --m_position; // a lone CR stays; the next byte is read again
        }
        return true;
    }

private:
    bool Raw(char& c) {
        if (m_position == m_length) {
            DWORD read = 0;
            if (!ReadFile(m_file, m_buffer, sizeof m_buffer, &read, nullptr) || read == 0)
                return false;
            m_length = read;
            m_position = 0;
        }
        c = m_buffer[m_position++];
        return true;
    }

    HANDLE m_file;
    char m_buffer[4096];
    DWORD m_length = 0;
    DWORD m_position = 0;
};

bool IsWordCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Short paths are upper case: "BOOKS~1" must not pass for a success.
bool HasOkWord(const std::string& piece) {
    for (std::string::size_type at = piece.find("OK"); at != std::string::npos;
         at = piece.find("OK", at + 1)) {
        bool startsWord = at == 0 || !IsWordCharacter(piece[at - 1]);
        bool endsWord = at + 2 == piece.size() || !IsWordCharacter(piece[at + 2]);
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

} // namespace

int LogCounter::CountOkPieces(const std::string& logPath) {
    // The command interpreter may still hold the log open for writing.
    UniqueFileHandle file(CreateFileW(WideText(logPath).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 0;
    TextReader reader(file.get());
    int count = 0;
    std::string piece;
    piece.reserve(kPieceLength);
    bool more = true;
    while (more) {
        piece.clear();
        char c;
        while ((more = reader.Next(c))) {
            if (c == '\n')
                break;
            piece += c;
            if (piece.size() == static_cast<size_t>(kPieceLength))
                break;
        }
        if (HasOkWord(piece))
            ++count;
    }
    return count;
}

DWORD LogCounter::ProbeWriter(const wchar_t* logPath) {
    // Refuses to share writing, so it fails while anyone may write; readers are let in, so that a
    // watcher counting a finished log and another installer's look never fail each other.
    UniqueFileHandle file(CreateFileW(logPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? ERROR_SUCCESS : GetLastError();
}
