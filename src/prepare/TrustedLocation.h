#pragma once
// Makes the installation directory an Access trusted location of the
// current user, so that Access runs the front-end's code without its
// security warning. Access reads the list per version, under
// HKCU\Software\Microsoft\Office\<version>\Access\Security\Trusted Locations.
// A location that already names the directory is left as it is, whoever
// made it; other locations and every policy stay untouched.
#include "prepare/InstallSystem.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace vorlund {

inline constexpr std::array<const char*, 4> kAccessVersions{"12.0", "14.0", "15.0", "16.0"};

// The list's key for one Access version, from HKEY_CURRENT_USER.
std::string TrustedLocationsKey(const std::string& version);
// The policy key that can switch user locations off for a version.
std::string TrustedLocationsPolicyKey(const std::string& version);
// Access's own policy key, which can switch every location off
// (AllLocationsDisabled) and decides whether network locations count.
std::string TrustedLocationsAccessPolicyKey(const std::string& version);
// "Vorlund1", "Vorlund2", ...: the first name no subkey has.
std::string FreeLocationName(const std::vector<std::string>& taken);
// The directory as Access compares it: with its trailing backslash.
std::string AsLocationPath(const std::string& directory);

// The registry operations, each with its reason on failure; a test can make
// one fail.
class TrustedLocationStore {
  public:
    virtual ~TrustedLocationStore() = default;
    // The subkey names of key, and for each its "Path".
    struct Location {
        std::string name;
        std::string path;
    };
    virtual std::vector<Location> Locations(const std::string& key);
    virtual Status Create(const std::string& key, const std::string& name, const std::string& path,
                          const std::string& description, const std::string& date);
    static TrustedLocationStore& Real();
};

// The subkey that names the directory (letter case ignored), if any.
std::optional<std::string> FindLocation(TrustedLocationStore& store, const std::string& key,
                                        const std::string& path);

// For every Access version: finds or creates the location. ERROR_SUCCESS, or
// the first refusal; the others are still tried.
DWORD EnsureTrustedLocation(TrustedLocationStore& store, const std::string& directory,
                            const std::string& displayName);

} // namespace vorlund
