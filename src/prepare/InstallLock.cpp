#include "prepare/InstallLock.h"

#include "base/AsciiText.h"
#include "base/Utf8.h"
#include "prepare/PrepareHost.h"
#include "win/Unicode.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace vorlund {
namespace {

constexpr const char* kPrefix = "Local\\Vorlund.Install.";

// A short stand-in for a path too long to be an object name.
std::string fingerprint(const std::string& text) {
    uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return std::to_string(text.size()) + "." + digits;
}

} // namespace

std::string InstallLockName(const std::string& localCopy) {
    std::string key = asciiUpper(localCopy);
    std::replace(key.begin(), key.end(), '\\', '/'); // no backslash after the namespace
    if (utf16Length(key) + 32 > MAX_PATH)
        key = fingerprint(key);
    return kPrefix + key;
}

InstallLock::InstallLock(PrepareHost& host, const std::string& localCopy)
    : mutex_(CreateMutexW(nullptr, FALSE, win::Wide(InstallLockName(localCopy)).c_str())) {
    if (!mutex_)
        return; // no lock to be had: the one-step replace still keeps the copy whole
    const HANDLE handles[] = {mutex_.get()};
    const DWORD free = WaitForSingleObject(mutex_.get(), 0);
    if (free == WAIT_OBJECT_0 || free == WAIT_ABANDONED_0) {
        owned_ = true; // abandoned: the other launcher was ended mid-way
        return;
    }
    host.ShowWaiting(); // after a selection the window would be hidden
    while (true) {
        const DWORD r = MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED_0) {
            owned_ = true;
            return;
        }
        if (r != WAIT_OBJECT_0 + 1)
            return;
        host.ProcessMessages();
        if (host.EndRequested()) {
            abandoned_ = true;
            return;
        }
    }
}

void InstallLock::Release() {
    if (owned_)
        ReleaseMutex(mutex_.get());
    owned_ = false;
}

InstallLock::~InstallLock() {
    Release();
}

} // namespace vorlund
