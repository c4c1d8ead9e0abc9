#include "check/Inspect.h"

#include "base/Utf8.h"
#include "check/Executable.h"
#include "check/SharedAccess.h"
#include "check/Verdict.h"
#include "config/Banner.h"
#include "config/ConfigPath.h"
#include "config/Environment.h"
#include "config/IniFile.h"
#include "config/ProgramList.h"
#include "config/ReadProgramm.h"
#include "config/ReleaseHistory.h"
#include "prepare/DriverPath.h"
#include "prepare/InstallRule.h"
#include "prepare/InstallTarget.h"
#include "prepare/LaunchCommand.h"
#include "prepare/PartialFiles.h"
#include "prepare/PilotRelease.h"
#include "prepare/Messages.h"
#include "prepare/Preparation.h"
#include "prepare/Registry.h"
#include "prepare/ReleaseTrust.h"
#include "prepare/RunState.h"
#include "prepare/TrustedLocation.h"
#include "win/Handles.h"
#include "win/Paths.h"
#include "win/Sha256.h"
#include "win/SystemText.h"
#include "win/Unicode.h"

#include <shlwapi.h>

#include <vector>

namespace vorlund::check {
namespace {

constexpr DWORD kEncodingScanLimit = 16u << 20; // enough of any sane configuration

win::File openExisting(const std::string& path, DWORD access, DWORD share) {
    return win::OpenFile(path, access, share, OPEN_EXISTING);
}

// Opens the file as the launcher's copy does and keeps what that tells.
FileState probeSource(const std::string& path, int64_t& size) {
    win::File file = openExisting(path, GENERIC_READ, FILE_SHARE_READ);
    if (file) {
        LARGE_INTEGER length{};
        GetFileSizeEx(file.get(), &length);
        size = length.QuadPart;
        return FileState::Readable;
    }
    const DWORD error = GetLastError();
    if (!win::IsFile(path))
        return FileState::Missing;
    return error == ERROR_SHARING_VIOLATION ? FileState::Locked : FileState::Unreadable;
}

// Another program holds the file, so the launcher could not replace it now.
bool heldAgainstReplacing(const std::string& path) {
    return InstallSystem::Real().ProbeReplace(path).error == ERROR_SHARING_VIOLATION;
}

std::string parentOf(const std::string& path) {
    const size_t at = path.find_last_of('\\');
    return at == std::string::npos || at == 0 ? std::string() : path.substr(0, at);
}

DirState directoryState(std::string dir) {
    while (!dir.empty() && dir.back() == '\\')
        dir.pop_back();
    if (dir.empty())
        return DirState::CannotBeCreated;
    if (win::IsDirectory(dir) || win::IsDirectory(dir + '\\'))
        return DirState::Exists;
    for (std::string up = parentOf(dir); !up.empty(); up = parentOf(up)) {
        if (win::IsDirectory(up) || win::IsDirectory(up + '\\'))
            return DirState::WouldBeCreated;
        if (win::IsFile(up))
            break;
    }
    return DirState::CannotBeCreated;
}

std::optional<std::string> readRegistryText(const std::string& key, const std::string& name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, win::Wide(key).c_str(), 0, KEY_READ, &opened) !=
        ERROR_SUCCESS)
        return std::nullopt;
    win::UniqueKey owner(opened);
    const std::wstring wideName = win::Wide(name);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(opened, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    RegQueryValueExW(opened, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                     &size);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return "(Typ " + std::to_string(type) + ")";
    return win::Narrow(data.data());
}

// Whether the program is a 64-bit one.
bool is64Bit(const std::string& program) {
    if (program.empty())
        return false;
    const win::File file = openExisting(program, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    char head[4096];
    DWORD n = 0;
    if (!file || !ReadFile(file.get(), head, sizeof head, &n, nullptr))
        return false;
    return ExecutableBitness(std::string_view(head, n)) == Bitness::Bits64;
}

// The driver in the 32-bit system directory, where 64-bit Windows keeps the
// 32-bit ODBC drivers; empty on 32-bit Windows.
std::string driver32Path(const std::string& driverPath) {
    wchar_t dir[MAX_PATH] = {};
    const UINT n = GetSystemWow64DirectoryW(dir, MAX_PATH);
    const size_t slash = driverPath.find_last_of('\\');
    if (n == 0 || n >= MAX_PATH || slash == std::string::npos)
        return {};
    return win::Narrow(std::wstring_view(dir, n)) + driverPath.substr(slash);
}

std::vector<EntryFacts::Cut> cutValues(const IniFile& ini, const std::string& section) {
    std::vector<EntryFacts::Cut> cuts;
    for (const FieldDef& field : kProgramFields) {
        if (field.type != FieldType::Text)
            continue;
        std::string value = ini.ReadString(section, field.name, "");
        if (std::string_view(field.name) == "mdbpath" && (value.empty() || value.back() != '\\'))
            value += '\\'; // the launcher adds it before the value is stored
        const size_t characters = utf8Length(value);
        if (characters > static_cast<size_t>(field.size))
            cuts.push_back({field.name, characters, static_cast<size_t>(field.size)});
    }
    return cuts;
}

std::optional<std::string> shellOpener(const std::string& extension) {
    if (extension.empty())
        return std::nullopt;
    wchar_t command[2048] = {};
    DWORD length = 2048;
    if (FAILED(AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, win::Wide(extension).c_str(),
                                 L"open", command, &length)))
        return std::nullopt;
    return win::Narrow(command);
}

InstalledVersion installedVersion(const std::string& versionKey) {
    InstalledVersion v;
    TRegistry registry;
    registry.SetAccess(KEY_READ); // never creates the key
    if (!registry.OpenKey(versionKey, false) || !registry.ValueExists("Version"))
        return v;
    try {
        v.value = registry.ReadInteger("Version");
        v.kind = InstalledVersion::Number;
    } catch (const ERegistryException& error) {
        v.kind = InstalledVersion::WrongType;
        v.error = error.what();
    }
    return v;
}

std::vector<RegistryValue> dataSource(ProgramList& list, const std::string& driverPath) {
    const std::string name = list.FieldAsString("odbcname");
    const std::string key = std::string(kOdbcIniKey + 1) + name;
    const std::string sources = kOdbcDataSourcesKey + 1;
    auto value = [&](const char* valueName, std::string planned) {
        return RegistryValue{valueName, readRegistryText(key, valueName), std::move(planned)};
    };
    return {value("Database", list.FieldAsString("odbcpath")),
            value("CharacterSet", list.FieldAsString("odbccharacterset")),
            value("Driver", driverPath), value("Role", list.FieldAsString("odbcrole")),
            RegistryValue{"Datenquellenliste", readRegistryText(sources, name),
                          std::string(texts::kOdbcDriverName)}};
}

std::optional<DWORD> dword(const std::string& key, const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, win::Wide(key).c_str(), name, RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// A setting of Access's trusted locations: the policy's when there is one,
// else the user's own (the Trust Center's boxes).
bool trustSetting(const std::string& version, const wchar_t* name) {
    const std::optional<DWORD> policy = dword(TrustedLocationsAccessPolicyKey(version), name);
    return policy ? *policy == 1 : dword(TrustedLocationsKey(version), name) == DWORD{1};
}

// What Access of one version makes of the location.
EntryFacts::Trust trustFacts(const std::string& version, const std::string& path) {
    EntryFacts::Trust t;
    t.version = version;
    t.location = FindLocation(TrustedLocationStore::Real(), TrustedLocationsKey(version), path);
    t.userLocationsOff =
        dword(TrustedLocationsPolicyKey(version), L"allow user locations") == DWORD{0};
    t.allLocationsDisabled = trustSetting(version, L"AllLocationsDisabled");
    t.networkAllowed = trustSetting(version, L"AllowNetworkLocations");
    return t;
}

// Access takes a mapped network drive for the remote path it is.
bool onNetwork(const std::string& path) {
    if (path.starts_with("\\\\"))
        return true;
    return path.size() >= 3 && path[1] == ':' &&
           GetDriveTypeW(win::Wide(path.substr(0, 3)).c_str()) == DRIVE_REMOTE;
}

// The record of releases, and where the INI names another release than the
// central copy is, which two they are.
void releaseFacts(EntryFacts& e) {
    const std::vector<Release> history =
        ParseReleaseHistory(win::ReadWholeFile(ReleaseHistoryPath(e.centralPath)).value_or(""));
    e.releases = history.size();
    if (history.empty() || !e.published.sha256 || NotPublished(e).empty() ||
        e.central != FileState::Readable)
        return;
    if (const std::optional<Release> named = ReleaseWithBytes(history, *e.published.sha256))
        e.iniRelease = named->version;
    if (!e.centralSha256)
        e.centralSha256 = win::FileSha256(e.centralPath);
    if (e.centralSha256)
        if (const std::optional<Release> is = ReleaseWithBytes(history, *e.centralSha256))
            e.centralRelease = is->version;
}

// What was published, read once from the central copy when a hash was; a
// lock of the entry or of [SETUP].
// The words for a release's copy beside what was published of it.
std::string releaseState(const std::string& path, const PublishedCopy& published) {
    const std::optional<int64_t> size = InstallSystem::Real().FileSize(path);
    if (!size)
        return "fehlt";
    if (!published.fault.empty())
        return "STIMMT NICHT: " + published.fault;
    if (published.size && *published.size != *size)
        return "STIMMT NICHT: " + SizeMismatch(*published.size, *size);
    if (!published.sha256)
        return published.size ? "stimmt" : "nichts ver\u00F6ffentlicht (ohne groesse, pruefsumme)";
    const std::optional<std::string> sha = win::FileSha256(path);
    if (!sha)
        return "UNBEKANNT: nicht lesbar";
    return sha == published.sha256 ? "stimmt"
                                   : "STIMMT NICHT: " + HashMismatch(*published.sha256, *sha);
}

// Who is in the pilot ring and whether this PC runs its release; the
// release it does not run, in one line.
void ringFacts(EntryFacts& e, const ProgramList& list, const EntryPaths& paths) {
    EntryFacts::Ring& r = e.ring;
    r.written = list.FieldAsString("vorab");
    const PilotRing ring = ParsePilotRing(r.written);
    r.faults = ring.faults;
    r.percent = ring.percent;
    r.computer = ThisComputer();
    const RingPlace place =
        r.computer.empty() ? RingPlace{} : PlaceInRing(ring, r.computer, AsComputerName);
    r.in = place.in;
    r.named = place.named;
    r.bucket = place.bucket;
    r.pilotVersion = list.FieldAsInteger("vorabversion");
    r.runsPilot = r.in && HasPilotRelease(list);
    if (!HasPilotRelease(list))
        return;
    EntryPaths other = paths;
    other.centralName = r.runsPilot ? std::string() : PilotCopyName(paths.mdbName);
    const std::string prefix = r.runsPilot ? "" : "vorab";
    r.otherRelease =
        (r.runsPilot ? "f\u00FCr alle: Version " : "Vorab: Version ") +
        std::to_string(list.FieldAsInteger(prefix + "version")) + ", " + other.Central() +
        " \u2013 " +
        releaseState(other.Central(), ReadPublished(list.FieldAsString(prefix + "groesse"),
                                                    list.FieldAsString(prefix + "pruefsumme")));
}

void publishedFacts(EntryFacts& e, const ProgramList& list, const IniFile& ini) {
    const std::string prefix = e.ring.runsPilot ? "vorab" : "";
    e.published = ReadPublished(list.FieldAsString(prefix + "groesse"),
                                list.FieldAsString(prefix + "pruefsumme"));
    e.vorherPresent = win::IsFile(VorherPath(e.centralPath));
    if (e.published.sha256 && e.central == FileState::Readable &&
        (!e.published.size || *e.published.size == e.centralSize)) {
        const ULONGLONG start = GetTickCount64();
        e.centralSha256 = win::FileSha256(e.centralPath);
        e.hashMilliseconds = static_cast<int64_t>(GetTickCount64() - start);
    }
    if (e.vorherPresent && !NotPublished(e).empty() && e.published.sha256 &&
        InstallSystem::Real().FileSize(VorherPath(e.centralPath)) == e.published.size.value_or(-1))
        e.vorherIsPublished = win::FileSha256(VorherPath(e.centralPath)) == e.published.sha256;
    releaseFacts(e);
    e.locked = list.FieldAsString("gesperrt");
    if (e.locked.empty()) {
        e.locked = ini.ReadString("SETUP", "gesperrt", "");
        e.lockedForAll = !e.locked.empty();
    }
}

// What the launch would do with the keys that make Access ready to work.
void launchFacts(EntryFacts& e, const ProgramList& list) {
    e.trustedLocation = list.FieldAsInteger("trustedlocation") == 1;
    e.trustPath = AsLocationPath(DirectoryOf(e.localPath));
    e.trustOnNetwork = onNetwork(e.trustPath);
    if (e.trustedLocation)
        for (const char* version : kAccessVersions)
            e.trust.push_back(trustFacts(version, e.trustPath));
    RunState run;
    run.localPath = e.localPath;
    run.accessExe = list.FieldAsString("accessexe");
    run.accessArgs = list.FieldAsString("accessargs");
    const LaunchTarget target = ChooseLaunchTarget(run);
    e.customLaunch = target.Custom();
    e.launchProgram = target.program;
    e.launchProgramFound = target.found;
    e.launchProgramPresent = !target.found.empty();
    e.launchCommandLine = MaskPasswords(LaunchCommandLine(target.program, target.parameters));
    e.startsAs64Bit = is64Bit(e.customLaunch ? target.program : DocumentOpener(e.extension));
    e.refreshPercent = list.FieldAsInteger("refreshsize");
    e.localSize = InstallSystem::Real().FileSize(e.localPath);
}

// signatur= against the keys this PC pins; where none are and Access
// trusts the copy, who may put another front-end on the share.
void signatureFacts(EntryFacts& e, const ProgramList& list, const std::string& section,
                    const PinnedKeys& pins) {
    e.signature = list.FieldAsString(e.ring.runsPilot ? "vorabsignatur" : "signatur");
    if (const std::optional<ReleaseSignature> parsed = ParseSignature(e.signature))
        e.signedBy = parsed->keyId;
    if (pins.pinned) {
        const ReleaseRecord record{section, list.FieldAsString("mdbname"), e.configuredVersion,
                                   e.published.size.value_or(-1), e.published.sha256.value_or("")};
        const SignatureVerdict verdict = CheckReleaseSignature(record, e.signature, pins);
        e.signatureValid = verdict.valid;
        e.signatureFault = verdict.why;
        const int32_t installed =
            e.installed.kind == InstalledVersion::Number ? e.installed.value : 0;
        if (verdict.valid && IsOlderThanInstalled(e.configuredVersion, installed)) {
            e.signatureValid = false;
            e.signatureFault = "Version " + std::to_string(e.configuredVersion) +
                               " ist \u00E4lter als die installierte " + std::to_string(installed);
        }
    } else if (e.trustedLocation) {
        e.othersWhoMayWriteCentral = OthersWhoMayChange(DirectoryOf(e.centralPath), true);
    }
}

// What publishes ended midway left of the entry, of its pilot ring's copy
// and of the INI.
std::vector<std::string> leftovers(const IniFile& ini, const EntryPaths& paths) {
    std::vector<std::string> left =
        FindPublishLeftovers(InstallSystem::Real(), ini.FileName(), paths.Central()).All();
    const PublishLeftovers pilot = FindPublishLeftovers(
        InstallSystem::Real(), ini.FileName(), paths.centralDir + PilotCopyName(paths.mdbName));
    for (const std::vector<std::string>* files : {&pilot.partials, &pilot.asides})
        left.insert(left.end(), files->begin(), files->end());
    return left;
}

// The local copy, its marker, and whether it is still the copy installed.
void localFacts(EntryFacts& e, const std::string& local) {
    e.localPath = local;
    e.localPresent = win::IsFile(local);
    e.localHeld = e.localPresent && heldAgainstReplacing(local);
    e.marker = InstallSystem::Real().ReadMarker(VersionMarkerPath(local));
    if (const std::optional<InstalledProof> proof =
            e.localPresent ? InstallSystem::Real().ReadMarkerProof(VersionMarkerPath(local))
                           : std::nullopt)
        e.localAsInstalled = InstallSystem::Real().FileSize(local) == proof->size &&
                             win::FileSha256(local) == proof->sha256;
}

EntryFacts inspectEntry(ProgramList& list, const IniFile& ini, const std::string& section,
                        const std::string& driverPath, const PinnedKeys& pins) {
    EntryFacts e;
    e.section = section;
    e.displayName = list.FieldAsString("displayname");
    const EntryPaths written = ExpandEntryPaths(list);
    ringFacts(e, list, written);
    e.configuredVersion = list.FieldAsInteger(e.ring.runsPilot ? "vorabversion" : "version");
    e.versionKey = kVersionKeyBase + e.displayName;
    e.installed = installedVersion(e.versionKey);
    e.versionKey.erase(0, 1);

    e.mdbpathWritten = ini.ReadString(section, "mdbpath", "");
    e.tmpdirWritten = ini.ReadString(section, "tmpdir", "");
    EntryPaths paths = written;
    if (e.ring.runsPilot)
        paths.centralName = PilotCopyName(paths.mdbName);
    e.centralPath = paths.Central();
    e.central = probeSource(e.centralPath, e.centralSize);
    publishedFacts(e, list, ini);
    e.leftovers = leftovers(ini, written);
    e.installDir = paths.installDir;
    e.installDirFault = InstallTargetFault(paths);
    localFacts(e, paths.Local());
    e.installDirState = directoryState(e.installDir);
    if (e.installDirState == DirState::Exists)
        e.othersWhoMayChange = OthersWhoMayChange(e.installDir);
    if (e.localPresent)
        for (const std::string& who : OthersWhoMayChange(e.localPath))
            if (std::find(e.othersWhoMayChange.begin(), e.othersWhoMayChange.end(), who) ==
                e.othersWhoMayChange.end())
                e.othersWhoMayChange.push_back(who);

    e.withDataSource = NamesDataSource(list);
    e.dataSourceName = list.FieldAsString("odbcname");
    e.dataSourceKey = std::string(kOdbcIniKey + 1) + e.dataSourceName;
    e.dataSource = dataSource(list, driverPath);
    e.extension = ExtensionOf(paths.mdbName);
    e.runsAsProgram =
        !e.extension.empty() &&
        RunsAsProgram(e.extension, AssocIsDangerous(win::Wide(e.extension).c_str()) != FALSE);
    e.opener = shellOpener(e.extension);
    e.cuts = cutValues(ini, section);
    e.missingKeys = MissingRequiredKeys(list);
    e.meantAsSetup = LooksLikeSetup(section);
    e.notes = EntryNotes(ini.Text(), section);
    launchFacts(e, list);
    signatureFacts(e, list, section, pins);
    return e;
}

FileState probeConfiguration(const std::string& path, EncodingFindings& encoding) {
    if (!win::IsFile(path))
        return FileState::Missing;
    win::File file = openExisting(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!file)
        return FileState::Unreadable;
    std::string head(kEncodingScanLimit, '\0');
    DWORD read = 0;
    ReadFile(file.get(), head.data(), kEncodingScanLimit, &read, nullptr);
    head.resize(read);
    encoding = ExamineEncoding(head);
    return FileState::Readable;
}

// For each entry the first one (1-based) before it whose name Windows takes
// for the same: sorted once by that comparison, so that thousands of
// entries cost no more than sorting them.
void markSharedNames(std::vector<EntryFacts>& entries, std::string EntryFacts::*name,
                     std::optional<size_t> EntryFacts::*sameAs) {
    std::vector<std::pair<std::wstring, size_t>> keys;
    for (size_t i = 0; i < entries.size(); ++i)
        keys.emplace_back(win::Wide(entries[i].*name), i);
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
        return win::CompareIgnoringCase(a.first, b.first) < 0;
    });
    // Equal names stand together, the earliest entry first.
    for (size_t k = 1, first = 0; k < keys.size(); ++k) {
        if (keys[k].first.empty()) // no name (no data source): shared with nobody
            continue;
        if (win::CompareIgnoringCase(keys[first].first, keys[k].first) != 0)
            first = k;
        else
            entries[keys[k].second].*sameAs = keys[first].second + 1;
    }
}

void findSharedNames(std::vector<EntryFacts>& entries) {
    markSharedNames(entries, &EntryFacts::displayName, &EntryFacts::sameDisplayNameAs);
    markSharedNames(entries, &EntryFacts::dataSourceName, &EntryFacts::sameDataSourceAs);
}

} // namespace

ConfigFacts Inspect(const std::string& iniPath) {
    ConfigFacts c;
    c.iniPath = iniPath;
    c.codePage = GetACP();
    c.file = probeConfiguration(iniPath, c.encoding);

    const IniFile ini(iniPath);
    ini.ReadSections(c.sections);
    c.decoding = ini.Encoding();
    TRegistry registry;
    c.driverPath = DetermineDriverPath(registry);
    c.driverPresent = win::IsFile(c.driverPath);
    c.driver32Path = driver32Path(c.driverPath);
    c.driver32Present = !c.driver32Path.empty() && win::IsFile(c.driver32Path);
    c.banner = ini.ReadString("SETUP", "JpegImage", "");
    if (!c.banner.empty())
        c.bannerLoads = BannerLoads(programDirectory(iniPath) + c.banner);
    c.setupNotes = SetupNotes(ini.Text());
    c.logDirWritten = ini.ReadString("SETUP", "logdir", "");
    c.logDir = ExpandEnvironment(c.logDirWritten);
    c.logDirExists = !c.logDir.empty() && win::IsDirectory(c.logDir);

    const PinnedKeys pins = ReadPinnedKeys();
    c.pinned = pins.pinned;
    c.pinnedIds = pins.ids;
    c.faultyPins = pins.faulty;
    if (pins.error != ERROR_SUCCESS)
        c.pinError = win::SystemText(pins.error);
    if (pins.pinned)
        c.othersWhoMayWriteConfiguration = OthersWhoMayChange(iniPath, true);
    ProgramList list;
    list.Open();
    const std::vector<std::string> programSections = LoadProgramEntries(
        c.sections, [&](const std::string& section) { ReadProgramm(list, ini, section); });
    for (size_t row = 0; row < programSections.size(); ++row) {
        list.MoveToVisibleRow(static_cast<int32_t>(row));
        c.entries.push_back(inspectEntry(list, ini, programSections[row], c.driverPath, pins));
    }
    findSharedNames(c.entries);
    return c;
}

} // namespace vorlund::check
