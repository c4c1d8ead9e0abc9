#pragma once
// A pilot ring: the workstations that get an entry's new front-end before
// everyone else. vorab= names them by computer name, as a share of the
// fleet, or both: "PC-IT-01, PC-IT-02, 10%".
#include <string>
#include <string_view>
#include <vector>

namespace vorlund {

struct PilotRing {
    std::vector<std::string> names;  // as written
    int percent = 0;                 // 0 to 100
    std::vector<std::string> faults; // items that are neither a name nor a percentage
    bool Empty() const { return names.empty() && percent == 0; }
};
PilotRing ParsePilotRing(std::string_view text);

// A computer's place in the fleet, 0 to 99, from its name alone: the same in
// every release and for every entry, so that the same PCs stay in the ring
// and a larger percentage only adds PCs. `computer` is in upper case, as
// Windows compares computer names.
int RingBucket(std::string_view computer);

struct RingPlace {
    bool in = false;
    bool named = false; // by its name, else by its bucket
    int bucket = 0;
};
// `upper` gives a name as Windows compares it (upper case); a name written
// with its domain (PC-IT-01.firma.local) stands for its first part.
template <typename Upper>
RingPlace PlaceInRing(const PilotRing& ring, std::string_view computer, Upper upper);

// The ring's copy beside the central one: lager.mdb gives lager.vorab.mdb.
std::string PilotCopyName(std::string_view mdbName);

} // namespace vorlund

#include "config/PilotRing.inl"
