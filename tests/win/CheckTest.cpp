// The configuration check against states of this prefix's registry and
// files: its exit code, what it names, and that it leaves everything as it was.
#include "check/Inspect.h"
#include "check/Report.h"
#include "check/SharedAccess.h"
#include "config/ReleaseHistory.h"
#include "check/Verdict.h"
#include "prepare/PilotRelease.h"
#include "prepare/TrustedLocation.h"
#include "publish/PublisherKey.h"
#include "win/Sha256.h"
#include "support/WinTestSupport.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

using namespace vorlund;
using namespace vorlund::testing;
using namespace std::string_literals;

namespace {

class CheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateDirectoryA(share.c_str(), nullptr);
        setClass(".vorlundchk", "Vorlund.Check.Test");
        setClass("Vorlund.Check.Test\\shell\\open\\command", "opener.exe \"%1\"");
        clean();
    }
    void TearDown() override {
        clean();
        DeleteRegTree(HKEY_CLASSES_ROOT, ".vorlundchk");
        DeleteRegTree(HKEY_CLASSES_ROOT, "Vorlund.Check.Test");
    }
    static void setClass(const std::string& key, const std::string& value) {
        HKEY h = nullptr;
        RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                        nullptr);
        win::UniqueKey owner(h);
        RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
    static void clean() {
        DeleteRegTree(HKEY_CURRENT_USER, "Software\\KORVEL\\Pr\xFC"
                                         "fling");
        DeleteRegTree(HKEY_CURRENT_USER, "Software\\ODBC\\ODBC.INI\\CHECK_DSN");
    }
    void ini(int version, const std::string& tmpdir = "") {
        WriteFileBytes(path, "[SETUP]\r\n[Eins]\r\nversion=" + std::to_string(version) +
                                 "\r\nmdbname=db.vorlundchk\r\nmdbpath=" + share +
                                 "\r\ntmpdir=" + (tmpdir.empty() ? local : tmpdir) +
                                 "\r\ndisplayname=Pr\xFC"
                                 "fling\r\nodbcname=CHECK_DSN\r\n");
    }
    int check() {
        facts = check::Inspect(path);
        report = check::Report(facts, "test");
        return check::ExitCodeFor(facts);
    }

    TempDir dir{"check"};
    std::string path = dir / "vorlund.INI";
    std::string share = dir / "share\\";
    std::string local = dir / "neu\\lokal\\";
    check::ConfigFacts facts;
    std::string report;
};

} // namespace

TEST_F(CheckTest, AFaultyConfigurationGivesTwoAndSaysWhy) {
    EXPECT_EQ(check(), 2);
    EXPECT_NE(report.find("nicht vorhanden"), std::string::npos) << report;
    WriteFileBytes(path, "[Setup]\r\nJpegImage=x.jpg\r\n");
    EXPECT_EQ(check(), 2);
    EXPECT_NE(report.find("auß"
                          "er [SETUP]"),
              std::string::npos)
        << report;
}

TEST_F(CheckTest, ANeededInstallWithoutTheCentralCopyFailsAndNamesItChangingNothing) {
    ini(4);
    EXPECT_EQ(check(), 1);
    EXPECT_NE(report.find("die zentrale Kopie fehlt: " + share + "db.vorlundchk"),
              std::string::npos)
        << report;
    EXPECT_EQ(facts.entries.at(0).installDirState, check::DirState::WouldBeCreated);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\KORVEL\\Pr\xFC"
                                                 "fling"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\ODBC\\ODBC.INI\\CHECK_DSN"));
    EXPECT_EQ(GetFileAttributesA((dir / "neu").c_str()), INVALID_FILE_ATTRIBUTES);

    WriteFileBytes(share + "db.vorlundchk", "central");
    EXPECT_EQ(check(), 0); // now it would install
    EXPECT_TRUE(check::CopyNeeded(facts.entries.at(0)));
}

// The keys that make Access ready to work, as the next start would use them.
TEST_F(CheckTest, TrustedLocationProgramAndRefreshAreShownAsTheLaunchWouldUseThem) {
    CreateDirectoryA((dir / "neu").c_str(), nullptr);
    CreateDirectoryA(local.c_str(), nullptr);
    WriteFileBytes(share + "db.vorlundchk", std::string(100, 'c'));
    WriteFileBytes(local + "db.vorlundchk", std::string(301, 'l'));
    const std::string policy = TrustedLocationsPolicyKey("14.0");
    const DWORD off = 0;
    RegSetKeyValueA(HKEY_CURRENT_USER, policy.c_str(), "allow user locations", REG_DWORD, &off, 4);
    ini(0);
    WriteFileBytes(path, ReadFileBytes(path) +
                             "trustedlocation=1\r\nrefreshsize=300\r\n"
                             "accessexe=" +
                             dir / "fehlt.exe" + "\r\naccessargs=/runtime\r\n");
    EXPECT_EQ(check(), 1); // the program is missing
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\Policies\\Microsoft\\Office\\14.0");
    for (const std::string& line :
         {"    Access 16.0:       wird als vertrauensw\u00FCrdiger Speicherort eingetragen"s,
          "allow user locations = 0, Access 14.0"s,
          "  Start mit:           \"" + dir / "fehlt.exe" + "\" \"" + local +
              "db.vorlundchk\" /runtime",
          "WARNUNG: das Programm fehlt: " + dir / "fehlt.exe",
          "lokal 301 Bytes, zentral 100 Bytes, 301 % von 300 % \u2013 der n\u00E4chste Start "
          "kopiert neu"s})
        EXPECT_NE(report.find(line), std::string::npos) << line << "\n" << report;
    EXPECT_TRUE(check::RefreshesNext(facts.entries.at(0)));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, TrustedLocationsKey("16.0"))); // changes nothing
}

// Access ignores a location on the network unless network locations are
// allowed, by policy before the user's own setting, and a policy can switch
// every location off.
TEST_F(CheckTest, TheTrustedLocationsPoliciesAndNetworkSettingsAreRead) {
    const DWORD on = 1, off = 0;
    const auto set = [](const std::string& key, const char* name, const DWORD& value) {
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, 4);
    };
    set(TrustedLocationsAccessPolicyKey("12.0"), "AllLocationsDisabled", on);
    set(TrustedLocationsKey("14.0"), "AllowNetworkLocations", on);
    set(TrustedLocationsKey("15.0"), "AllowNetworkLocations", on);
    set(TrustedLocationsAccessPolicyKey("15.0"), "AllowNetworkLocations", off);
    // The Trust Center's own box, and a policy that overrules it.
    set(TrustedLocationsKey("14.0"), "AllLocationsDisabled", on);
    set(TrustedLocationsKey("16.0"), "AllLocationsDisabled", on);
    set(TrustedLocationsAccessPolicyKey("16.0"), "AllLocationsDisabled", off);
    ini(0, "\\\\vorlund-kein-server\\apps\\lager\\");
    WriteFileBytes(path, ReadFileBytes(path) + "trustedlocation=1\r\n");
    check();
    for (const char* version : {"12.0", "14.0", "15.0", "16.0"}) {
        DeleteRegTree(HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\" + std::string(version));
        DeleteRegTree(HKEY_CURRENT_USER,
                      "Software\\Policies\\Microsoft\\Office\\" + std::string(version));
    }
    const auto& trust = facts.entries.at(0).trust;
    ASSERT_EQ(trust.size(), 4u);
    EXPECT_TRUE(facts.entries.at(0).trustOnNetwork);
    EXPECT_EQ((std::vector<bool>{trust[0].allLocationsDisabled, trust[1].allLocationsDisabled,
                                 trust[2].allLocationsDisabled, trust[3].allLocationsDisabled}),
              (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ((std::vector<bool>{trust[0].networkAllowed, trust[1].networkAllowed,
                                 trust[2].networkAllowed, trust[3].networkAllowed}),
              (std::vector<bool>{false, true, false, false}));
    EXPECT_NE(report.find("AllLocationsDisabled = 1, Access 12.0"), std::string::npos) << report;
    EXPECT_EQ(report.find("Access 14.0 beachtet ihn nicht"), std::string::npos) << report;
    EXPECT_NE(report.find("Access 15.0 beachtet ihn nicht"), std::string::npos) << report;
}

TEST_F(CheckTest, AHealthyInstalledEntryGivesZero) {
    ini(4);
    CreateDirectoryA((dir / "neu").c_str(), nullptr);
    CreateDirectoryA(local.c_str(), nullptr);
    WriteFileBytes(local + "db.vorlundchk", "local");
    HKEY h = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER,
                    "Software\\KORVEL\\Pr\xFC"
                    "fling",
                    0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
    const DWORD four = 4;
    RegSetValueExA(h, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&four), 4);
    RegCloseKey(h);
    EXPECT_EQ(check(), 0) << report;
    EXPECT_NE(report.find("opener.exe \"%1\""), std::string::npos);
    EXPECT_NE(report.find("startet die Datenbank"), std::string::npos);
    // The marker's proof: is the local copy still the one installed?
    const std::string marker = local + "db.vorlundchk.version";
    WriteFileBytes(marker, "4\r\nsha256=" + *win::FileSha256(local + "db.vorlundchk") +
                               "\r\ngroesse=5\r\n");
    EXPECT_EQ(check(), 0) << report;
    EXPECT_NE(report.find("noch die installierte (SHA-256 und Gr\u00F6\u00DFe stimmen)"),
              std::string::npos)
        << report;
    WriteFileBytes(local + "db.vorlundchk", "Local"); // Access worked in it
    EXPECT_EQ(check(), 0) << report;
    EXPECT_NE(report.find("nicht mehr die installierte"), std::string::npos) << report;
    // Without any ODBC key the front-end needs no data source and no driver.
    const std::string withOdbc = ReadFileBytes(path);
    WriteFileBytes(path, withOdbc.substr(0, withOdbc.find("odbcname=")));
    EXPECT_EQ(check(), 0) << report;
    EXPECT_NE(report.find("  Datenquelle:         ohne ODBC-Datenquelle"), std::string::npos)
        << report;
    EXPECT_NE(report.find("ODBC-Treiber:          nicht gebraucht"), std::string::npos) << report;

    // The same entry with its old copy still open cannot be updated.
    ini(5);
    win::File held(CreateFileA((local + "db.vorlundchk").c_str(), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, 0, nullptr));
    WriteFileBytes(share + "db.vorlundchk", "central");
    EXPECT_EQ(check(), 1);
    EXPECT_TRUE(facts.entries.at(0).localHeld);
}

TEST_F(CheckTest, ThePlacesRealWindowsDiffersInAreNamed) {
    char wow64[MAX_PATH] = {};
    ASSERT_GT(GetSystemWow64DirectoryA(wow64, MAX_PATH), 0u);
    const std::string driver32 = std::string(wow64) + "\\ib6xtg10.dll";
    WriteFileBytes(driver32, "MZ"); // the 32-bit driver, where 64-bit Windows keeps it
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH); // a 64-bit program opens the database
    std::string command = "\"";
    command.append(self).append("\" \"%1\""); // one piece at a time: GCC 12 warns wrongly on +
    setClass("Vorlund.Check.Test\\shell\\open\\command", command);
    ini(4, dir / std::string(150, 't') + "\\");
    check();
    DeleteFileA(driver32.c_str());

    EXPECT_FALSE(facts.driverPresent);
    EXPECT_TRUE(facts.driver32Present);
    EXPECT_NE(report.find(driver32 + " – vorhanden"), std::string::npos) << report;
    EXPECT_NE(report.find("ein 64-Bit-Programm"), std::string::npos) << report;
    const std::string cut = "tmpdir hat " + std::to_string(dir.Path().size() + 151) +
                            " Zeichen; Vorlund kürzt auf 128.";
    EXPECT_NE(report.find(cut), std::string::npos) << report;
}

// The slips the launcher now refuses fail the entry, each named; what the
// reader passes over stands under the line it concerns.
TEST_F(CheckTest, AnInstallDirectoryOfNoOwnFailsAndEachWarningStandsUnderItsLine) {
    WriteFileBytes(share + "db.vorlundchk", "central");
    ini(4, share); // tmpdir = mdbpath
    EXPECT_EQ(check(), 1);
    EXPECT_NE(
        report.find("die lokale Kopie w\u00E4re die zentrale Kopie selbst (tmpdir = mdbpath)"),
        std::string::npos)
        << report;
    ini(4, "%VORLUND_NICHT_DEFINIERT%\\x\\");
    EXPECT_EQ(check(), 1);
    EXPECT_NE(report.find("tmpdir enth\u00E4lt eine Variable, die nicht definiert ist"),
              std::string::npos);

    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH); // a 64-bit program named by accessexe
    ini(4);
    WriteFileBytes(path, "[SETUP]\r\nlogdir=" + dir / "logs" + "\r\n" +
                             ReadFileBytes(path).substr(9) + "accessexe=" + self +
                             "\r\naccessargs=/pwd geheim\r\nversion=5\r\n");
    check();
    const size_t start = report.find("  Start mit:");
    const size_t bitness = report.find("ein 64-Bit-Programm");
    const size_t opener = report.find("\u00D6ffnen mit:");
    EXPECT_LT(opener, start) << report;
    EXPECT_LT(start, bitness) << report; // the program that starts, not the association
    EXPECT_EQ(report.find("geheim"), std::string::npos) << report;
    EXPECT_NE(report.find("/pwd ****"), std::string::npos) << report;
    EXPECT_LT(report.find("  Version:"), report.find("\u201Eversion\u201C steht 2-mal"));
    EXPECT_LT(report.find("\u201Eversion\u201C steht 2-mal"), report.find("  Zentrale Kopie:"));
    EXPECT_NE(report.find("Protokoll:             " + dir / "logs" + " \u2013 Ordner fehlt"),
              std::string::npos)
        << report;
}

// What was published against what the share holds: read once, timed; a
// mismatch fails the entry, a lock does not.
TEST_F(CheckTest, TheCentralCopyIsCheckedAgainstWhatWasPublished) {
    WriteFileBytes(share + "db.vorlundchk", "central");
    WriteFileBytes(share + "db.vorlundchk.vorher", "before");
    const std::string right = "ef6a5e20e8d2848a0d2a29ac8f4cd19b03a84c7ec6cc2b0ea2e8e5b5c8b38eb0";
    const auto with = [&](const std::string& keys) {
        ini(4);
        WriteFileBytes(path, ReadFileBytes(path) + keys);
        return check();
    };
    const std::string hash = *win::FileSha256(share + "db.vorlundchk");
    EXPECT_EQ(with("groesse=7\r\npruefsumme=" + hash + "\r\n"), 0) << report;
    EXPECT_NE(report.find("Bytes, SHA-256 " + hash + " \u2013 stimmt (gelesen in "),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("db.vorlundchk.vorher \u2013 vorhanden"), std::string::npos) << report;
    EXPECT_EQ(with("groesse=8\r\n"), 1);
    EXPECT_NE(report.find("STIMMT NICHT: Gr\u00F6\u00DFe: ver\u00F6ffentlicht 8 Bytes, auf dem "
                          "Server 7 Bytes"),
              std::string::npos)
        << report;
    EXPECT_EQ(with("pruefsumme=" + right + "\r\n"), 1) << report;
    EXPECT_EQ(with("pruefsumme=12ab\r\n"), 1);
    EXPECT_NE(report.find("ist keine SHA-256"), std::string::npos) << report;
    // An editor still open during a publish saved the old INI: it names .vorher.
    const std::string before = *win::FileSha256(share + "db.vorlundchk.vorher");
    EXPECT_EQ(with("groesse=6\r\npruefsumme=" + before + "\r\n"), 1);
    EXPECT_NE(report.find("nennt die vorherige Kopie (.vorher)"), std::string::npos) << report;
    // With the record of releases: which release the INI names, which lies central.
    WriteFileBytes(share + "db.vorlundchk.versionen",
                   FormatReleaseHistory({{3, 6, before, "", {}}, {4, 7, hash, "", {}}}));
    EXPECT_EQ(with("groesse=6\r\npruefsumme=" + before + "\r\n"), 1);
    EXPECT_NE(report.find("die Konfiguration nennt Version 3, die zentrale Kopie ist Version 4: "
                          "die INI wurde auf eine \u00E4ltere Ver\u00F6ffentlichung"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("  Versionen:           2 in "), std::string::npos) << report;
    DeleteFileA((share + "db.vorlundchk.versionen").c_str());
    WriteFileBytes(share + "db.vorlundchk.4711.partial", "halb");
    EXPECT_EQ(with("groesse=7\r\npruefsumme=" + hash + "\r\n"), 0) << report;
    EXPECT_NE(report.find("\u00FCbrig von einer abgebrochenen Ver\u00F6ffentlichung: " + share +
                          "db.vorlundchk.4711.partial (vorlundpublish r\u00E4umt"),
              std::string::npos)
        << report;
    DeleteFileA((share + "db.vorlundchk.4711.partial").c_str());
    EXPECT_EQ(with("gesperrt=Wartung\r\n"), 0);
    EXPECT_NE(report.find("  Gesperrt:            \u201EWartung\u201C"), std::string::npos)
        << report;
    EXPECT_NE(report.find("Ergebnis: gesperrt"), std::string::npos) << report;
}

namespace {

// An access list built entry by entry, in the order given (Wine keeps no
// lists for files of its own, and SetEntriesInAcl would sort them).
struct Sid {
    explicit Sid(WELL_KNOWN_SID_TYPE type) {
        DWORD size = sizeof bytes;
        CreateWellKnownSid(type, nullptr, bytes, &size);
    }
    explicit Sid(const char* text) {
        PSID sid = nullptr;
        ConvertStringSidToSidA(text, &sid);
        CopySid(sizeof bytes, bytes, sid);
        LocalFree(sid);
    }
    PSID get() { return bytes; }
    BYTE bytes[SECURITY_MAX_SID_SIZE] = {};
};

struct Entry {
    bool allow;
    Sid* who;
    ACCESS_MASK rights;
    DWORD flags = 0;
    bool conditional = false; // an allow under a condition (a callback entry)
};

struct BuiltAcl {
    explicit BuiltAcl(std::vector<Entry> entries) {
        InitializeAcl(reinterpret_cast<ACL*>(buffer), sizeof buffer, ACL_REVISION);
        for (Entry& e : entries)
            if (e.conditional)
                addConditional(e);
            else
                (e.allow ? AddAccessAllowedAceEx : AddAccessDeniedAceEx)(
                    reinterpret_cast<ACL*>(buffer), ACL_REVISION, e.flags, e.rights, e.who->get());
    }
    // Header, mask, SID, and the condition's bytes ("artx" and a claim).
    void addConditional(const Entry& e) {
        alignas(DWORD) BYTE ace[128] = {};
        const DWORD sidLength = GetLengthSid(e.who->get());
        const DWORD size =
            static_cast<DWORD>(sizeof(ACE_HEADER) + sizeof(ACCESS_MASK)) + sidLength + 8;
        auto* header = reinterpret_cast<ACE_HEADER*>(ace);
        header->AceType = ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
        header->AceSize = static_cast<WORD>(size);
        *reinterpret_cast<ACCESS_MASK*>(ace + sizeof(ACE_HEADER)) = e.rights;
        CopySid(sidLength, ace + sizeof(ACE_HEADER) + sizeof(ACCESS_MASK), e.who->get());
        memcpy(ace + size - 8, "artx\0\0\0\0", 8);
        AddAce(reinterpret_cast<ACL*>(buffer), ACL_REVISION_DS, MAXDWORD, ace, size);
    }
    const ACL* get() const { return reinterpret_cast<const ACL*>(buffer); }
    alignas(DWORD) BYTE buffer[1024] = {};
};

} // namespace

TEST(SharedAccess, AnyoneButTheUserWhoMayChangeItIsFoundAfterTheDenyEntries) {
    Sid self("S-1-5-21-1-2-3-1001"), domainUsers("S-1-5-21-1-2-3-513");
    Sid system(WinLocalSystemSid), admins(WinBuiltinAdministratorsSid), world(WinWorldSid),
        users(WinBuiltinUsersSid), authenticated(WinAuthenticatedUserSid),
        interactive(WinInteractiveSid);
    const auto write = FILE_GENERIC_WRITE;
    const struct {
        std::vector<Entry> entries;
        size_t others;
    } cases[] = {
        {{{true, &system, GENERIC_ALL}, {true, &admins, GENERIC_ALL}, {true, &self, write}}, 0},
        {{{true, &world, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}}, 0},
        {{{true, &world, FILE_ADD_FILE}}, 1}, // FILE_WRITE_DATA on a directory
        {{{true, &users, DELETE}}, 1},
        {{{true, &authenticated, FILE_APPEND_DATA}}, 1},
        {{{true, &users, GENERIC_ALL, INHERIT_ONLY_ACE | OBJECT_INHERIT_ACE}}, 0}, // new files only
        {{{true, &interactive, write}}, 1},
        {{{true, &domainUsers, write}}, 1},
        {{{false, &world, write | DELETE}, {true, &world, write | DELETE}}, 0}, // denied first
        {{{false, &domainUsers, write}, {true, &domainUsers, write}}, 0},
        {{{false, &users, write}, {true, &domainUsers, write}}, 0},
        {{{false, &domainUsers, write}, {true, &interactive, write}}, 1}, // not all of them
        {{{true, &world, write}, {false, &world, write}}, 1}, // a deny after it comes too late
        {{{false, &users, GENERIC_WRITE}, {true, &users, write}}, 0}, // generic rights mapped
        {{{true, &users, GENERIC_WRITE}}, 1},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const BuiltAcl acl(cases[i].entries);
        EXPECT_EQ(check::OthersWhoMayChange(acl.get(), self.get()).size(), cases[i].others) << i;
    }
    EXPECT_EQ(check::OthersWhoMayChange(nullptr, self.get()).size(), 1u);
    const BuiltAcl domain({{true, &domainUsers, write}});
    EXPECT_EQ(check::OthersWhoMayChange(domain.get(), self.get()),
              (std::vector<std::string>{"S-1-5-21-1-2-3-513"}));
    // The owner may always rewrite the list, unless OWNER RIGHTS says otherwise.
    Sid stranger("S-1-5-21-1-2-3-1002"), ownerRights(WinCreatorOwnerRightsSid);
    const BuiltAcl mine({{true, &self, write}});
    EXPECT_EQ(check::OthersWhoMayChange(mine.get(), self.get(), stranger.get()),
              (std::vector<std::string>{"S-1-5-21-1-2-3-1002 (Besitzer)"}));
    EXPECT_TRUE(check::OthersWhoMayChange(mine.get(), self.get(), self.get()).empty());
    const BuiltAcl limited({{true, &self, write}, {true, &ownerRights, FILE_GENERIC_READ}});
    EXPECT_TRUE(check::OthersWhoMayChange(limited.get(), self.get(), stranger.get()).empty());
    // Any OWNER RIGHTS entry takes the owner's own rights, a deny too.
    const BuiltAcl denied({{true, &self, write}, {false, &ownerRights, WRITE_DAC}});
    EXPECT_TRUE(check::OthersWhoMayChange(denied.get(), self.get(), stranger.get()).empty());
    // OWNER RIGHTS that lets the owner change the file keeps the owner in.
    const BuiltAcl owners({{true, &self, write}, {true, &ownerRights, FILE_GENERIC_WRITE}});
    EXPECT_EQ(check::OthersWhoMayChange(owners.get(), self.get(), stranger.get()),
              (std::vector<std::string>{"S-1-5-21-1-2-3-1002 (Besitzer)"}));
    // A condition the check cannot judge is named as such.
    const BuiltAcl conditional({{true, &domainUsers, write, 0, true}});
    const std::vector<std::string> named = check::OthersWhoMayChange(conditional.get(), self.get());
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0], "S-1-5-21-1-2-3-513 (unter einer Bedingung, die die Pr\u00FCfung nicht "
                        "beurteilen kann)");
}

// Where this PC pins publishers' keys, the check shows which, judges the
// entry's signature as the launcher would, and fails an install it would
// refuse; where none is pinned and Access trusts the copy, it says who may
// put code on every workstation.
TEST_F(CheckTest, TheSignatureIsJudgedByThePinnedKeys) {
    const std::string bytes = "Vorlund-Pr\xFC"
                              "fkopie";
    WriteFileBytes(share + "db.vorlundchk", bytes);
    const std::string sha = *win::FileSha256(share + "db.vorlundchk");
    publish::MadeKey made = publish::MakeSigningKey(), other = publish::MakeSigningKey();
    ASSERT_TRUE(made.key && other.key);
    const std::string signature = *publish::SignRelease(
        *made.key, {"Eins", "db.vorlundchk", 2, static_cast<int64_t>(bytes.size()), sha});
    ini(2);
    std::string text = ReadFileBytes(path);
    text += "groesse=" + std::to_string(bytes.size()) + "\r\npruefsumme=" + sha +
            "\r\nsignatur=" + signature + "\r\ntrustedlocation=1\r\n";
    WriteFileBytes(path, text);

    EXPECT_EQ(check(), 0) << report;
    EXPECT_NE(report.find("keine hinterlegt"), std::string::npos) << report;
    EXPECT_NE(report.find("Schl\u00FCssel " + made.key->id + " (nicht gepr\u00FCft"),
              std::string::npos)
        << report;
    // Whoever may change the share's folder: the user running this, at least.
    EXPECT_FALSE(facts.entries[0].othersWhoMayWriteCentral.empty());
    EXPECT_NE(report.find("trustedlocation=1 ohne hinterlegten Schl\u00FCssel"), std::string::npos)
        << report;
    {
        const PinnedPolicy pin({made.key->publicKey});
        EXPECT_EQ(check(), 0) << report;
        EXPECT_NE(report.find("hinterlegt: " + made.key->id), std::string::npos) << report;
        EXPECT_NE(report.find("g\u00FCltig, Schl\u00FCssel " + made.key->id), std::string::npos)
            << report;
        EXPECT_EQ(report.find("trustedlocation=1 ohne"), std::string::npos) << report;
        // What no signature covers: whoever may change the configuration.
        EXPECT_NE(report.find("die Signatur deckt accessexe"), std::string::npos) << report;
        // A signed release below the one installed is an old record put back.
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER,
                                  "Software\\KORVEL\\Pr\xFC"
                                  "fling",
                                  0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const DWORD three = 3;
        RegSetValueExA(key, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&three),
                       sizeof three);
        RegCloseKey(key);
        EXPECT_EQ(check(), 1) << report; // no local copy: the launcher would install 2
        EXPECT_NE(report.find("\u00E4lter als die installierte 3"), std::string::npos) << report;
        clean();
    }
    {
        const PinnedPolicy pin({other.key->publicKey, "P256:kaputt"});
        EXPECT_EQ(check(), 1) << report;
        EXPECT_NE(report.find("UNG\u00DCLTIG"), std::string::npos) << report;
        EXPECT_NE(report.find("Vorlund installiert sie nicht"), std::string::npos) << report;
        EXPECT_NE(report.find("kein Schl\u00FCssel: \u201EP256:kaputt\u201C"), std::string::npos)
            << report;
    }
}

// vorab=: the check says whether this PC is in the ring and why, judges the
// release it would install, and names the other one beside it.
TEST_F(CheckTest, ThePilotRingIsShownWithBothReleases) {
    const std::string general = "allgemein", trial = "Vorab-Kopie";
    WriteFileBytes(share + "db.vorlundchk", general);
    WriteFileBytes(share + "db.vorab.vorlundchk", trial);
    const std::string sha = *win::FileSha256(share + "db.vorab.vorlundchk");
    const auto withRing = [&](const std::string& ring, const std::string& pilotSize) {
        ini(2);
        WriteFileBytes(path, ReadFileBytes(path) + "groesse=" + std::to_string(general.size()) +
                                 "\r\nvorab=" + ring + "\r\nvorabversion=3\r\nvorabgroesse=" +
                                 pilotSize + "\r\nvorabpruefsumme=" + sha + "\r\n");
        return check();
    };
    EXPECT_EQ(withRing(ThisComputer() + ", 7%", std::to_string(trial.size())), 0) << report;
    EXPECT_NE(report.find(ThisComputer() + " ist im Ring (namentlich genannt)"), std::string::npos)
        << report;
    EXPECT_NE(report.find("bekommt die Vorab-Version"), std::string::npos) << report;
    EXPECT_EQ(facts.entries[0].centralPath, share + "db.vorab.vorlundchk");
    EXPECT_NE(report.find("f\u00FCr alle: Version 2, " + share + "db.vorlundchk \u2013 stimmt"),
              std::string::npos)
        << report;
    // Written as a host name, a long name is the computer name Windows makes of it.
    EXPECT_EQ(AsComputerName("pc-buchhaltung-01.firma.local"), "PC-BUCHHALTUNG-");
    EXPECT_EQ(AsComputerName("pc-it-01"), "PC-IT-01");
    // The ring's copy of another size: this PC would install nothing.
    EXPECT_EQ(withRing(ThisComputer(), "1"), 1) << report;

    // Not named, 0 %: everyone's release, the trial beside it.
    EXPECT_EQ(withRing("PC-ANDERS, 0%, 150%", "1"), 0) << report;
    EXPECT_NE(report.find(" ist nicht im Ring (Platz "), std::string::npos) << report;
    EXPECT_NE(report.find("nicht unter 0 %"), std::string::npos) << report;
    EXPECT_NE(report.find("\u201E150%\u201C weder"), std::string::npos) << report;
    EXPECT_NE(report.find("Vorab: Version 3, " + share + "db.vorab.vorlundchk \u2013 STIMMT NICHT"),
              std::string::npos)
        << report;
}
