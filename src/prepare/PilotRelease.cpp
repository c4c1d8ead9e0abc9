#include "prepare/PilotRelease.h"

#include "win/Unicode.h"

#include <windows.h>

namespace vorlund {

std::string ComputerNameUpper(std::string_view name) {
    std::wstring wide = win::Wide(name);
    if (!wide.empty())
        CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return win::Narrow(wide);
}

std::string AsComputerName(std::string_view name) {
    // The NetBIOS name Windows makes of a host name: its first label, cut to
    // 15 characters (PC-BUCHHALTUNG-01.firma.local gives PC-BUCHHALTUNG-).
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    const std::wstring host = win::Wide(name);
    if (!host.empty() && DnsHostnameToComputerNameW(host.c_str(), computer, &size))
        return ComputerNameUpper(win::Narrow(std::wstring_view(computer, size)));
    return ComputerNameUpper(name);
}

std::string ThisComputer() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size))
        return {};
    return ComputerNameUpper(win::Narrow(std::wstring_view(name, size)));
}

RingPlace PlaceOfThisComputer(const ProgramList& programs) {
    const std::string self = ThisComputer();
    if (self.empty())
        return {}; // a PC without a name is in no ring
    return PlaceInRing(ParsePilotRing(programs.FieldAsString("vorab")), self, AsComputerName);
}

bool HasPilotRelease(const ProgramList& programs) {
    // Only /vorab writes these keys, and always all of them: a ring release
    // is never installed unverified.
    return programs.FieldAsInteger("vorabversion") > programs.FieldAsInteger("version") &&
           !programs.FieldAsString("vorabgroesse").empty() &&
           !programs.FieldAsString("vorabpruefsumme").empty();
}

} // namespace vorlund
