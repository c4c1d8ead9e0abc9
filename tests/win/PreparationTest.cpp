// The entry preparation against the real registry, real files and the real
// ODBC installer API of the test prefix.
#include "prepare/InstallLock.h"
#include "prepare/Messages.h"
#include "prepare/PartialFiles.h"
#include "prepare/Preparation.h"
#include "support/FailingSystem.h"
#include "support/WinTestSupport.h"
#include "win/Sha256.h"
#include "win/Unicode.h"

#include <odbcinst.h>
#include <shellapi.h>

#include <algorithm>
#include <thread>

#include <gtest/gtest.h>

using namespace vorlund;
using namespace vorlund::testing;

namespace {

std::string hashUpper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

const std::string kOdbcIni = "Software\\ODBC\\ODBC.INI";
const std::string kSources = "Software\\ODBC\\ODBC.INI\\ODBC Data Sources";

struct Entry {
    std::string display = "Lager";
    int32_t version = 1;
    std::string mdbname = "lager.mdb";
    std::string mdbpath;
    std::string tmpdir;
    std::string odbcname = "VORLUND_TEST_DSN";
    std::string odbcpath = "D:\\Daten\\lager.gdb";
    std::string charset = "ISO8859_1";
    std::string role = "3";
    std::string groesse, pruefsumme, gesperrt; // what was published, a lock
};

void add(ProgramList& list, const Entry& e) {
    list.Append();
    list.SetField("version", e.version);
    list.SetField("mdbname", e.mdbname);
    list.SetField("mdbpath", e.mdbpath);
    list.SetField("tmpdir", e.tmpdir);
    list.SetField("displayname", e.display);
    list.SetField("odbcname", e.odbcname);
    list.SetField("odbcpath", e.odbcpath);
    list.SetField("odbcCharacterset", e.charset);
    list.SetField("odbcRole", e.role);
    list.SetField("groesse", e.groesse);
    list.SetField("pruefsumme", e.pruefsumme);
    list.SetField("gesperrt", e.gesperrt);
    list.Post();
}

class PreparationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clearRegistry();
        programs.Open();
        run.registry = std::make_unique<TRegistry>();
        run.config = std::make_unique<IniFile>(dir / "unused.INI");
        run.driverPath = "C:\\windows\\SYSTEM32\\ib6xtg10.dll";
        entry.mdbpath = dir / "share\\";
        entry.tmpdir = dir / "local\\";
        CreateDirectoryA(entry.mdbpath.c_str(), nullptr);
    }
    void TearDown() override { clearRegistry(); }
    void clearRegistry() {
        DeleteRegTree(HKEY_CURRENT_USER, kOdbcIni + "\\VORLUND_TEST_DSN");
        DeleteRegTree(HKEY_CURRENT_USER, kOdbcIni + "\\OTHER_DSN");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kSources.c_str(), "VORLUND_TEST_DSN");
        DeleteRegTree(HKEY_CURRENT_USER, "Software\\KORVEL");
    }
    std::string value(const std::string& key, const std::string& name) {
        std::string v = "<absent>";
        ReadRegString(HKEY_CURRENT_USER, key, name, v);
        return v;
    }
    void prepare(int32_t id = 0) { LaunchProgram(host, programs, run, id); }

    TempDir dir{"prepare"};
    Entry entry;
    ProgramList programs;
    RunState run;
    RecordingHost host;
};

std::string odbcRead(const std::string& dsn, const std::string& key) {
    char buffer[512] = {};
    SQLSetConfigMode(ODBC_USER_DSN);
    const int n = SQLGetPrivateProfileString(dsn.c_str(), key.c_str(), "<none>", buffer,
                                             sizeof buffer, "ODBC.INI");
    SQLSetConfigMode(ODBC_BOTH_DSN);
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

} // namespace

TEST_F(PreparationTest, AnUnknownIdWritesNothingAndShowsNothing) {
    add(programs, entry);
    prepare(5);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kOdbcIni + "\\VORLUND_TEST_DSN"));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.hides, 0);
    EXPECT_EQ(programs.RecordCount(), 0);
}

// Without its backslash tmpdir and mdbname join to a file beside the
// directory: Access must trust the directory the copy lies in.
TEST_F(PreparationTest, TheTrustedLocationIsTheDirectoryTheCopyLiesIn) {
    entry.version = 0;
    entry.tmpdir = dir / "Lager"; // the copy is dir\Lagerlager.mdb
    WriteFileBytes(entry.tmpdir + entry.mdbname, "local copy");
    programs.Append();
    programs.SetField("version", 0);
    programs.SetField("mdbname", entry.mdbname);
    programs.SetField("mdbpath", entry.mdbpath);
    programs.SetField("tmpdir", entry.tmpdir);
    programs.SetField("displayname", entry.display);
    programs.SetField("odbcname", entry.odbcname);
    programs.SetField("trustedlocation", 1);
    programs.Post();
    prepare();
    const std::string key = "Software\\Microsoft\\Office\\16.0\\Access\\Security\\Trusted "
                            "Locations\\Vorlund1";
    EXPECT_EQ(value(key, "Path"), dir.Path());
    for (const char* version : {"12.0", "14.0", "15.0", "16.0"})
        DeleteRegTree(HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\" + std::string(version));
}

TEST_F(PreparationTest, TheDataSourceIsWhatTheOdbcInstallerReadsBack) {
    entry.version = 0;
    Entry other = entry;
    other.display = "Other";
    other.odbcname = "OTHER_DSN";
    add(programs, other);
    add(programs, entry);
    CreateDirectoryA(entry.tmpdir.c_str(), nullptr);
    WriteFileBytes(entry.tmpdir + entry.mdbname, "local copy"); // no installation this run
    prepare(1);

    const std::string key = kOdbcIni + "\\VORLUND_TEST_DSN";
    EXPECT_EQ(value(key, "Database"), "D:\\Daten\\lager.gdb");
    EXPECT_EQ(value(key, "CharacterSet"), "ISO8859_1");
    EXPECT_EQ(value(key, "Driver"), run.driverPath);
    EXPECT_EQ(value(key, "Role"), "3");
    EXPECT_EQ(value(kSources, "VORLUND_TEST_DSN"), "XTG Systems InterBase6 ODBC driver");
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kOdbcIni + "\\OTHER_DSN"));

    // Another program's view of the same data source.
    EXPECT_EQ(odbcRead("VORLUND_TEST_DSN", "Database"), "D:\\Daten\\lager.gdb");
    EXPECT_EQ(odbcRead("VORLUND_TEST_DSN", "Driver"), run.driverPath);
    EXPECT_EQ(odbcRead("ODBC Data Sources", "VORLUND_TEST_DSN"),
              "XTG Systems InterBase6 ODBC driver");

    EXPECT_EQ(run.displayName, "Lager");
    EXPECT_EQ(run.errorCount, 0);
    EXPECT_EQ(run.config, nullptr);      // released once the data source stood
    ASSERT_EQ(host.messages.size(), 1u); // no program opens .mdb files in this prefix
    EXPECT_EQ(host.messages[0].text, texts::kStartFailed);
    EXPECT_EQ(host.hides, 1);
}

TEST_F(PreparationTest, PreparingTwiceKeepsOtherValuesAndOverwritesOurs) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (kOdbcIni + "\\VORLUND_TEST_DSN").c_str(), 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    {
        win::UniqueKey k(h);
        RegSetValueExA(h, "User", 0, REG_SZ, reinterpret_cast<const BYTE*>("SYSDBA"), 7);
        RegSetValueExA(h, "Role", 0, REG_SZ, reinterpret_cast<const BYTE*>("old"), 4);
    }
    entry.odbcpath = "";
    entry.charset = "";
    entry.role = "";
    add(programs, entry);
    run.config.reset();
    ASSERT_TRUE(RegisterOdbcDataSource(programs, run));
    ASSERT_TRUE(RegisterOdbcDataSource(programs, run));
    const std::string key = kOdbcIni + "\\VORLUND_TEST_DSN";
    EXPECT_EQ(value(key, "User"), "SYSDBA");
    EXPECT_EQ(value(key, "Role"), "");
    EXPECT_EQ(value(key, "Database"), "");
    EXPECT_EQ(value(key, "CharacterSet"), "");
    DWORD count = 0;
    HKEY k = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k);
    win::UniqueKey owned(k);
    RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                     nullptr, nullptr, nullptr);
    EXPECT_EQ(count, 5u);
}

TEST_F(PreparationTest, AKeyThatCannotBeCreatedGivesTheWarningAndWritesNothing) {
    // A volatile parent cannot get a lasting child: the create fails for real.
    DeleteRegTree(HKEY_CURRENT_USER, kOdbcIni);
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOdbcIni.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(h);
    add(programs, entry);
    prepare(0);
    DeleteRegTree(HKEY_CURRENT_USER, kOdbcIni);

    EXPECT_EQ(run.errorCount, 1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, texts::kOdbcWarning);
    EXPECT_EQ(host.messages[0].type, MessageType::Warning);
    EXPECT_EQ(host.hides, 0);
    EXPECT_NE(run.config, nullptr);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\KORVEL\\Lager"));
}

// ---- version check and installation

class InstallTest : public PreparationTest {
  protected:
    std::string central() { return entry.mdbpath + entry.mdbname; }
    std::string local() { return entry.tmpdir + entry.mdbname; }
    void installed(DWORD version) {
        HKEY h = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KORVEL\\Lager", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &h, nullptr);
        win::UniqueKey k(h);
        RegSetValueExA(h, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version), 4);
    }
    std::optional<DWORD> recorded() {
        DWORD v = 0;
        if (!ReadRegDword(HKEY_CURRENT_USER, "Software\\KORVEL\\Lager", "Version", v))
            return std::nullopt;
        return v;
    }
    void check(InstallSystem& system = InstallSystem::Real()) {
        add(programs, entry);
        programs.SetFilter("ID=0");
        programs.SetFiltered(true);
        run.displayName = entry.display;
        CheckVersionAndInstall(host, programs, run, system);
    }
    // The old copy, installed by this release: "old" with its marker.
    void oldCopy(DWORD version = 1) {
        installed(version);
        CreateDirectoryA(entry.tmpdir.c_str(), nullptr);
        WriteFileBytes(local(), "old");
        WriteFileBytes(local() + ".version", std::to_string(version) + "\r\n");
    }
    // One run of its own on the list as it stands; its last message or error.
    std::string install(InstallSystem& system) {
        RunState state;
        state.registry = std::make_unique<TRegistry>();
        state.displayName = entry.display;
        RecordingHost h;
        try {
            CheckVersionAndInstall(h, programs, state, system);
        } catch (const ERegistryException& e) {
            return e.what();
        }
        return h.messages.empty() ? "" : h.messages.back().text;
    }
    std::string marker() {
        return FileExists(local() + ".version") ? ReadFileBytes(local() + ".version") : "<none>";
    }
    std::vector<std::string> filesInInstallDir() {
        std::vector<std::string> names = InstallSystem::Real().FindFiles(entry.tmpdir + "*");
        std::sort(names.begin(), names.end());
        return names;
    }
    // Version 2 on the share; the old copy open in this process, as Access
    // or a virus scanner would hold it.
    win::File newVersionWithTheOldCopyHeld() {
        oldCopy();
        entry.version = 2;
        WriteFileBytes(central(), "new");
        return win::File(CreateFileA(local().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    }
    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (const auto& m : host.messages)
            out.push_back(m.text);
        return out;
    }
};

TEST_F(InstallTest, FirstRunInstallsAndDoesNotLaunch) {
    WriteFileBytes(central(), PatternBytes(150000));
    check();
    EXPECT_EQ(recorded(), 1u);
    EXPECT_EQ(ReadFileBytes(local()), PatternBytes(150000));
    EXPECT_EQ(texts(), (std::vector<std::string>{texts::announceNewVersion("Lager"),
                                                 texts::installSucceeded("Lager")}));
    EXPECT_EQ(host.messages[0].type, MessageType::Information);
    EXPECT_EQ(host.messages[1].type, MessageType::Information);
    EXPECT_EQ(run.errorCount, 1); // what keeps the launch from starting the database
    EXPECT_FALSE(FileExists(PartialCopyPath(local())));
}

TEST_F(InstallTest, EqualVersionsWithTheLocalCopyDoNothing) {
    installed(1);
    CreateDirectoryA(entry.tmpdir.c_str(), nullptr);
    WriteFileBytes(local(), "mine");
    check();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(ReadFileBytes(local()), "mine");
    EXPECT_EQ(run.errorCount, 0);
    EXPECT_EQ(recorded(), 1u);
}

TEST_F(InstallTest, EqualVersionsWithoutTheLocalCopyInstallAgain) {
    installed(1);
    WriteFileBytes(central(), "central");
    check();
    EXPECT_EQ(texts(), (std::vector<std::string>{texts::announceNewVersion("Lager"),
                                                 texts::installSucceeded("Lager")}));
    EXPECT_EQ(ReadFileBytes(local()), "central");
    EXPECT_EQ(run.errorCount, 1);
}

TEST_F(InstallTest, VersionZeroWithTheLocalCopyWritesNoVersion) {
    entry.version = 0;
    CreateDirectoryA(entry.tmpdir.c_str(), nullptr);
    WriteFileBytes(local(), "mine");
    check();
    EXPECT_FALSE(recorded().has_value());
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "Software\\KORVEL\\Lager")); // created, empty
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(InstallTest, AMissingLocalCopyIsInstalledAgainEvenWhenOlder) {
    installed(5);
    entry.version = 3;
    WriteFileBytes(central(), "central");
    check();
    EXPECT_EQ(recorded(), 3u); // overwritten with the lower number
    EXPECT_EQ(ReadFileBytes(local()), "central");
    EXPECT_EQ(run.errorCount, 1);
}

TEST_F(InstallTest, ALoweredVersionWithTheLocalCopyKeepsTheHigherNumber) {
    installed(5);
    entry.version = 3;
    CreateDirectoryA(entry.tmpdir.c_str(), nullptr);
    WriteFileBytes(local(), "mine");
    check();
    EXPECT_EQ(recorded(), 5u);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(InstallTest, AnOldCopyHeldOpenIsWaitedForThenLeftAsItIs) {
    win::File held = newVersionWithTheOldCopyHeld();
    ASSERT_TRUE(held);
    FailingSystem patient; // every operation real, the waits counted
    check(patient);
    held.close();
    EXPECT_EQ(texts(), (std::vector<std::string>{texts::announceNewVersion("Lager"),
                                                 texts::deletionFailed("Lager")}));
    EXPECT_EQ(host.messages[1].type, MessageType::Warning);
    EXPECT_EQ(patient.paused, 8000u);
    EXPECT_EQ(run.errorCount, 1);
    EXPECT_EQ(recorded(), 1u); // so that the next start installs
    EXPECT_EQ(ReadFileBytes(local()), "old");
    EXPECT_TRUE(host.barPositions.empty()); // refused before any byte was copied
}

// Another launcher installs the same copy; this one waits where the user
// sees it, and a close while it waits ends the run: no install, no launch.
TEST_F(InstallTest, ClosedWhileAnotherLauncherInstallsEndsWithoutALaunch) {
    WriteFileBytes(central(), "new");
    HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread other([&] {
        win::UniqueKernel lock(
            CreateMutexW(nullptr, TRUE, win::Wide(InstallLockName(local())).c_str()));
        SetEvent(taken);
        WaitForSingleObject(done, 10000);
        ReleaseMutex(lock.get());
    });
    WaitForSingleObject(taken, 10000);
    host.onPump = [&](int) { host.endRequested = true; };
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    check();
    SetEvent(done);
    other.join();
    CloseHandle(taken);
    CloseHandle(done);
    EXPECT_EQ(host.waitingShown, 1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(run.errorCount, 1); // what keeps the launch from opening the old copy
    EXPECT_EQ(run.log.result, RunResult::Abandoned);
    EXPECT_FALSE(FileExists(local()));
}

// A launcher in another session with the same tmpdir cleans up leftovers
// just before this one's rename: the finished partial file is still held,
// so it is no leftover and stays.
TEST_F(InstallTest, AFinishedPartialFileWaitingForItsRenameIsNoLeftover) {
    oldCopy();
    entry.version = 2;
    WriteFileBytes(central(), "new");
    struct OtherSessionCleansUp : FailingSystem {
        std::string local;
        Status Rename(HANDLE partial, const std::string& to) override {
            RemoveLeftoverPartials(InstallSystem::Real(), local);
            return FailingSystem::Rename(partial, to);
        }
    } system;
    system.local = local();
    check(system);
    EXPECT_EQ(texts(), (std::vector<std::string>{texts::announceNewVersion("Lager"),
                                                 texts::installSucceeded("Lager")}));
    EXPECT_EQ(ReadFileBytes(local()), "new");
}

// A copy made read-only (by hand, or taken from a CD) is no copy held by a
// program: it is replaced at once.
TEST_F(InstallTest, AReadOnlyOldCopyIsReplacedWithoutWaiting) {
    oldCopy();
    entry.version = 2;
    WriteFileBytes(central(), "new");
    ASSERT_TRUE(SetFileAttributesA(local().c_str(), FILE_ATTRIBUTE_READONLY));
    // Windows refuses to replace a read-only file; Wine does not, so the
    // rename here does as Windows does.
    struct LikeWindows : FailingSystem {
        Status Rename(HANDLE partial, const std::string& to) override {
            const DWORD attributes = GetFileAttributesA(to.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
                return {ERROR_ACCESS_DENIED};
            return FailingSystem::Rename(partial, to);
        }
    } patient;
    check(patient);
    EXPECT_EQ(texts(), (std::vector<std::string>{texts::announceNewVersion("Lager"),
                                                 texts::installSucceeded("Lager")}));
    EXPECT_EQ(patient.paused, 0u);
    EXPECT_EQ(ReadFileBytes(local()), "new");
}

// `attrib +r *` or a copy from a CD makes the marker read-only with the copy.
// Windows refuses to overwrite or delete it; the new number must still get
// there, or every start would install again.
TEST_F(InstallTest, AReadOnlyCopyAndMarkerAreUpdatedAndTheNextStartOpens) {
    VORLUND_NEEDS_READ_ONLY_REFUSED();
    oldCopy();
    entry.version = 2;
    WriteFileBytes(central(), "new");
    for (const std::string& file : {local(), local() + ".version"})
        ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    check();
    EXPECT_EQ(texts(), (std::vector<std::string>{texts::announceNewVersion("Lager"),
                                                 texts::installSucceeded("Lager")}));
    EXPECT_EQ(marker(), "2\r\n");
    host.messages.clear();
    EXPECT_EQ(install(InstallSystem::Real()), ""); // the next start: nothing to install
    EXPECT_EQ(ReadFileBytes(local()), "new");
}

// A virus scanner holds the old copy for a moment: the real wait services the
// window, and the installation goes through once it lets go.
TEST_F(InstallTest, AnOldCopyHeldForAMomentIsReplacedAfterTheWait) {
    win::File held = newVersionWithTheOldCopyHeld();
    host.onPump = [&](int pass) {
        if (pass == 3)
            held.close();
    };
    check();
    EXPECT_GE(host.pumps, 3);
    EXPECT_EQ(texts(), (std::vector<std::string>{texts::announceNewVersion("Lager"),
                                                 texts::installSucceeded("Lager")}));
    EXPECT_EQ(ReadFileBytes(local()), "new");
}

TEST_F(InstallTest, PartialFilesOfKilledRunsGoButOneBeingWrittenStays) {
    oldCopy();
    entry.version = 2;
    WriteFileBytes(central(), "new");
    for (const char* name : {"lager.mdb.4242.partial", "lager.mdb.partial", "LAGER.MDB.7.PARTIAL",
                             "lager.mdb.x.partial", "other.mdb.1.partial"})
        WriteFileBytes(entry.tmpdir + name, "left");
    const std::string busy = entry.tmpdir + "lager.mdb.99.partial";
    win::File writing(
        CreateFileA(busy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    check();
    writing.close();
    EXPECT_EQ(filesInInstallDir(),
              (std::vector<std::string>{"lager.mdb", "lager.mdb.99.partial", "lager.mdb.version",
                                        "lager.mdb.x.partial", "other.mdb.1.partial"}));
}

TEST_F(InstallTest, AMissingCentralCopyWarnsWithUpperCasePathsAndLeavesNothing) {
    entry.mdbname = "bär.mdb";
    check();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].text,
              texts::copyFailed("Lager", entry.mdbpath + entry.mdbname, entry.tmpdir));
    EXPECT_NE(host.messages[1].text.find("BäR.MDB"), std::string::npos);
    EXPECT_EQ(host.messages[1].type, MessageType::Warning);
    EXPECT_EQ(run.errorCount, 0); // the launch follows
    EXPECT_FALSE(recorded().has_value());
    EXPECT_FALSE(FileExists(local()));
}

TEST_F(InstallTest, AnExpandedPathTooLongForWindowsIsRefusedNotShortened) {
    const std::string longDir = dir / std::string(250, 'd');
    SetEnvironmentVariableA("VORLUND_T_LONGDIR", longDir.c_str());
    entry.tmpdir = "%VORLUND_T_LONGDIR%\\";
    WriteFileBytes(central(), "db");
    check();
    SetEnvironmentVariableA("VORLUND_T_LONGDIR", nullptr);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].text, texts::copyFailed("Lager", central(), longDir + "\\"));
    EXPECT_FALSE(FileExists(longDir + "\\" + entry.mdbname));
}

TEST_F(InstallTest, AnInstallationDirectoryWithoutBackslashNamesAFileInItsParent) {
    entry.tmpdir = dir / "plain";
    WriteFileBytes(central(), "db");
    check();
    EXPECT_EQ(ReadFileBytes(dir / ("plain" + entry.mdbname)), "db");
    DWORD attr = GetFileAttributesA((dir / "plain").c_str());
    EXPECT_TRUE(attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(InstallTest, AVersionValueOfTheWrongTypeEscapesAsARegistryError) {
    HKEY h = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KORVEL\\Lager", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &h, nullptr);
    win::UniqueKey k(h);
    RegSetValueExA(h, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("7"), 2);
    try {
        check();
        FAIL() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Ungültiger Datentyp für 'Version'");
    }
}

namespace {

// Each operation failing the way the system would: what is left and shown.
enum Left { OldCopy, NewCopy };
enum Shown { CopyFailed, InUse, VersionRefused, Installed };
struct FailureCase {
    Op op;
    int nth, times;
    DWORD error;
    Left left;
    Shown shown;
    DWORD paused;
};
constexpr DWORD kLocked = ERROR_SHARING_VIOLATION, kOther = ERROR_GEN_FAILURE;
const std::vector<FailureCase> kFailureCases{
    {Op::Probe, 1, 1, kLocked, NewCopy, Installed, 100},
    {Op::Probe, 1, 0, ERROR_LOCK_VIOLATION, OldCopy, InUse, 8000},
    {Op::OpenSource, 1, 3, ERROR_FILE_NOT_FOUND, NewCopy, Installed, 300}, // between two renames
    {Op::OpenSource, 1, 0, ERROR_FILE_NOT_FOUND, OldCopy, CopyFailed, 6000},
    {Op::OpenSource, 1, 4, ERROR_ACCESS_DENIED, NewCopy, Installed, 400}, // the old one going
    {Op::OpenSource, 1, 0, ERROR_PATH_NOT_FOUND, OldCopy, CopyFailed, 0},
    {Op::SameFile, 1, 0, kOther, OldCopy, CopyFailed, 0},
    {Op::Size, 1, 0, kOther, OldCopy, CopyFailed, 0},
    {Op::IsFile, 1, 0, kOther, NewCopy, Installed, 0},      // the replace still waits its turn
    {Op::FindFiles, 1, 0, kOther, NewCopy, Installed, 0},   // leftovers wait for the next one
    {Op::ReadVersion, 1, 0, kOther, NewCopy, Installed, 0}, // read as absent
    {Op::CreatePartial, 1, 2, ERROR_ACCESS_DENIED, NewCopy, Installed, 300},
    {Op::CreatePartial, 1, 0, ERROR_DISK_FULL, OldCopy, CopyFailed, 0},
    {Op::Read, 3, 1, kOther, OldCopy, CopyFailed, 0},
    {Op::Write, 4, 1, ERROR_DISK_FULL, OldCopy, CopyFailed, 0},
    {Op::Flush, 1, 1, kOther, OldCopy, CopyFailed, 0},
    {Op::Close, 1, 1, kOther, NewCopy, Installed, 0}, // after the flush and the rename
    {Op::Rename, 1, 1, kLocked, NewCopy, Installed, 100},
    {Op::Rename, 1, 0, kLocked, OldCopy, InUse, 8000},
    {Op::Rename, 1, 0, ERROR_PATH_NOT_FOUND, OldCopy, CopyFailed, 0},
    {Op::Marker, 1, 0, kOther, NewCopy, Installed, 0},
    {Op::Version, 1, 0, kOther, NewCopy, VersionRefused, 0},
};

} // namespace

TEST_F(InstallTest, AFailureAnywhereKeepsTheOldCopyOrPutsTheNewOneWhole) {
    const std::string fresh = PatternBytes(200000, 8); // four chunks, eight reads
    WriteFileBytes(central(), fresh);
    entry.version = 2;
    add(programs, entry);
    programs.SetFilter("ID=0");
    programs.SetFiltered(true);
    const std::string shown[] = {
        texts::copyFailed("Lager", central(), entry.tmpdir), texts::deletionFailed("Lager"),
        "Konnte Daten für 'Version' nicht setzen", texts::installSucceeded("Lager")};
    for (const FailureCase& c : kFailureCases) {
        SCOPED_TRACE(::testing::Message()
                     << "op " << static_cast<int>(c.op) << " times " << c.times);
        oldCopy();
        FailingSystem failing(c.op, c.nth, c.times, c.error);
        EXPECT_EQ(install(failing), shown[c.shown]);
        EXPECT_EQ(failing.paused, c.paused);
        const bool replaced = c.left == NewCopy;
        EXPECT_EQ(ReadFileBytes(local()), replaced ? fresh : "old");
        EXPECT_EQ(recorded(), replaced && c.shown != VersionRefused ? 2u : 1u);
        // The marker tells the copy that is there, or is gone.
        EXPECT_EQ(marker(), !replaced ? "1\r\n" : c.op == Op::Marker ? "<none>" : "2\r\n");
        const std::vector<std::string> files{"lager.mdb", "lager.mdb.version"};
        EXPECT_EQ(filesInInstallDir(), c.op == Op::Marker ? std::vector<std::string>{"lager.mdb"}
                                                          : files); // no partial file left

        EXPECT_EQ(install(InstallSystem::Real()),
                  replaced && c.shown != VersionRefused ? "" : shown[Installed]);
        EXPECT_EQ(recorded(), 2u);
        EXPECT_EQ(ReadFileBytes(local()), fresh);
        EXPECT_EQ(marker(), c.op == Op::Marker ? "<none>" : "2\r\n");
    }
}

// ---- launch

TEST_F(PreparationTest, TheLaunchWaitsTwoSecondsAndHides) {
    run.installDir = dir.Path();
    run.mdbName = "absent.mdb";
    LaunchStep(host, run);
    EXPECT_GE(host.timerStopped - host.timerStarted, 1900u);
    EXPECT_GT(host.pumps, 0);
    ASSERT_EQ(host.messages.size(), 1u); // the shell found no file to open
    EXPECT_EQ(host.messages[0].text, texts::kStartFailed);
    EXPECT_EQ(host.messages[0].type, MessageType::Error);
    EXPECT_EQ(host.hides, 1);
}

namespace {

std::string windowsText(DWORD error) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof text, nullptr);
    std::string out(text);
    while (!out.empty() && (out.back() == ' ' || out.back() == '\r' || out.back() == '\n'))
        out.pop_back();
    return out;
}

} // namespace

// Whatever an earlier call left as the thread's last error is not the
// reason the log gives for a refused start or a failed copy.
TEST_F(InstallTest, TheLoggedReasonIsTheFailuresOwn) {
    run.installDir = entry.tmpdir;
    CreateDirectoryA(entry.tmpdir.c_str(), nullptr);
    run.mdbName = "present.vorlundnone"; // no program opens it
    WriteFileBytes(entry.tmpdir + run.mdbName, "x");
    SetLastError(ERROR_ALREADY_EXISTS);
    LaunchStep(host, run);
    EXPECT_EQ(run.log.result, RunResult::StartFailed);
    EXPECT_NE(run.log.detail, windowsText(ERROR_ALREADY_EXISTS));

    RunState copying;
    copying.registry = std::make_unique<TRegistry>();
    copying.displayName = entry.display;
    WriteFileBytes(central(), "new");
    add(programs, entry);
    programs.SetFilter("ID=0");
    programs.SetFiltered(true);
    FailingSystem full(Op::CreatePartial, 1, 0, ERROR_DISK_FULL);
    CheckVersionAndInstall(host, programs, copying, full);
    EXPECT_EQ(copying.log.result, RunResult::CopyFailed);
    EXPECT_EQ(copying.log.detail, windowsText(ERROR_DISK_FULL));
}

TEST_F(PreparationTest, ANonZeroCounterSkipsTheWaitAndTheOpen) {
    run.errorCount = 1;
    const ULONGLONG start = GetTickCount64();
    LaunchStep(host, run);
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_EQ(host.timerStarted, 0u);
    EXPECT_EQ(host.hides, 1);
}

// A refused start is never logged as a start, and the shell's own codes
// mean what the shell says, not the system errors of the same number (28
// is no printer out of paper).
TEST(ShellStart, EveryRefusalIsAFailureWithTheShellsOwnMeaning) {
    const struct {
        DWORD lastError;
        INT_PTR instApp;
        DWORD error;
    } cases[] = {
        {0, 0, ERROR_UNIDENTIFIED_ERROR},
        {0, 1, ERROR_UNIDENTIFIED_ERROR},
        {ERROR_ACCESS_DENIED, SE_ERR_NOASSOC, ERROR_ACCESS_DENIED},
        {0, SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
        {0, SE_ERR_PNF, ERROR_PATH_NOT_FOUND},
        {0, SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED},
        {0, SE_ERR_OOM, ERROR_NOT_ENOUGH_MEMORY},
        {0, ERROR_BAD_FORMAT, ERROR_BAD_FORMAT},
        {0, SE_ERR_SHARE, ERROR_SHARING_VIOLATION},
        {0, SE_ERR_ASSOCINCOMPLETE, ERROR_NO_ASSOCIATION},
        {0, SE_ERR_DDETIMEOUT, ERROR_TIMEOUT},
        {0, SE_ERR_DDEFAIL, ERROR_DDE_FAIL},
        {0, SE_ERR_DDEBUSY, ERROR_BUSY},
        {0, SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
        {0, SE_ERR_DLLNOTFOUND, ERROR_DLL_NOT_FOUND},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShellStartError(c.lastError, c.instApp), c.error)
            << c.lastError << " " << c.instApp;
}

TEST(Sha256, WindowsOwnHashGivesTheKnownDigests) {
    win::Sha256 abc;
    abc.Update("abc", 3);
    EXPECT_EQ(abc.HexDigest(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    win::Sha256 empty;
    EXPECT_EQ(empty.HexDigest(),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    TempDir dir("sha");
    WriteFileBytes(dir / "x", "abc");
    EXPECT_EQ(win::FileSha256(dir / "x"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(win::FileSha256(dir / "fehlt"), std::nullopt);
    // Read in whole sectors past the cache: ends anywhere in a block count.
    for (const size_t size : {0u, 1u, 4095u, 4096u, 4097u, (1u << 20) + 1, 3u << 20}) {
        const std::string bytes = PatternBytes(size, 5);
        win::Sha256 expected;
        expected.Update(bytes.data(), bytes.size());
        WriteFileBytes(dir / "y", bytes);
        EXPECT_EQ(win::FileSha256(dir / "y"), expected.HexDigest()) << size;
    }
}

// A copy is installed only when it is the one published. One that is not
// (still arriving on a replicated share, changed behind the configuration's
// back, or a published value that no file can match) records nothing, so the
// next start tries again, and the old copy opens meanwhile.
TEST_F(InstallTest, OnlyThePublishedCopyIsInstalled) {
    const std::string bytes = PatternBytes(200000, 3);
    win::Sha256 sha;
    sha.Update(bytes.data(), bytes.size());
    const std::string hash = *sha.HexDigest();
    const struct {
        const char* name;
        std::string groesse, pruefsumme;
        bool installs;
        bool copies; // bytes moved at all
    } cases[] = {
        {"both right", "200000", hash, true, true},
        {"the hash in capitals", "", hashUpper(hash), true, true},
        {"another size", "199999", hash, false, false},
        {"another hash", "200000", std::string(64, 'a'), false, true},
        {"no hash at all", "", "12ab", false, false},
        {"no size", "2OOOOO", "", false, false},
    };
    for (const auto& c : cases) {
        oldCopy();
        entry.version = 2;
        entry.groesse = c.groesse;
        entry.pruefsumme = c.pruefsumme;
        WriteFileBytes(central(), bytes);
        host.messages.clear();
        programs = ProgramList();
        programs.Open();
        run = RunState{};
        run.registry = std::make_unique<TRegistry>();
        check();
        EXPECT_TRUE(ReadFileBytes(local()) == (c.installs ? bytes : "old")) << c.name;
        EXPECT_EQ(recorded(), c.installs ? std::optional<DWORD>(2) : std::optional<DWORD>(1))
            << c.name;
        // The marker and the log line carry what the install verified.
        const std::string proof = "sha256=" + hash + "\r\ngroesse=200000\r\n";
        EXPECT_EQ(marker(), c.installs ? "2\r\n" + proof : "1\r\n") << c.name;
        if (c.installs) {
            EXPECT_EQ(run.log.detail, "gepr\u00FCft: SHA-256 " + hash + ", 200000 Bytes");
            EXPECT_TRUE(run.log.copyMilliseconds.has_value());
        }
        EXPECT_EQ(run.log.bytes, c.copies ? 200000 : 0) << c.name;
        EXPECT_EQ(run.log.result, c.installs ? RunResult::Installed : RunResult::Mismatch)
            << c.name;
        EXPECT_EQ(filesInInstallDir(), (std::vector<std::string>{"lager.mdb", "lager.mdb.version"}))
            << c.name;
        // What the configuration shows before the copy announces no install.
        ASSERT_EQ(host.messages.size(), c.copies ? 2u : 1u) << c.name;
        EXPECT_EQ(host.messages.back().text,
                  c.installs ? texts::installSucceeded("Lager") : texts::notArrivedYet("Lager"))
            << c.name;
        EXPECT_EQ(run.errorCount, c.installs ? 1 : 0) << c.name; // the old copy opens
    }
    // Without an old copy, the copy failure warning says why.
    DeleteFileA(local().c_str());
    host.messages.clear();
    programs = ProgramList();
    programs.Open();
    check();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, texts::copyFailed("Lager", central(), entry.tmpdir) + "\r" +
                                         std::string(texts::kNotThePublishedCopy));
    EXPECT_NE(run.log.detail.find("groesse="), std::string::npos) << run.log.detail;
}

// Locked by the administrator: the user reads why, and nothing is written
// or started.
// A front-end without a data source names none of its keys: nothing is
// registered and nothing warned of; one that names some but no odbcname
// keeps the warning.
TEST_F(PreparationTest, AnEntryWithoutAnyOdbcKeyRegistersNothingAndStarts) {
    entry.odbcname = entry.odbcpath = entry.charset = entry.role = "";
    WriteFileBytes(entry.mdbpath + entry.mdbname, "central");
    add(programs, entry);
    prepare();
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kOdbcIni + "\\VORLUND_TEST_DSN"));
    EXPECT_EQ(value(kSources, ""), "<absent>");
    ASSERT_EQ(host.messages.size(), 2u); // the new version, installed
    EXPECT_EQ(host.messages[1].text, texts::installSucceeded("Lager"));
    EXPECT_EQ(run.log.result, RunResult::Installed);

    ProgramList some;
    some.Open();
    entry.odbcpath = "D:\\Daten\\lager.gdb";
    add(some, entry);
    RunState other;
    other.registry = std::make_unique<TRegistry>();
    RecordingHost h;
    LaunchProgram(h, some, other, 0);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, texts::kOdbcWarning);
}

TEST_F(PreparationTest, ALockedApplicationIsNeitherRegisteredNorStarted) {
    entry.gesperrt = "Wartung bis 14 Uhr";
    add(programs, entry);
    prepare();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Lager ist zurzeit gesperrt:\r\rWartung bis 14 Uhr");
    EXPECT_EQ(host.messages[0].type, MessageType::Information);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kOdbcIni + "\\VORLUND_TEST_DSN"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\KORVEL"));
    EXPECT_EQ(run.log.result, RunResult::Locked);
    EXPECT_EQ(run.log.detail, "Wartung bis 14 Uhr");

    // In [SETUP], for every application.
    WriteFileBytes(dir / "all.INI", "[SETUP]\r\ngesperrt=Umzug des Servers\r\n");
    RunState other;
    other.registry = std::make_unique<TRegistry>();
    other.config = std::make_unique<IniFile>(dir / "all.INI");
    ProgramList list;
    list.Open();
    entry.gesperrt.clear();
    add(list, entry);
    RecordingHost h;
    LaunchProgram(h, list, other, 0);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, "Lager ist zurzeit gesperrt:\r\rUmzug des Servers");
}
