#include "win/Dfs.h"

#include "win/DllSearch.h"
#include "win/Unicode.h"

#include <windows.h>

#include <cwctype>
#include <vector>

namespace vorlund::win {
namespace {

// DFS_INFO_3 and DFS_STORAGE_INFO of lmdfs.h.
struct StorageInfo {
    ULONG state;
    LPWSTR server;
    LPWSTR share;
};
struct DfsInfo3 {
    LPWSTR entryPath;
    LPWSTR comment;
    DWORD state;
    DWORD storages;
    StorageInfo* storage;
};
constexpr ULONG kStorageActive = 4; // DFS_STORAGE_STATE_ACTIVE

using GetClientInfo = DWORD(WINAPI*)(LPWSTR, LPWSTR, LPWSTR, DWORD, LPBYTE*);
using BufferFree = DWORD(WINAPI*)(LPVOID);

// The server of a \\server\share path, upper-cased.
std::wstring serverOf(const std::wstring& path) {
    if (path.size() < 3 || path[0] != L'\\' || path[1] != L'\\')
        return {};
    std::wstring server = path.substr(2, path.find(L'\\', 2) - 2);
    for (wchar_t& c : server)
        c = static_cast<wchar_t>(std::towupper(c));
    return server;
}

std::wstring upperVariable(const wchar_t* name) {
    wchar_t value[256] = {};
    const DWORD n = GetEnvironmentVariableW(name, value, 256);
    std::wstring text = n > 0 && n < 256 ? std::wstring(value, n) : std::wstring();
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

// \\firma.local\... or \\FIRMA\...: a domain's namespace, never one server.
bool namesTheDomain(const std::wstring& server) {
    if (server.empty())
        return false;
    const std::wstring computer = upperVariable(L"COMPUTERNAME");
    for (const wchar_t* domain : {L"USERDNSDOMAIN", L"USERDOMAIN"}) {
        const std::wstring name = upperVariable(domain);
        if (!name.empty() && name != computer && name == server)
            return true;
    }
    return false;
}

// The components of a \\server\share\... path.
std::vector<std::wstring> componentsOf(const std::wstring& path) {
    std::vector<std::wstring> parts;
    for (size_t at = 2; at < path.size();) {
        const size_t end = path.find(L'\\', at);
        parts.push_back(path.substr(at, end == std::wstring::npos ? end : end - at));
        if (end == std::wstring::npos)
            break;
        at = end + 1;
    }
    if (!parts.empty() && parts.back().empty())
        parts.pop_back();
    return parts;
}

std::wstring uncOf(const std::vector<std::wstring>& parts, size_t count) {
    std::wstring path = L"\\\\";
    for (size_t i = 0; i < count && i < parts.size(); ++i)
        path += (i ? L"\\" : L"") + parts[i];
    return path;
}

// Where one answer of the DFS client leads the path: its first components
// are the entry's (however the client spells them), the rest follows on
// the active target.
std::optional<std::string> targetOf(const DfsInfo3& info, const std::vector<std::wstring>& parts) {
    const size_t entryParts = componentsOf(info.entryPath ? info.entryPath : L"").size();
    for (DWORD i = 0; i < info.storages; ++i) {
        const StorageInfo& s = info.storage[i];
        if (!(s.state & kStorageActive) || !s.server || !s.share)
            continue;
        std::wstring target = L"\\\\" + std::wstring(s.server) + L"\\" + s.share;
        for (size_t p = entryParts; p < parts.size(); ++p)
            target += L"\\" + parts[p];
        return Narrow(target);
    }
    return std::string(); // a namespace, its active target unknown
}

// What Windows' DFS client says of the path. Its cache knows roots and
// links only, filled as paths are used: the path is touched first, then
// asked for, and each folder above it up to the share.
std::optional<std::string> clientTarget(const std::wstring& path) {
    static const HMODULE netapi = LoadSystemLibrary("netapi32.dll");
    static const auto get = Function<GetClientInfo>(netapi, "NetDfsGetClientInfo");
    static const auto release = Function<BufferFree>(netapi, "NetApiBufferFree");
    const std::vector<std::wstring> parts = componentsOf(path);
    if (!get || !release || parts.size() < 2)
        return std::nullopt;
    GetFileAttributesW(path.c_str()); // only to let the client resolve it
    for (size_t count = parts.size(); count >= 2; --count) {
        std::wstring asked = uncOf(parts, count);
        LPBYTE buffer = nullptr;
        if (get(asked.data(), nullptr, nullptr, 3, &buffer) != 0 || !buffer)
            continue;
        const std::optional<std::string> target =
            targetOf(*reinterpret_cast<const DfsInfo3*>(buffer), parts);
        release(buffer);
        return target;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> DfsTarget(const std::string& path) {
    const std::wstring wide = Wide(path);
    if (std::optional<std::string> target = clientTarget(wide))
        return target;
    if (namesTheDomain(serverOf(wide)))
        return std::string();
    return std::nullopt;
}

} // namespace vorlund::win
