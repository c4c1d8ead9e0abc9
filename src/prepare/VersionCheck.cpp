#include "config/Environment.h"
#include "prepare/InstallLock.h"
#include "prepare/InstallRule.h"
#include "prepare/Messages.h"
#include "prepare/PartialFiles.h"
#include "prepare/PilotRelease.h"
#include "prepare/Preparation.h"
#include "prepare/ReleaseTrust.h"
#include "prepare/Retry.h"
#include "prepare/RunLogFile.h"

#include <windows.h>

namespace vorlund {
namespace {

bool installNeeded(const RunState& run, const std::string& local, InstallSystem& system) {
    return InstallNeeded({system.IsFile(local), run.installedVersion, run.configuredVersion,
                          system.ReadMarker(VersionMarkerPath(local))});
}

// Whether a program holds the old copy so that the new one could not replace
// it: the refusal, or ERROR_SUCCESS. A program that holds it only a moment
// (a virus scanner) is waited out.
DWORD oldCopyHeld(PrepareHost& host, InstallSystem& system, const std::string& local) {
    if (!system.IsFile(local))
        return ERROR_SUCCESS;
    // A read-only copy is no copy in use; what a failure leaves shows below.
    system.ClearReadOnly(local);
    const DWORD error = RetryWhileLocked(host, system, [&] { return system.ProbeReplace(local); });
    return IsTransientLock(error) ? error : ERROR_SUCCESS;
}

// What the install verified: the published hash it matched, and the size.
std::optional<InstalledProof> proofOf(const RunState& run, const CopyResult& copy) {
    if (!run.published.sha256)
        return std::nullopt;
    return InstalledProof{*run.published.sha256, copy.bytes};
}

void recordInstalled(RunState& run, InstallSystem& system,
                     const std::optional<InstalledProof>& proof) {
    // The marker goes with the copy, "Version" with the user's profile. A
    // marker that cannot be written must not outlive the copy it described.
    const std::string marker = VersionMarkerPath(run.localPath);
    // Made read-only with the copy, it would refuse the new number and keep
    // the old one: every start would install again.
    system.ClearReadOnly(marker); // what a refusal leaves shows in the write
    if (!system.WriteMarker(marker, run.configuredVersion, proof).ok())
        system.Remove(marker); // what a refusal leaves shows as no marker at the next run
    system.WriteVersion(*run.registry, run.configuredVersion);
}

void deletionFailed(PrepareHost& host, RunState& run, DWORD error) {
    NoteOutcome(run, RunResult::InUse, error);
    host.ShowMessage(texts::deletionFailed(run.displayName), MessageType::Warning);
    ++run.errorCount;
}

// Closed while another launcher had the copy: no copy, no launch.
bool leftWhileWaiting(RunState& run, const InstallLock& lock) {
    if (!lock.Abandoned())
        return false;
    NoteOutcome(run, RunResult::Abandoned);
    ++run.errorCount;
    return true;
}

// The road of every copy: the old copy must be replaceable, leftovers of
// killed runs go, and the new copy comes whole or not at all.
CopyResult copyIntoPlace(PrepareHost& host, RunState& run, const EntryPaths& paths,
                         InstallSystem& system) {
    const std::string local = paths.Local();
    if (const DWORD held = oldCopyHeld(host, system, local))
        return CopyResult::InUse(held);
    RemoveLeftoverPartials(system, local);
    run.centralPath = paths.Central();
    run.localPath = local;
    if (!InstallPathsFit(run.centralPath, run.localPath, run.installDir))
        return CopyResult::Failed(ERROR_FILENAME_EXCED_RANGE);
    return XCopyFile(host, run.centralPath, run.localPath, system, run.published);
}

// The central copy is not the one published (a replicated share still
// receiving it, a file changed behind the configuration's back) or not one
// a trusted publisher signed: nothing is recorded, so the next start tries
// again; an old copy opens meanwhile.
void notInstalled(PrepareHost& host, RunState& run, InstallSystem& system, RunResult result,
                  const std::string& why) {
    NoteOutcome(run, result, why);
    const bool bySignature = result == RunResult::Unsigned;
    if (system.IsFile(run.localPath))
        host.ShowMessage(bySignature ? texts::notSigned(run.displayName)
                                     : texts::notArrivedYet(run.displayName),
                         MessageType::Information);
    else {
        host.ShowMessage(
            texts::copyFailed(run.displayName, run.centralPath, run.installDir) + texts::CR +
                std::string(bySignature ? texts::kNotSignedCopy : texts::kNotThePublishedCopy),
            MessageType::Warning);
        // Nothing that could be taken for the front-end is opened.
        if (bySignature)
            ++run.errorCount;
    }
}

void notPublished(PrepareHost& host, RunState& run, InstallSystem& system, const std::string& why) {
    notInstalled(host, run, system, RunResult::Mismatch, why);
}

// Where the policy pins publishers' keys, why none of them signed this
// entry's release. Read only when a copy is due: a start that opens the
// local copy pays nothing for it.
std::optional<std::string> notSigned(const RunState& run) {
    const PinnedKeys pins = ReadPinnedKeys();
    if (!pins.pinned)
        return std::nullopt;
    const SignatureVerdict verdict = CheckReleaseSignature(run.release, run.signature, pins);
    if (!verdict.valid)
        return verdict.why;
    if (IsOlderThanInstalled(run.configuredVersion, run.installedVersion))
        return "signierte Version " + std::to_string(run.configuredVersion) +
               " ist \u00E4lter als die installierte " + std::to_string(run.installedVersion) +
               " (eine alte Konfiguration zur\u00FCckgelegt?)";
    return std::nullopt;
}

// What the configuration already shows of the central copy, before a byte
// moves: a value that no copy can match, or a size other than published.
std::optional<std::string> knownNotPublished(const RunState& run, const std::string& central,
                                             InstallSystem& system) {
    if (!run.published.fault.empty())
        return run.published.fault;
    if (!run.published.size)
        return std::nullopt;
    const std::optional<int64_t> size = system.FileSize(central);
    if (size && *size != *run.published.size)
        return SizeMismatch(*run.published.size, *size);
    return std::nullopt;
}

void install(PrepareHost& host, RunState& run, const EntryPaths& paths, InstallSystem& system,
             InstallLock& lock) {
    // No install is announced that cannot happen.
    const std::optional<std::string> unsignedWhy = notSigned(run);
    const std::optional<std::string> why =
        unsignedWhy ? unsignedWhy : knownNotPublished(run, paths.Central(), system);
    if (why) {
        run.centralPath = paths.Central();
        run.localPath = paths.Local();
        lock.Release();
        return notInstalled(host, run, system,
                            unsignedWhy ? RunResult::Unsigned : RunResult::Mismatch, *why);
    }
    host.ShowMessage(texts::announceNewVersion(run.displayName), MessageType::Information);
    const CopyResult copy = copyIntoPlace(host, run, paths, system);
    run.log.bytes = copy.bytes;
    run.log.copyMilliseconds = copy.milliseconds;
    const std::optional<InstalledProof> proof = proofOf(run, copy);
    if (copy)
        recordInstalled(run, system, proof); // only now: a failed update keeps the old number
    // The copy is what it will be: a second start need not wait for the user
    // to answer the dialog below.
    lock.Release();
    if (copy) {
        NoteOutcome(run, RunResult::Installed,
                    proof ? "gepr\u00FCft: SHA-256 " + proof->sha256 + ", " +
                                std::to_string(proof->size) + " Bytes"
                          : std::string());
        host.ShowMessage(texts::installSucceeded(run.displayName), MessageType::Information);
        ++run.errorCount; // the database starts on the next run, not this one
    } else if (!copy.mismatch.empty()) {
        notPublished(host, run, system, copy.mismatch);
    } else if (copy.destinationInUse) {
        deletionFailed(host, run, copy.error);
    } else {
        NoteOutcome(run, RunResult::CopyFailed, copy.error);
        host.ShowMessage(texts::copyFailed(run.displayName, run.centralPath, run.installDir),
                         MessageType::Warning);
    }
}

// A front-end that temporary objects made far larger than its central copy
// is copied afresh before it opens: the install's road, without its dialogs;
// "Version" and the marker stay. Whatever fails, the old copy opens as it is.
void refreshIfBloated(PrepareHost& host, RunState& run, const EntryPaths& paths,
                      InstallSystem& system, int32_t percent) {
    if (!RefreshActive(percent))
        return;
    const std::optional<int64_t> local = system.FileSize(paths.Local());
    const std::optional<int64_t> central = system.FileSize(paths.Central());
    if (!local || !central || !RefreshNeeded(*local, *central, percent))
        return;
    if (const std::optional<std::string> why = notSigned(run))
        return NoteOutcome(run, RunResult::Unsigned, *why);
    InstallLock lock(host, paths.Local());
    if (leftWhileWaiting(run, lock))
        return;
    const CopyResult copy = copyIntoPlace(host, run, paths, system);
    lock.Release();
    run.log.bytes = copy.bytes;
    run.log.copyMilliseconds = copy.milliseconds;
    if (!copy.mismatch.empty())
        NoteOutcome(run, RunResult::Mismatch, copy.mismatch);
    else
        NoteOutcome(run, copy ? RunResult::Refreshed : RunResult::NotRefreshed, copy.error);
}

// What the entry says of its release, as a publisher's key signs it.
ReleaseRecord releaseOf(const ProgramList& programs, const RunState& run) {
    const size_t id = static_cast<size_t>(programs.FieldAsInteger("id"));
    return {id < run.entrySections.size() ? run.entrySections[id] : std::string(),
            programs.FieldAsString("mdbname"), run.configuredVersion,
            run.published.size.value_or(-1), run.published.sha256.value_or("")};
}

} // namespace

void CheckVersionAndInstall(PrepareHost& host, ProgramList& programs, RunState& run,
                            InstallSystem& system) {
    TRegistry& reg = *run.registry;
    reg.OpenKey(kVersionKeyBase + programs.FieldAsString("DisplayName"), true);
    run.log.installed = system.ReadVersion(reg);
    run.installedVersion = run.log.installed.value_or(0);
    // A PC of the pilot ring runs the ring's release while there is one.
    const bool pilot = HasPilotRelease(programs) && PlaceOfThisComputer(programs).in;
    const std::string prefix = pilot ? "vorab" : "";
    run.configuredVersion = programs.FieldAsInteger(prefix + "version");
    run.published = ReadPublished(programs.FieldAsString(prefix + "groesse"),
                                  programs.FieldAsString(prefix + "pruefsumme"));
    run.log.configured = run.configuredVersion;
    run.log.ring = pilot ? "vorab" : "";
    run.release = releaseOf(programs, run);
    run.release.pilot = pilot;
    run.signature = programs.FieldAsString(prefix + "signatur");
    EntryPaths paths = ExpandEntryPaths(programs);
    if (pilot)
        paths.centralName = PilotCopyName(paths.mdbName);
    run.installDir = paths.installDir;
    run.mdbName = paths.mdbName;
    run.config.reset(); // nothing reads the configuration file from here on

    // Every missing level, so that a per-user directory works on the first
    // start. A directory that cannot be made shows as the copy failure; one
    // too long for Windows is not made at all, wherever the system would allow it.
    if (DirectoryFits(run.installDir) && !system.IsDirectory(run.installDir))
        system.CreateDirectories(run.installDir);
    if (!installNeeded(run, paths.Local(), system))
        return refreshIfBloated(host, run, paths, system, programs.FieldAsInteger("refreshsize"));

    // Another launcher of this user may be installing the same copy: wait for
    // it, then decide again with what it left.
    InstallLock lock(host, paths.Local());
    if (leftWhileWaiting(run, lock))
        return;
    run.installedVersion = system.ReadVersion(reg).value_or(0);
    if (!installNeeded(run, paths.Local(), system))
        return;
    run.copyNeeded = true;
    install(host, run, paths, system, lock);
}

} // namespace vorlund
