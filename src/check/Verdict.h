#pragma once
// What the launcher would do with each entry on this workstation, and the
// check's exit code.
#include "check/Facts.h"

#include <string>
#include <vector>

namespace vorlund::check {

enum class Outcome { Starts, Installs, Fails, Locked };

struct Verdict {
    Outcome outcome = Outcome::Starts;
    std::vector<std::string> reasons; // why it fails
};

enum ExitCode : int { kAllGood = 0, kSomeEntryFails = 1, kFaultyConfiguration = 2 };

bool CopyNeeded(const EntryFacts& entry);
// Why the central copy is not the published one; empty when it is, or when
// nothing was published.
std::string NotPublished(const EntryFacts& entry);
// Why it is not known whether the central copy is the published one: a
// hash was published, but the central copy's could not be computed.
// Empty when it is known.
std::string PublishedUnknown(const EntryFacts& entry);
// Whether the next start copies a bloated local copy afresh.
bool RefreshesNext(const EntryFacts& entry);
// The local copy's type as the report names it.
std::string TypeName(const EntryFacts& entry);
Verdict Judge(const EntryFacts& entry);
int ExitCodeFor(const ConfigFacts& config);

} // namespace vorlund::check
