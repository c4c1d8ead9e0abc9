// Loading the entry a publish works on, from the configuration as one
// snapshot of its bytes, and the one server a replicated share is published on.
#include "config/Environment.h"
#include "config/IntParse.h"
#include "config/PilotRing.h"
#include "config/ProfileReader.h"
#include "config/ReadProgramm.h"
#include "prepare/InstallRule.h"
#include "prepare/Messages.h"
#include "publish/PublishRoad.h"
#include "win/CodePage.h"
#include "win/Unicode.h"

namespace vorlund::publish {

using texts::quoted;

namespace {

// versionen= of the entry, else of [SETUP]; the default where neither
// gives a positive number.
size_t releasesKept(const ProfileReader& reader, const std::string& section) {
    std::string kept = reader.ReadString(section, "versionen", "");
    if (kept.empty())
        kept = reader.ReadString("SETUP", "versionen", "");
    const std::optional<int32_t> n = readInt(kept);
    return n && *n > 0 ? static_cast<size_t>(*n) : kReleasesKeptByDefault;
}

} // namespace

// Where the entry's releases lie and what was published of them: everyone's
// and the pilot ring's.
void Publisher::readReleases(const ProgramList& list, Entry& entry) {
    const EntryPaths paths = ExpandEntryPaths(list);
    entry.central = paths.Central();
    entry.mdbName = paths.mdbName;
    entry.pilotCopy = paths.centralDir + PilotCopyName(paths.mdbName);
    entry.mdbNameWritten = list.FieldAsString("mdbname");
    entry.signature = list.FieldAsString("signatur");
    entry.pilotVersion = list.FieldAsInteger("vorabversion");
    entry.pilotPublished =
        ReadPublished(list.FieldAsString("vorabgroesse"), list.FieldAsString("vorabpruefsumme"));
    entry.published =
        ReadPublished(list.FieldAsString("groesse"), list.FieldAsString("pruefsumme"));
}

std::optional<Publisher::Refusal> Publisher::load(const std::string& iniPath,
                                                  const std::string& application, Entry& entry) {
    const std::optional<std::string> bytes = system_.ReadAll(iniPath);
    if (!bytes)
        return Refusal{kFaultyCall,
                       "Die Konfiguration " + iniPath + " fehlt oder ist nicht lesbar."};
    entry.iniPath = iniPath;
    entry.snapshot = *bytes;
    const ProfileBytes reader(*bytes, win::DecodeCodePage);
    std::vector<std::string> sections;
    reader.ReadSections(sections);
    ProgramList list;
    list.Open();
    const std::vector<std::string> entries = LoadProgramEntries(
        sections, [&](const std::string& section) { ReadProgramm(list, reader, section); });
    // Its section's name first, then an unambiguous displayname.
    std::vector<size_t> found;
    for (size_t i = 0; i < entries.size(); ++i)
        if (equalsIgnoreAsciiCase(entries[i], application))
            found.push_back(i);
    if (found.empty())
        for (size_t i = 0; i < entries.size(); ++i) {
            list.MoveToVisibleRow(static_cast<int32_t>(i));
            if (win::SameIgnoringCase(list.FieldAsString("displayname"), application))
                found.push_back(i);
        }
    std::string known;
    for (size_t i = 0; i < entries.size(); ++i) {
        list.MoveToVisibleRow(static_cast<int32_t>(i));
        known += "\r\n  [" + entries[i] + "] " + quoted(list.FieldAsString("displayname"));
    }
    if (found.size() != 1)
        return Refusal{kFaultyCall, (found.empty() ? "Keine Anwendung hei\u00DFt "
                                                   : "Mehrere Anwendungen hei\u00DFen ") +
                                        quoted(application) + " in " + iniPath + ":" + known};
    list.MoveToVisibleRow(static_cast<int32_t>(found.front()));
    entry.section = entries[found.front()];
    entry.displayName = list.FieldAsString("displayname");
    entry.version = list.FieldAsInteger("version");
    // A version the launcher reads as 0 would publish as 1, below every
    // workstation's: nothing would install.
    if (const std::string text = reader.ReadString(entry.section, "version", "");
        !text.empty() && !readInt(text))
        return Refusal{kFaultyCall, "version=" + text + " in [" + entry.section +
                                        "] ist keine ganze Zahl; Vorlund liest sie als 0. "
                                        "Bitte zuerst berichtigen."};
    entry.logDir = reader.ReadString("SETUP", "logdir", "");
    entry.releasesKept = releasesKept(reader, entry.section);
    if (list.FieldAsString("mdbname").empty())
        return Refusal{kFaultyCall, "[" + entry.section + "] nennt kein mdbname."};
    readReleases(list, entry);
    return std::nullopt;
}

// A replicated share is published on one server by its own path: through
// the namespace, workstations would read whichever server they reach, and
// replication brings a copy and its INI in no promised order.
std::optional<Publisher::Refusal> Publisher::oneServer(const PublishRequest& request,
                                                       Entry& entry) {
    if (!request.server.empty()) {
        std::string folder = request.server;
        if (folder.back() != '\\')
            folder += '\\';
        if (!system_.IsDirectory(folder))
            return Refusal{kFaultyCall, "Den Ordner " + folder + " (/server) gibt es nicht."};
        if (system_.DfsTarget(folder))
            return Refusal{kFaultyCall, folder + " (/server) liegt selbst in einem "
                                                 "DFS-Namensraum; bitte den Ordner auf einem "
                                                 "Server nennen (\\\\SERVER\\Freigabe\\...)."};
        entry.central = folder + entry.mdbName;
        entry.pilotCopy = folder + PilotCopyName(entry.mdbName);
        return std::nullopt;
    }
    const std::optional<std::string> target = system_.DfsTarget(entry.central);
    if (!target)
        return std::nullopt;
    return Refusal{kFaultyCall,
                   entry.central +
                       " liegt in einem DFS-Namensraum: Arbeitspl\u00E4tze lesen von "
                       "verschiedenen Servern, und die Replikation bringt Kopie und INI in "
                       "keiner festen Reihenfolge. Bitte auf einem Server ver\u00F6ffentlichen: "
                       "/server und der Ordner dort" +
                       (target->empty()
                            ? " (\\\\SERVER\\Freigabe\\...)."
                            : ", von diesem PC aus zurzeit /server " + DirectoryOf(*target) + ".")};
}

} // namespace vorlund::publish
