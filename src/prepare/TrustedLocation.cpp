#include "prepare/TrustedLocation.h"

#include "config/Environment.h"

#include "win/Clock.h"
#include "win/Handles.h"
#include "win/Unicode.h"

#include <windows.h>

#include <algorithm>

namespace vorlund {
namespace {

// Access compares the paths without regard to letter case.
std::optional<std::string> nameOf(const std::vector<TrustedLocationStore::Location>& locations,
                                  const std::string& path) {
    for (const TrustedLocationStore::Location& l : locations)
        if (win::SameIgnoringCase(l.path, path))
            return l.name;
    return std::nullopt;
}

// A REG_EXPAND_SZ path is compared as Access reads it: expanded.
std::optional<std::string> readPath(HKEY key) {
    wchar_t data[2048] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key, L"Path", nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    const std::string path = win::Narrow(data);
    return type == REG_EXPAND_SZ ? ExpandEnvironment(path) : path;
}

LONG setText(HKEY key, const wchar_t* name, const std::string& text) {
    const std::wstring wide = win::Wide(text);
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

} // namespace

std::string TrustedLocationsKey(const std::string& version) {
    return "Software\\Microsoft\\Office\\" + version + "\\Access\\Security\\Trusted Locations";
}

std::string TrustedLocationsPolicyKey(const std::string& version) {
    return "Software\\Policies\\Microsoft\\Office\\" + version +
           "\\Common\\Security\\Trusted Locations";
}

std::string TrustedLocationsAccessPolicyKey(const std::string& version) {
    return "Software\\Policies\\Microsoft\\Office\\" + version +
           "\\Access\\Security\\Trusted Locations";
}

std::string FreeLocationName(const std::vector<std::string>& taken) {
    for (int n = 1;; ++n) {
        const std::string name = "Vorlund" + std::to_string(n);
        if (std::none_of(taken.begin(), taken.end(),
                         [&](const std::string& t) { return win::SameIgnoringCase(t, name); }))
            return name;
    }
}

std::string AsLocationPath(const std::string& directory) {
    return !directory.empty() && directory.back() == '\\' ? directory : directory + '\\';
}

std::vector<TrustedLocationStore::Location>
TrustedLocationStore::Locations(const std::string& key) {
    std::vector<Location> out;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, win::Wide(key).c_str(), 0, KEY_READ, &opened) !=
        ERROR_SUCCESS)
        return out;
    const win::UniqueKey owner(opened);
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY sub = nullptr;
        std::optional<std::string> path;
        if (RegOpenKeyExW(opened, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            const win::UniqueKey subOwner(sub);
            path = readPath(sub);
        }
        out.push_back({win::Narrow(std::wstring_view(name, length)), path.value_or("")});
    }
    return out;
}

Status TrustedLocationStore::Create(const std::string& key, const std::string& name,
                                    const std::string& path, const std::string& description,
                                    const std::string& date) {
    HKEY created = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, win::Wide(key + "\\" + name).c_str(), 0, nullptr,
                              0, KEY_SET_VALUE, nullptr, &created, nullptr);
    if (rc != ERROR_SUCCESS)
        return {static_cast<DWORD>(rc)};
    const win::UniqueKey owner(created);
    const DWORD noSubfolders = 0;
    if ((rc = setText(created, L"Path", path)) == ERROR_SUCCESS &&
        (rc = RegSetValueExW(created, L"AllowSubfolders", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&noSubfolders), 4)) == ERROR_SUCCESS &&
        (rc = setText(created, L"Description", description)) == ERROR_SUCCESS)
        rc = setText(created, L"Date", date);
    return {static_cast<DWORD>(rc)};
}

TrustedLocationStore& TrustedLocationStore::Real() {
    static TrustedLocationStore real;
    return real;
}

std::optional<std::string> FindLocation(TrustedLocationStore& store, const std::string& key,
                                        const std::string& path) {
    return nameOf(store.Locations(key), path);
}

DWORD EnsureTrustedLocation(TrustedLocationStore& store, const std::string& directory,
                            const std::string& displayName) {
    const std::string path = AsLocationPath(directory);
    DWORD first = ERROR_SUCCESS;
    for (const char* version : kAccessVersions) {
        const std::string key = TrustedLocationsKey(version);
        const std::vector<TrustedLocationStore::Location> locations = store.Locations(key);
        if (nameOf(locations, path))
            continue;
        std::vector<std::string> taken;
        for (const auto& l : locations)
            taken.push_back(l.name);
        const Status created = store.Create(key, FreeLocationName(taken), path,
                                            "Vorlund: " + displayName, win::LocalTimeText());
        if (!created.ok() && first == ERROR_SUCCESS)
            first = created.error;
    }
    return first;
}

} // namespace vorlund
