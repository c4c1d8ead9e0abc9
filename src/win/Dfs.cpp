#include "win/Dfs.h"

#include "win/DllSearch.h"
#include "win/Unicode.h"

#include <windows.h>

#include <cwctype>

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

// The active target Windows' DFS client names for the path, if it is one.
std::optional<std::string> clientTarget(const std::wstring& path) {
    const HMODULE netapi = LoadSystemLibrary("netapi32.dll");
    const auto get = Function<GetClientInfo>(netapi, "NetDfsGetClientInfo");
    const auto release = Function<BufferFree>(netapi, "NetApiBufferFree");
    if (!get || !release)
        return std::nullopt;
    std::wstring entry = path;
    LPBYTE buffer = nullptr;
    if (get(entry.data(), nullptr, nullptr, 3, &buffer) != 0 || !buffer)
        return std::nullopt;
    std::optional<std::string> target = std::string();
    const auto* info = reinterpret_cast<const DfsInfo3*>(buffer);
    const std::wstring root = info->entryPath ? info->entryPath : L"";
    for (DWORD i = 0; i < info->storages; ++i) {
        const StorageInfo& s = info->storage[i];
        if ((s.state & kStorageActive) && s.server && s.share && path.size() >= root.size() &&
            CompareStringOrdinal(path.c_str(), static_cast<int>(root.size()), root.c_str(),
                                 static_cast<int>(root.size()), TRUE) == CSTR_EQUAL) {
            target = Narrow(L"\\\\" + std::wstring(s.server) + L"\\" + s.share +
                            path.substr(root.size()));
            break;
        }
    }
    release(buffer);
    return target;
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
