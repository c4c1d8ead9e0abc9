#include "prepare/Registry.h"

#include "win/Unicode.h"

#include <vector>

namespace vorlund {
namespace {

[[noreturn]] void raise(const char* pattern, const std::string& name) {
    std::string text(pattern);
    text.replace(text.find("%s"), 2, name);
    throw ERegistryException(text);
}

constexpr const char* kCannotWrite = "Konnte Daten f\u00FCr '%s' nicht setzen";
constexpr const char* kCannotRead = "Konnte Daten f\u00FCr '%s' nicht holen";
constexpr const char* kWrongType = "Ung\u00FCltiger Datentyp f\u00FCr '%s'";

} // namespace

void TRegistry::SetRootKey(HKEY root) {
    if (root == root_)
        return;
    root_ = root;
    CloseKey();
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
    const bool fromRoot = !path.empty() && path.front() == '\\';
    const std::string relative = fromRoot ? path.substr(1) : path;
    HKEY base = (fromRoot || !current_) ? root_ : current_.get();
    HKEY opened = nullptr;
    LONG rc;
    if (canCreate) {
        DWORD disposition = 0;
        rc = RegCreateKeyExW(base, win::Wide(relative).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             access_, nullptr, &opened, &disposition);
    } else {
        rc = RegOpenKeyExW(base, win::Wide(relative).c_str(), 0, access_, &opened);
    }
    if (rc != ERROR_SUCCESS)
        return false;
    currentPath_ = (fromRoot || !current_) ? relative : currentPath_ + "\\" + relative;
    current_.reset(opened);
    return true;
}

void TRegistry::CloseKey() {
    current_.reset();
    currentPath_.clear();
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    const std::wstring data = win::Wide(value);
    const LONG rc = RegSetValueExW(current_.get(), win::Wide(name).c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(data.c_str()),
                                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (rc != ERROR_SUCCESS)
        raise(kCannotWrite, name);
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
    const DWORD data = static_cast<DWORD>(value);
    const LONG rc = RegSetValueExW(current_.get(), win::Wide(name).c_str(), 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&data), sizeof data);
    if (rc != ERROR_SUCCESS)
        raise(kCannotWrite, name);
}

std::string TRegistry::ReadString(const std::string& name) {
    const std::wstring wideName = win::Wide(name);
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(current_.get(), wideName.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS || size == 0)
        return {}; // an absent value, or one without data, reads as empty text
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        raise(kWrongType, name);
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    rc = RegQueryValueExW(current_.get(), wideName.c_str(), nullptr, &type,
                          reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc != ERROR_SUCCESS)
        raise(kCannotRead, name);
    return win::Narrow(data.data()); // up to the first NUL
}

int32_t TRegistry::ReadInteger(const std::string& name) {
    const std::wstring wideName = win::Wide(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(current_.get(), wideName.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        raise(kCannotRead, name);
    // A text counts one byte per character, as it always has, so that the same
    // values fail in the same way: too long for four bytes, then of the wrong type.
    const bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    if ((text ? size / sizeof(wchar_t) : size) > sizeof(DWORD))
        raise(kCannotRead, name);
    if (type != REG_DWORD)
        raise(kWrongType, name);
    DWORD data = 0;
    size = sizeof data;
    if (RegQueryValueExW(current_.get(), wideName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
        raise(kCannotRead, name);
    return static_cast<int32_t>(data);
}

bool TRegistry::ValueExists(const std::string& name) {
    if (!current_)
        return false;
    return RegQueryValueExW(current_.get(), win::Wide(name).c_str(), nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS;
}

} // namespace vorlund
