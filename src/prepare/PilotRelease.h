#pragma once
// Whether this workstation runs an entry's pilot release, and that release
// in the terms of an install: its version, what was published, its
// signature and its copy beside the central one.
#include "config/Environment.h"
#include "config/PilotRing.h"
#include "config/ProgramList.h"

#include <string>

namespace vorlund {

// This PC's name as Windows compares computer names (upper case).
std::string ThisComputer();
// A name in upper case as Windows compares computer names.
std::string ComputerNameUpper(std::string_view name);
// A name as vorab= writes it (a computer name or a host name) as the
// computer name Windows would make of it, in upper case.
std::string AsComputerName(std::string_view name);

// Where this PC stands in the entry's ring (vorab=).
RingPlace PlaceOfThisComputer(const ProgramList& programs);

// The ring has a release of its own above the general one: vorabversion.
bool HasPilotRelease(const ProgramList& programs);

} // namespace vorlund
