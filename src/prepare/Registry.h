#pragma once
// TRegistry: the launcher's one way into the registry, over the advapi32 A
// functions. Key paths start with a backslash and are taken from the root.
// A failed open is a false result; a failed read or write raises
// ERegistryException naming the value.
#include "win/Handles.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vorlund {

class ERegistryException : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TRegistry {
  public:
    TRegistry() = default;

    HKEY RootKey() const { return root_; }
    void SetRootKey(HKEY root);
    REGSAM Access() const { return access_; }
    void SetAccess(REGSAM access) { access_ = access; }
    HKEY CurrentKey() const { return current_.get(); }
    const std::string& CurrentPath() const { return currentPath_; }

    bool OpenKey(const std::string& path, bool canCreate);
    void CloseKey();

    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int32_t value);
    std::string ReadString(const std::string& name);
    int32_t ReadInteger(const std::string& name);
    bool ValueExists(const std::string& name);

  private:
    HKEY root_ = HKEY_CURRENT_USER;
    REGSAM access_ = KEY_ALL_ACCESS;
    win::UniqueKey current_;
    std::string currentPath_;
};

} // namespace vorlund
