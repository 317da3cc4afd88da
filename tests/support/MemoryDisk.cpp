// Files below one folder held in memory, answering the file work's calls as Windows would.
#include "support/MemoryDisk.h"

#include <algorithm>

#include "framework/WideText.h"

namespace {
BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

HANDLE Refuse(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

std::wstring LeafOf(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

bool Below(const std::wstring& key, const std::wstring& folder) {
    return key.size() > folder.size() && key[folder.size()] == L'\\' && key.compare(0, folder.size(), folder) == 0;
}

LARGE_INTEGER Wide(const FILETIME& time) {
    LARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = static_cast<LONG>(time.dwHighDateTime);
    return value;
}

DWORD Shown(bool folder, DWORD attributes) {
    return folder ? attributes | FILE_ATTRIBUTE_DIRECTORY : attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}
} // namespace

MemoryDisk::MemoryDisk(const std::string& root) {
    const WideText wide(root);
    Node& node = m_nodes[Key(wide.c_str())];
    node.name = LeafOf(wide.c_str());
    node.folder = true;
}

std::wstring MemoryDisk::Key(const wchar_t* path) {
    std::wstring key(path);
    for (wchar_t& c : key)
        c = c == L'/' ? L'\\' : c;
    while (key.size() > 3 && key.back() == L'\\')
        key.pop_back();
    if (!key.empty())
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.c_str(), static_cast<int>(key.size()), &key[0],
                      static_cast<int>(key.size()), nullptr, nullptr, 0);
    return key;
}

MemoryDisk::Node* MemoryDisk::Find(const std::wstring& key) {
    auto at = m_nodes.find(key);
    return at == m_nodes.end() ? nullptr : &at->second;
}

BOOL MemoryDisk::Missing(const std::wstring& key) {
    return Fail(InFolder(key) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
}

MemoryDisk::Open* MemoryDisk::Opened(HANDLE file) {
    auto at = m_open.find(file);
    if (at != m_open.end())
        return &at->second;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

HANDLE MemoryDisk::Create(const wchar_t* path, DWORD access, DWORD, DWORD disposition, DWORD flags) {
    const std::wstring key = Key(path);
    const bool write = (access & GENERIC_WRITE) != 0;
    Node* node = Find(key);
    if (disposition == OPEN_EXISTING && !node) {
        Missing(key);
        return INVALID_HANDLE_VALUE;
    }
    if (disposition != OPEN_EXISTING && disposition != CREATE_ALWAYS)
        return Refuse(ERROR_INVALID_PARAMETER);
    if (!InFolder(key))
        return Refuse(ERROR_PATH_NOT_FOUND);
    if (node && (node->folder || (write && (node->attributes & FILE_ATTRIBUTE_READONLY))))
        return Refuse(ERROR_ACCESS_DENIED);
    // The file work writes without sharing and reads sharing reads alone.
    if (node && (node->writers || (write && node->readers)))
        return Refuse(ERROR_SHARING_VIOLATION);
    if (!node) {
        node = &m_nodes[key];
        node->name = LeafOf(path);
        GetSystemTimeAsFileTime(&node->times[0]);
        node->times[1] = node->times[2] = node->times[0];
    }
    if (disposition == CREATE_ALWAYS) {
        node->bytes.clear();
        node->durable.clear();
        node->attributes = (flags & 0xFFFF & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_ARCHIVE;
    }
    ++(write ? node->writers : node->readers);
    HANDLE handle = NewHandle();
    m_open[handle] = {node, 0, write};
    return handle;
}

BOOL MemoryDisk::Read(HANDLE file, void* data, DWORD size, DWORD* got) {
    Open* open = Opened(file);
    if (!open || open->write)
        return open ? Fail(ERROR_ACCESS_DENIED) : FALSE;
    const std::string& bytes = open->node->bytes;
    *got = open->at < bytes.size() ? static_cast<DWORD>(std::min<size_t>(size, bytes.size() - open->at)) : 0;
    bytes.copy(static_cast<char*>(data), *got, open->at);
    open->at += *got;
    return TRUE;
}

BOOL MemoryDisk::Write(HANDLE file, const void* data, DWORD size, DWORD* written) {
    Open* open = Opened(file);
    if (!open || !open->write)
        return open ? Fail(ERROR_ACCESS_DENIED) : FALSE;
    std::string& bytes = open->node->bytes;
    bytes.resize(std::max<size_t>(bytes.size(), open->at + size));
    bytes.replace(open->at, size, static_cast<const char*>(data), size);
    open->at += size;
    *written = size;
    return TRUE;
}

BOOL MemoryDisk::Flush(HANDLE file) {
    Open* open = Opened(file);
    if (!open || !open->write)
        return open ? Fail(ERROR_ACCESS_DENIED) : FALSE;
    open->node->durable = open->node->bytes;
    return TRUE;
}

void MemoryDisk::Settle() {
    for (auto& node : m_nodes)
        node.second.durable = node.second.bytes;
}

void MemoryDisk::PowerCut() {
    for (auto& node : m_nodes) {
        std::string& bytes = node.second.bytes;
        bytes = node.second.durable.substr(0, bytes.size()) + std::string(
                    bytes.size() - std::min(bytes.size(), node.second.durable.size()), '\0');
    }
}

BOOL MemoryDisk::Close(HANDLE file) {
    Open* open = Opened(file);
    if (!open)
        return FALSE;
    --(open->write ? open->node->writers : open->node->readers);
    m_open.erase(file);
    return TRUE;
}

BOOL MemoryDisk::Info(HANDLE file, FILE_BASIC_INFO* basic, LARGE_INTEGER* size) {
    Open* open = Opened(file);
    if (!open)
        return FALSE;
    const Node& node = *open->node;
    if (basic) {
        basic->CreationTime = Wide(node.times[0]);
        basic->LastAccessTime = Wide(node.times[1]);
        basic->LastWriteTime = basic->ChangeTime = Wide(node.times[2]);
        basic->FileAttributes = Shown(false, node.attributes);
    }
    if (size)
        size->QuadPart = static_cast<LONGLONG>(node.bytes.size());
    return TRUE;
}

BOOL MemoryDisk::SetTimes(HANDLE file, const FILETIME* created, const FILETIME* accessed, const FILETIME* written) {
    Open* open = Opened(file);
    if (!open || !open->write)
        return open ? Fail(ERROR_ACCESS_DENIED) : FALSE;
    const FILETIME* given[] = {created, accessed, written};
    for (int i = 0; i < 3; ++i)
        open->node->times[i] = given[i] ? *given[i] : open->node->times[i];
    return TRUE;
}

DWORD MemoryDisk::Attributes(const wchar_t* path) {
    const std::wstring key = Key(path);
    const Node* node = Find(key);
    if (node)
        return Shown(node->folder, node->attributes);
    Missing(key);
    return INVALID_FILE_ATTRIBUTES;
}

BOOL MemoryDisk::SetAttributes(const wchar_t* path, DWORD attributes) {
    const std::wstring key = Key(path);
    Node* node = Find(key);
    if (!node)
        return Missing(key);
    node->attributes = attributes & ~(FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY);
    return TRUE;
}

BOOL MemoryDisk::Move(const wchar_t* from, const wchar_t* to, DWORD flags) {
    const std::wstring fromKey = Key(from), toKey = Key(to);
    Node* source = Find(fromKey);
    if (!source)
        return Missing(fromKey);
    if (source->readers || source->writers)
        return Fail(ERROR_SHARING_VIOLATION);
    if (!InFolder(toKey))
        return Fail(ERROR_PATH_NOT_FOUND);
    Node* target = Find(toKey);
    // The file work moves files alone.
    if (source->folder)
        return Fail(ERROR_ACCESS_DENIED);
    if (target && toKey != fromKey) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING))
            return Fail(ERROR_ALREADY_EXISTS);
        if (target->folder || (target->attributes & FILE_ATTRIBUTE_READONLY) ||
            target->readers || target->writers)
            return Fail(ERROR_ACCESS_DENIED);
    }
    Node moved = std::move(*source);
    m_nodes.erase(fromKey);
    moved.name = LeafOf(to);
    m_nodes[toKey] = std::move(moved);
    return TRUE;
}

BOOL MemoryDisk::Delete(const wchar_t* path) {
    const std::wstring key = Key(path);
    Node* node = Find(key);
    if (!node)
        return Missing(key);
    if (node->folder || (node->attributes & FILE_ATTRIBUTE_READONLY))
        return Fail(ERROR_ACCESS_DENIED);
    if (node->readers || node->writers)
        return Fail(ERROR_SHARING_VIOLATION);
    m_nodes.erase(key);
    return TRUE;
}

BOOL MemoryDisk::MakeFolder(const wchar_t* path) {
    const std::wstring key = Key(path);
    if (Find(key))
        return Fail(ERROR_ALREADY_EXISTS);
    if (!InFolder(key))
        return Fail(ERROR_PATH_NOT_FOUND);
    Node& node = m_nodes[key];
    node.name = LeafOf(path);
    node.folder = true;
    return TRUE;
}

BOOL MemoryDisk::RemoveFolder(const wchar_t* path) {
    const std::wstring key = Key(path);
    Node* node = Find(key);
    if (!node)
        return Missing(key);
    if (!node->folder)
        return Fail(ERROR_DIRECTORY);
    // Keys below it follow "KEY\\", not "KEY": "KEY X" sorts between.
    auto next = m_nodes.lower_bound(key + L"\\");
    if (next != m_nodes.end() && Below(next->first, key))
        return Fail(ERROR_DIR_NOT_EMPTY);
    m_nodes.erase(key);
    return TRUE;
}

WIN32_FIND_DATAW MemoryDisk::Found(const std::wstring& name, const Node& node) {
    WIN32_FIND_DATAW data = {};
    data.dwFileAttributes = Shown(node.folder, node.attributes);
    data.ftCreationTime = node.times[0];
    data.ftLastAccessTime = node.times[1];
    data.ftLastWriteTime = node.times[2];
    data.nFileSizeLow = static_cast<DWORD>(node.bytes.size());
    name.copy(data.cFileName, MAX_PATH - 1);
    return data;
}

HANDLE MemoryDisk::FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* found) {
    const std::wstring key = Key(pattern), folder = key.substr(0, key.rfind(L'\\'));
    if (!InFolder(key))
        return Refuse(ERROR_PATH_NOT_FOUND);
    Search search{{}, 0};
    if (LeafOf(key) == L"*") {
        // A folder lists itself and its parent first.
        search.found = {Found(L".", m_nodes[folder]), Found(L"..", m_nodes[folder])};
        for (auto at = m_nodes.lower_bound(folder + L"\\"); at != m_nodes.end() && Below(at->first, folder); ++at) {
            if (at->first.find(L'\\', folder.size() + 1) == std::wstring::npos)
                search.found.push_back(Found(at->second.name, at->second));
        }
    } else if (const Node* node = Find(key)) {
        search.found.push_back(Found(node->name, *node));
    }
    if (search.found.empty())
        return Refuse(ERROR_FILE_NOT_FOUND);
    HANDLE handle = NewHandle();
    m_searches[handle] = search;
    FindNext(handle, found);
    return handle;
}

BOOL MemoryDisk::FindNext(HANDLE handle, WIN32_FIND_DATAW* found) {
    auto search = m_searches.find(handle);
    if (search == m_searches.end())
        return Fail(ERROR_INVALID_HANDLE);
    if (search->second.next == search->second.found.size())
        return Fail(ERROR_NO_MORE_FILES);
    *found = search->second.found[search->second.next++];
    return TRUE;
}

BOOL MemoryDisk::FindEnd(HANDLE handle) {
    return m_searches.erase(handle) ? TRUE : Fail(ERROR_INVALID_HANDLE);
}
