#include "check/Verdict.h"

#include "config/ReadProgramm.h"
#include "prepare/InstallRule.h"

namespace vorlund::check {
namespace {

std::string centralProblem(const EntryFacts& e) {
    switch (e.central) {
    case FileState::Missing:
        return "die zentrale Kopie fehlt: " + e.centralPath;
    case FileState::Locked:
        return "die zentrale Kopie ist von einem anderen Programm gesperrt: " + e.centralPath;
    case FileState::Unreadable:
        return "die zentrale Kopie ist nicht lesbar: " + e.centralPath;
    case FileState::Readable:
        break;
    }
    return {};
}

} // namespace

std::string TypeName(const EntryFacts& e) {
    return e.extension.empty() ? "(ohne Endung)" : e.extension;
}

bool RefreshesNext(const EntryFacts& e) {
    return !CopyNeeded(e) && e.localSize && e.central == FileState::Readable &&
           RefreshNeeded(*e.localSize, e.centralSize, e.refreshPercent);
}

bool CopyNeeded(const EntryFacts& e) {
    const int32_t installed = e.installed.kind == InstalledVersion::Number ? e.installed.value : 0;
    return InstallNeeded({e.localPresent, installed, e.configuredVersion, e.marker});
}

namespace {

// The launcher refuses such an entry before it writes or installs anything.
std::optional<Verdict> refused(const EntryFacts& e) {
    Verdict v;
    v.outcome = Outcome::Fails;
    if (!e.missingKeys.empty()) {
        v.reasons.push_back(
            "es fehlt: " + ListedKeys(e.missingKeys) +
            "; Vorlund richtet nichts ein und startet nichts" +
            (e.meantAsSetup ? " (ist [" + e.section + "] als [SETUP] gemeint?)" : ""));
        return v;
    }
    if (e.installDirFault != InstallDirFault::None) {
        v.reasons.push_back(InstallDirFaultText(e.installDirFault, e.installDir) +
                            "; Vorlund installiert nichts und \u00F6ffnet nichts");
        return v;
    }
    return std::nullopt;
}

} // namespace

std::string NotPublished(const EntryFacts& e) {
    if (!e.published.fault.empty())
        return e.published.fault;
    if (e.central != FileState::Readable)
        return {};
    if (e.published.size && *e.published.size != e.centralSize)
        return SizeMismatch(*e.published.size, e.centralSize);
    if (e.published.sha256 && e.centralSha256 && *e.centralSha256 != *e.published.sha256)
        return HashMismatch(*e.published.sha256, *e.centralSha256);
    return {};
}

std::string PublishedUnknown(const EntryFacts& e) {
    if (!e.published.sha256 || !NotPublished(e).empty())
        return {};
    if (e.central == FileState::Missing)
        return {};
    if (e.central != FileState::Readable)
        return "die zentrale Kopie l\u00E4sst sich nicht lesen, ihre SHA-256 nicht berechnen";
    if (!e.centralSha256)
        return "ihre SHA-256 lie\u00DF sich nicht berechnen (Lesefehler, Sperre oder CNG)";
    return {};
}

Verdict Judge(const EntryFacts& e) {
    if (!e.locked.empty()) // before anything else, the launcher shows the lock
        return Verdict{Outcome::Locked, {}};
    if (std::optional<Verdict> no = refused(e))
        return *no;
    Verdict v;
    if (e.installed.kind == InstalledVersion::WrongType) {
        v.reasons.push_back("der Wert \u201EVersion\u201C unter " + e.versionKey +
                            " ist keine Zahl; der Starter bricht ab mit: " + e.installed.error);
    } else if (CopyNeeded(e)) {
        v.outcome = Outcome::Installs;
        if (e.central != FileState::Readable)
            v.reasons.push_back(centralProblem(e));
        if (!InstallPathsFit(e.centralPath, e.localPath, e.installDir))
            v.reasons.push_back("ein Pfad ist f\u00FCr Windows zu lang (die lokale Kopie "
                                "h\u00F6chstens 240 Zeichen, das Verzeichnis 247): " +
                                e.localPath);
        else if (e.installDirState == DirState::CannotBeCreated)
            v.reasons.push_back("das Installationsverzeichnis kann nicht angelegt werden: " +
                                e.installDir);
        if (e.localPresent && e.localHeld)
            v.reasons.push_back("die alte Kopie ist ge\u00F6ffnet und kann nicht ersetzt "
                                "werden: " +
                                e.localPath);
    }
    if (e.customLaunch && !e.launchProgramPresent)
        v.reasons.push_back(e.launchProgram.empty()
                                ? "kein Programm f\u00FCr Dateien vom Typ \u201E" + TypeName(e) +
                                      "\u201C, und accessexe ist leer"
                                : "das Programm fehlt: " + e.launchProgram);
    else if (!e.customLaunch && !e.opener)
        v.reasons.push_back("kein Programm \u00F6ffnet Dateien vom Typ \u201E" + TypeName(e) +
                            "\u201C");
    if (const std::string why = NotPublished(e); !why.empty())
        v.reasons.push_back("die zentrale Kopie ist nicht die ver\u00F6ffentlichte (" + why +
                            "); Vorlund installiert sie nicht");
    else if (const std::string unknown = PublishedUnknown(e); !unknown.empty())
        v.reasons.push_back("ob die zentrale Kopie die ver\u00F6ffentlichte ist, ist unbekannt: " +
                            unknown);
    if (e.signatureValid == false && (CopyNeeded(e) || RefreshesNext(e)))
        v.reasons.push_back("kein hier hinterlegter Schl\u00FCssel hat diese Version signiert (" +
                            e.signatureFault + "); Vorlund installiert sie nicht");
    if (!v.reasons.empty())
        v.outcome = Outcome::Fails;
    return v;
}

int ExitCodeFor(const ConfigFacts& config) {
    if (config.entries.empty())
        return kFaultyConfiguration;
    for (const EntryFacts& e : config.entries)
        if (Judge(e).outcome == Outcome::Fails)
            return kSomeEntryFails;
    return kAllGood;
}

} // namespace vorlund::check
