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

std::string ThisComputer() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size))
        return {};
    return ComputerNameUpper(win::Narrow(std::wstring_view(name, size)));
}

RingPlace PlaceOfThisComputer(const ProgramList& programs) {
    return PlaceInRing(ParsePilotRing(programs.FieldAsString("vorab")), ThisComputer(),
                       ComputerNameUpper);
}

bool HasPilotRelease(const ProgramList& programs) {
    return programs.FieldAsInteger("vorabversion") > programs.FieldAsInteger("version");
}

} // namespace vorlund
