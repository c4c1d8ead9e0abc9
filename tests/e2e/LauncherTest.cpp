// The real vorlund.exe, copied with an INI into a fresh directory, run in
// this Wine prefix and driven from outside like a user would.
#include "base/AsciiText.h"
#include "base/Cp1252.h"
#include "base/Utf8.h"
#include "prepare/RunLog.h"
#include "support/Driver.h"
#include "support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

using namespace vorlund::testing;

namespace {

const std::string kDsnKey = "Software\\ODBC\\ODBC.INI\\";
const std::string kSourcesKey = "Software\\ODBC\\ODBC.INI\\ODBC Data Sources";
const std::string kFaulty = "Konfigurationsdatei ist fehlerhaft.\rProgramm abgebrochen.";
constexpr DWORD kTimeout = 30000;

struct Outcome {
    std::vector<Dialog> dialogs;
    std::optional<DWORD> exitCode;
    bool started = false;
    bool selectionSeen = false;
};

// What a run did, for the message of a failed expectation.
std::string Describe(const Outcome& r) {
    std::string text = !r.started   ? "not started"
                       : r.exitCode ? "exit code " + std::to_string(*r.exitCode)
                                    : "still running";
    for (const Dialog& d : r.dialogs)
        text += "; dialog \"" + d.exactText + "\"";
    return text;
}

class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const std::string& d : {app, share, local})
            CreateDirectoryA(d.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(VORLUND_EXE, exe.c_str(), FALSE));
        clearRegistry();
        registerRecorder();
    }
    void TearDown() override { clearRegistry(); }

    static void clearRegistry() {
        for (const char* dsn : {"E2E_ONE", "E2E_TWO", "E2E_THREE", "E2E_SHARED"}) {
            DeleteRegTree(HKEY_CURRENT_USER, kDsnKey + dsn);
            RegDeleteKeyValueA(HKEY_CURRENT_USER, kSourcesKey.c_str(), dsn);
        }
        DeleteRegTree(HKEY_CURRENT_USER, "Software\\KORVEL");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kSourcesKey.c_str(), nullptr); // a nameless source
    }

    // .mdb files open with the recorder, through the machine's classes.
    void registerRecorder() {
        ASSERT_TRUE(CopyFileA(RECORDER_EXE, recorder.c_str(), FALSE));
        const std::string command = "\"" + recorder + "\" \"%1\"";
        HKEY h = nullptr;
        RegCreateKeyExA(HKEY_CLASSES_ROOT, ".mdb", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                        nullptr);
        RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("Vorlund.Test.Mdb"),
                       17);
        RegCloseKey(h);
        RegCreateKeyExA(HKEY_CLASSES_ROOT, "Vorlund.Test.Mdb\\shell\\open\\command", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &h, nullptr);
        RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
        RegCloseKey(h);
    }

    void ini(const std::string& text, const std::string& name = "vorlund.INI") {
        WriteFileBytes(app + name, text);
    }

    std::string entry(const std::string& section, const std::string& display,
                      const std::string& dsn, int version = 0,
                      const std::string& odbcpath = "D:\\Daten\\db.gdb") {
        return "[" + section + "]\r\nversion=" + std::to_string(version) +
               "\r\nmdbname=" + section + ".mdb\r\nmdbpath=" + share + "\r\ntmpdir=" + local +
               "\r\ndisplayname=" + display + "\r\nodbcname=" + dsn + "\r\nodbcpath=" + odbcpath +
               "\r\n";
    }

    // Three entries A, B, C with current local copies.
    void threeEntries(const std::string& between = "") {
        ini(entry("A", "Auftr\xE4ge", "E2E_ONE") + between + entry("B", "Lager", "E2E_TWO") +
            entry("C", "Kasse", "E2E_THREE"));
        for (const char* s : {"A", "B", "C"})
            installedLocally(s);
    }

    // A local copy that is current, so that the run goes straight to the launch.
    void installedLocally(const std::string& section) {
        WriteFileBytes(local + section + ".mdb", "local " + section);
    }

    // Runs the launcher, answering every dialog with OK, until it ends.
    Outcome run(const std::string& program = "",
                const std::function<void(LauncherProcess&)>& act = {}) {
        LauncherProcess launcher(program.empty() ? exe : program);
        Outcome r;
        r.started = launcher.Pid() != 0;
        if (act)
            act(launcher);
        const ULONGLONG end = GetTickCount64() + kTimeout;
        while (launcher.Running() && GetTickCount64() < end) {
            HWND form = launcher.MainWindow();
            HWND grid = form ? Control(form, 14) : nullptr;
            if (grid && IsWindowVisible(grid) && IsWindowVisible(form))
                r.selectionSeen = true;
            if (auto d = launcher.WaitForDialog(50)) {
                r.dialogs.push_back(*d);
                PressOk(*d);
            }
        }
        r.exitCode = launcher.WaitExit(5000);
        return r;
    }

    std::string dsnValue(const std::string& dsn, const std::string& name) {
        std::string v = "<absent>";
        ReadRegString(HKEY_CURRENT_USER, kDsnKey + dsn, name, v);
        return v;
    }

    // What the recorder wrote; the shell starts it on its own, so give it time.
    std::vector<std::string> opened(size_t expectedLines = 2) {
        for (int i = 0; i < 100 && ReadFileBytes(app + "opened.txt").empty(); ++i)
            Sleep(expectedLines ? 100 : 10);
        std::vector<std::string> lines;
        std::istringstream in(ReadFileBytes(app + "opened.txt"));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    TempDir dir{"e2e"};
    std::string app = dir / "app\\";
    std::string share = dir / "share\\";
    std::string local = dir / "local\\";
    std::string exe = app + "vorlund.exe";
    std::string recorder = app + "recorder.exe";
};

std::wstring Utf16(const std::string& cp1252Text) {
    const std::u16string wide = vorlund::cp1252ToUtf16(cp1252Text);
    return std::wstring(wide.begin(), wide.end());
}

bool SameBytes(const std::string& a, const std::string& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    std::vector<char> p(1 << 20), q(1 << 20);
    while (x && y) {
        x.read(p.data(), static_cast<std::streamsize>(p.size()));
        y.read(q.data(), static_cast<std::streamsize>(q.size()));
        if (x.gcount() != y.gcount() || !std::equal(p.begin(), p.begin() + x.gcount(), q.begin()))
            return false;
    }
    return x.eof() && y.eof();
}

// A file of whole MiB whose every MiB differs.
void WritePatterned(const std::string& path, unsigned mebibytes) {
    vorlund::win::File file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (unsigned mib = 0; mib < mebibytes; ++mib) {
        const std::string block = PatternBytes(1 << 20, mib);
        DWORD n = 0;
        ASSERT_TRUE(WriteFile(file.get(), block.data(), 1 << 20, &n, nullptr));
    }
}

// A copy in progress (or left by a killed run) beside the local copy.
bool PartialExists(const std::string& localCopy) {
    WIN32_FIND_DATAA data;
    return static_cast<bool>(
        vorlund::win::UniqueFind(FindFirstFileA((localCopy + ".*.partial").c_str(), &data)));
}

DWORD RecordedVersion(const std::string& display) {
    DWORD v = 0;
    ReadRegDword(HKEY_CURRENT_USER, "Software\\KORVEL\\" + display, "Version", v);
    return v;
}

void RecordVersion(const std::string& display, DWORD version) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, ("Software\\KORVEL\\" + display).c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    vorlund::win::UniqueKey owner(key);
    RegSetValueExA(key, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version), 4);
}

void expectFaultyConfiguration(const Outcome& r) {
    ASSERT_EQ(r.dialogs.size(), 1u);
    const Dialog& d = r.dialogs[0];
    EXPECT_EQ(d.className, "TMessageForm");
    EXPECT_EQ(d.caption, "Fehler");
    EXPECT_EQ(d.text, kFaulty);
    EXPECT_TRUE(d.hasIcon);
    EXPECT_EQ(d.buttons, (std::vector<std::string>{"OK"}));
    EXPECT_EQ(r.exitCode, 0u);
}

} // namespace

TEST_F(LauncherTest, WithoutAnyEntryTheConfigurationIsReportedFaulty) {
    expectFaultyConfiguration(run()); // no INI at all
    ini("");
    expectFaultyConfiguration(run());
    for (const char* name : {"SETUP", "Setup", "setup"}) {
        ini(std::string("[") + name + "]\r\nJpegImage=banner.jpg\r\nversion=1\r\n");
        expectFaultyConfiguration(run());
    }
    std::string garbage = PatternBytes(100000, 3); // binary, with no section in it
    for (char& c : garbage)
        if (c == '[')
            c = '{';
    ini(garbage);
    expectFaultyConfiguration(run());
}

TEST_F(LauncherTest, ClosingTheWindowBeforeTheStartUpStepEndsWithoutReading) {
    // Without a configuration the start-up step would report it; closed
    // within its first half second, the launcher never gets that far.
    LauncherProcess launcher(exe);
    HWND form = launcher.WaitForWindow("TForm1", kTimeout);
    ASSERT_NE(form, nullptr);
    RequestClose(form);
    bool dialogSeen = false;
    for (int i = 0; i < 200 && launcher.Running(); ++i)
        dialogSeen = dialogSeen || launcher.WaitForDialog(10).has_value();
    EXPECT_FALSE(dialogSeen);
    EXPECT_EQ(launcher.WaitExit(kTimeout), 0u);
}

TEST_F(LauncherTest, OneEntryWritesItsDataSourceAndOpensWithoutAnyDialog) {
    ini("[SETUP]\r\nJpegImage=C:\\absolute\\banner.jpg\r\n" +
        entry("One", "Eins", "E2E_ONE", 0, "D:\\Daten\\b\xE4ren\xFC.gdb"));
    installedLocally("One");
    const ULONGLONG start = GetTickCount64();
    const Outcome r = run();
    EXPECT_TRUE(r.dialogs.empty());
    EXPECT_FALSE(r.selectionSeen);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_GE(GetTickCount64() - start, 2000u);
    EXPECT_EQ(dsnValue("E2E_ONE", "Database"), "D:\\Daten\\b\xE4ren\xFC.gdb"); // byte for byte
    EXPECT_EQ(dsnValue("E2E_ONE", "CharacterSet"), "ISO8859_1");
    EXPECT_EQ(dsnValue("E2E_ONE", "Role"), "3");
    const std::string driver = dsnValue("E2E_ONE", "Driver");
    EXPECT_EQ(driver.substr(driver.size() - 22), "\\SYSTEM32\\ib6xtg10.dll");
    std::string source;
    EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, kSourcesKey, "E2E_ONE", source));
    EXPECT_EQ(source, "XTG Systems InterBase6 ODBC driver");
    const std::vector<std::string> lines = opened();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(local + "One.mdb"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "CWD " + local.substr(0, local.size() - 1));
}

TEST_F(LauncherTest, RenamingTheProgramFileChangesWhichConfigurationIsRead) {
    const std::string other = app + "Other.exe";
    ASSERT_TRUE(CopyFileA(exe.c_str(), other.c_str(), FALSE));
    ini(entry("One", "Eins", "E2E_ONE"), "Other.INI");
    installedLocally("One");
    ini(""); // beside it, but not ours
    const Outcome r = run(other);
    EXPECT_TRUE(r.dialogs.empty());
    EXPECT_EQ(dsnValue("E2E_ONE", "Database"), "D:\\Daten\\db.gdb");
    DeleteFileA((app + "Other.INI").c_str());
    ini(entry("One", "Eins", "E2E_ONE"));
    expectFaultyConfiguration(run(other));
}

TEST_F(LauncherTest, TheEntryChosenInTheSelectionIsTheOnePrepared) {
    threeEntries("[SETUP]\r\n");
    const Outcome r = run("", [](LauncherProcess& l) {
        HWND form = l.WaitForSelection(kTimeout);
        ASSERT_NE(form, nullptr);
        RECT wr;
        GetWindowRect(form, &wr);
        EXPECT_EQ(wr.bottom - wr.top, 305);
        HWND grid = Control(form, 14);
        PostMessageA(grid, WM_KEYDOWN, VK_UP, 0); // from the last entry to the second
        Sleep(200);
        PostMessageA(Control(form, 12), BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(r.dialogs.empty());
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(dsnValue("E2E_TWO", "Database"), "D:\\Daten\\db.gdb");
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kDsnKey + "E2E_ONE"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kDsnKey + "E2E_THREE"));
    ASSERT_FALSE(opened().empty());
    EXPECT_NE(opened()[0].find("B.mdb"), std::string::npos);
}

TEST_F(LauncherTest, ADoubleClickOnARowChoosesThatRow) {
    threeEntries();
    const Outcome r = run("", [](LauncherProcess& l) {
        HWND form = l.WaitForSelection(kTimeout);
        ASSERT_NE(form, nullptr);
        HWND grid = Control(form, 14);
        // The first row lies just below the title row; both are one text line high.
        const LPARAM firstRow = MAKELPARAM(60, 24);
        PostMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, firstRow);
        PostMessageA(grid, WM_LBUTTONUP, 0, firstRow);
        PostMessageA(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, firstRow);
        PostMessageA(grid, WM_LBUTTONUP, 0, firstRow);
    });
    EXPECT_TRUE(r.dialogs.empty());
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kDsnKey + "E2E_ONE"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kDsnKey + "E2E_THREE"));
}

TEST_F(LauncherTest, EndButtonAndCloseBoxEndTheSelectionWithoutAnything) {
    ini(entry("A", "Auftr\xE4ge", "E2E_ONE") + entry("B", "Lager", "E2E_TWO"));
    for (int way = 0; way < 2; ++way) {
        const Outcome r = run("", [way](LauncherProcess& l) {
            HWND form = l.WaitForSelection(kTimeout);
            ASSERT_NE(form, nullptr);
            if (way == 0)
                PostMessageA(Control(form, 13), BM_CLICK, 0, 0);
            else
                RequestClose(form);
        });
        EXPECT_TRUE(r.dialogs.empty()) << way;
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kDsnKey + "E2E_ONE"));
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kDsnKey + "E2E_TWO"));
    }
    EXPECT_TRUE(opened(0).empty());
}

TEST_F(LauncherTest, TwoEntriesSharingADataSourceGiveItTheValuesOfTheOneStarted) {
    ini(entry("A", "Auftr\xE4ge", "E2E_SHARED", 0, "D:\\a.gdb") +
        entry("B", "Lager", "E2E_SHARED", 0, "D:\\b.gdb"));
    installedLocally("A");
    installedLocally("B");
    run("", [](LauncherProcess& l) {
        HWND form = l.WaitForSelection(kTimeout);
        ASSERT_NE(form, nullptr);
        PostMessageA(Control(form, 12), BM_CLICK, 0, 0); // the last entry, highlighted at first
    });
    EXPECT_EQ(dsnValue("E2E_SHARED", "Database"), "D:\\b.gdb");
}

// A misspelt [SETUP] is a section like any other, but one that names no
// data source and no database: its keys never reach the root of the data
// sources, and the configuration is faulty.
TEST_F(LauncherTest, AnEntryWithoutADataSourceNameRegistersNothing) {
    ini("[SETUPP]\r\nJpegImage=banner.jpg\r\nlogdir=" + dir / "logs" + "\r\n");
    const Outcome r = run();
    ASSERT_EQ(r.dialogs.size(), 1u);
    EXPECT_EQ(r.dialogs[0].caption, "Fehler");
    EXPECT_EQ(r.dialogs[0].text, "Konfigurationsdatei ist fehlerhaft.\rProgramm abgebrochen.");
    std::string v;
    for (const char* name : {"Database", "CharacterSet", "Driver", "Role"})
        EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, "Software\\ODBC\\ODBC.INI", name, v)) << name;
    EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, kSourcesKey, "", v));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\KORVEL"));

    // A name or a file missing: the faulty configuration, and nothing written.
    ini(entry("One", "", "E2E_ONE"));
    const Outcome nameless = run();
    ASSERT_EQ(nameless.dialogs.size(), 1u);
    EXPECT_EQ(nameless.dialogs[0].text, kFaulty);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kDsnKey + "E2E_ONE"));
    EXPECT_TRUE(opened(0).empty());
}

// No installation directory of its own: a misspelt key, a variable that is
// not defined, the central copy's own directory. Nothing is written beside
// the program or over the master, and the master is never opened.
TEST_F(LauncherTest, AnEntryWithoutAnInstallDirectoryOfItsOwnWritesAndOpensNothing) {
    const std::string master = PatternBytes(70000, 5);
    WriteFileBytes(share + "One.mdb", master);
    const std::string withoutTmpdir = entry("One", "Eins", "E2E_ONE", 3);
    const std::string tmpdirLine = "tmpdir=" + local + "\r\n";
    const auto replaced = [&](const std::string& line) {
        std::string text = withoutTmpdir;
        text.replace(text.find(tmpdirLine), tmpdirLine.size(), line);
        return text;
    };
    for (const std::string& line : std::vector<std::string>{
             "tmpdri=" + local + "\r\n", "tmpdir=%LOCALAPPDATE%\\Firma\\\r\n",
             "tmpdir=" + share + "\r\n",
             "tmpdir=" + share.substr(0, 3) + vorlund::asciiUpper(share.substr(3)) + "\r\n"}) {
        ini(replaced(line));
        const Outcome r = run();
        ASSERT_EQ(r.dialogs.size(), 1u) << line;
        EXPECT_EQ(r.dialogs[0].caption, "Warnung") << line;
        EXPECT_EQ(r.dialogs[0].text.substr(0, 25), "NEUE Version Eins konnte ") << line;
        EXPECT_FALSE(FileExists(app + "One.mdb")) << line;
        EXPECT_FALSE(FileExists(app + "%LOCALAPPDATE%")) << line;
        EXPECT_EQ(ReadFileBytes(share + "One.mdb"), master) << line;
        EXPECT_FALSE(FileExists(share + "One.mdb.version")) << line;
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\KORVEL\\Eins")) << line;
        EXPECT_TRUE(opened(0).empty()) << line;
    }
}

// Notepad saves UTF-8 without a mark: the names arrive as written, so the
// version key is the one an unchanged version finds again.
TEST_F(LauncherTest, AUtf8FileWithoutMarkGivesTheExactVersionKey) {
    ini(vorlund::cp1252ToUtf8(entry("One",
                                    "B\xE4renstra\xDF"
                                    "e",
                                    "E2E_ONE", 4)));
    WriteFileBytes(share + "One.mdb", "central");
    EXPECT_EQ(run().dialogs.size(), 2u); // announce, success
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER,
                            Utf16("Software\\KORVEL\\B\xE4renstra\xDF"
                                  "e")
                                .c_str(),
                            0, KEY_READ, &key),
              ERROR_SUCCESS);
    vorlund::win::UniqueKey owner(key);
    EXPECT_TRUE(run().dialogs.empty()); // the same version, found again: it opens
    EXPECT_EQ(opened().size(), 2u);
}

// A version key that cannot be created: its parent is volatile, so the
// installed version cannot be recorded and the write is refused for real.
class RefusedWriteTest : public LauncherTest {
  protected:
    void SetUp() override {
        LauncherTest::SetUp();
        HKEY h = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KORVEL", 0, nullptr,
                                  REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(h);
        WriteFileBytes(share + "One.mdb", "central");
        WriteFileBytes(share + "Two.mdb", "central");
    }
    static void expectErrorBox(const Dialog& d) {
        EXPECT_EQ(d.className, "#32770");
        EXPECT_EQ(d.caption, "Vorlund with Version Control");
        EXPECT_EQ(d.text, "Konnte Daten f\xFCr 'Version' nicht setzen.");
    }
};

TEST_F(RefusedWriteTest, TheDefaultErrorBoxShowsAndTheWindowWaitsForTheUser) {
    ini(entry("One", "Eins", "E2E_ONE", 1));
    LauncherProcess launcher(exe);
    auto announce = launcher.WaitForDialog(kTimeout);
    ASSERT_TRUE(announce.has_value());
    EXPECT_EQ(announce->caption, "Information");
    PressOk(*announce);
    Sleep(300);
    auto error = launcher.WaitForDialog(kTimeout);
    ASSERT_TRUE(error.has_value());
    expectErrorBox(*error);
    PressOk(*error);
    Sleep(1000);
    EXPECT_TRUE(launcher.Running()); // the window stays until the user closes it
    HWND form = launcher.MainWindow();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(IsWindowVisible(form));
    RequestClose(form);
    EXPECT_EQ(launcher.WaitExit(kTimeout), 0u);
    EXPECT_EQ(dsnValue("E2E_ONE", "Database"), "D:\\Daten\\db.gdb"); // written before it
    EXPECT_EQ(ReadFileBytes(local + "One.mdb"), "central"); // stays; the next start installs
}

// An error before the copy leaves the window hidden after a selection: the
// launcher ends after the error box instead of staying invisible.
TEST_F(LauncherTest, AfterASelectionNoInvisibleLauncherStaysBehind) {
    ini(entry("One", "Eins", "E2E_ONE", 1) + entry("Two", "Zwei", "E2E_TWO", 1));
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KORVEL\\Zwei", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    RegCloseKey(key);
    const Outcome r = run("", [](LauncherProcess& l) {
        HWND form = l.WaitForSelection(kTimeout);
        ASSERT_NE(form, nullptr);
        PostMessageA(Control(form, 12), BM_CLICK, 0, 0);
    });
    ASSERT_EQ(r.dialogs.size(), 1u);
    EXPECT_EQ(r.dialogs[0].className, "#32770");
    EXPECT_EQ(r.dialogs[0].text, "Ung\xFCltiger Datentyp f\xFCr 'Version'"); // ' sorts before .
    EXPECT_EQ(r.exitCode, 0u); // ended after the error box
}

TEST_F(LauncherTest, FirstStartInstallsSecondStartOpens) {
    WriteFileBytes(share + "One.mdb", PatternBytes(300000, 11));
    ini(entry("One", "Eins", "E2E_ONE", 7));
    const Outcome first = run();
    ASSERT_EQ(first.dialogs.size(), 2u);
    EXPECT_EQ(first.dialogs[0].caption, "Information");
    EXPECT_EQ(first.dialogs[0].text.substr(0, 32), "ACHTUNG! NEUE Version von Eins g");
    EXPECT_EQ(first.dialogs[1].caption, "Information");
    EXPECT_EQ(first.dialogs[1].text, "NEUE Version von Eins wurde\r\rERFOLGREICH INSTALLIERT!!\r\r"
                                     "Bitte starten Sie die Anwendung erneut!");
    EXPECT_EQ(first.exitCode, 0u);
    EXPECT_EQ(ReadFileBytes(local + "One.mdb"), PatternBytes(300000, 11));
    DWORD version = 0;
    EXPECT_TRUE(ReadRegDword(HKEY_CURRENT_USER, "Software\\KORVEL\\Eins", "Version", version));
    EXPECT_EQ(version, 7u);
    EXPECT_TRUE(opened(0).empty()); // never an open in a run that installed

    const ULONGLONG start = GetTickCount64();
    const Outcome second = run();
    EXPECT_TRUE(second.dialogs.empty());
    EXPECT_GE(GetTickCount64() - start, 2000u);
    const std::vector<std::string> lines = opened();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(local + "One.mdb"), std::string::npos);
}

TEST_F(LauncherTest, AMissingCentralCopyWarnsAndStillTriesTheLaunch) {
    ini(entry("One", "Eins", "E2E_ONE", 1));
    const Outcome r = run();
    ASSERT_EQ(r.dialogs.size(), 3u);
    EXPECT_EQ(r.dialogs[2].caption, "Fehler"); // and nothing could be opened
    EXPECT_EQ(r.dialogs[2].text, "Fehler beim Starten.");
    EXPECT_EQ(r.dialogs[1].caption, "Warnung");
    std::string upperShare = share;
    for (char& c : upperShare)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_NE(r.dialogs[1].text.find("von \"" + upperShare + "ONE.MDB\""), std::string::npos)
        << r.dialogs[1].text;
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_FALSE(FileExists(local + "One.mdb"));
}

TEST_F(LauncherTest, ACopyKilledMidwayLeavesNothingAndTheNextRunInstallsAgain) {
    {
        // A large central copy (sparse, so it costs no disk): 256 MiB.
        vorlund::win::File big(CreateFileA((share + "One.mdb").c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER size{};
        size.QuadPart = 256LL << 20;
        ASSERT_TRUE(SetFilePointerEx(big.get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(big.get()));
    }
    ini(entry("One", "Eins", "E2E_ONE", 1));
    {
        LauncherProcess launcher(exe);
        auto announce = launcher.WaitForDialog(kTimeout);
        ASSERT_TRUE(announce.has_value());
        PressOk(*announce);
        bool killed = false;
        for (int i = 0; i < 3000 && !killed; ++i) {
            if (PartialExists(local + "One.mdb")) {
                vorlund::win::UniqueKernel process(
                    OpenProcess(PROCESS_TERMINATE, FALSE, launcher.Pid()));
                TerminateProcess(process.get(), 1);
                killed = true;
            }
            Sleep(1);
        }
        ASSERT_TRUE(killed);
        launcher.WaitExit(kTimeout);
    }
    EXPECT_FALSE(FileExists(local + "One.mdb"));
    EXPECT_TRUE(PartialExists(local + "One.mdb")); // what the killed run left
    DeleteFileA((share + "One.mdb").c_str());
    WriteFileBytes(share + "One.mdb", "small");
    const Outcome again = run();
    ASSERT_EQ(again.dialogs.size(), 2u);
    EXPECT_EQ(again.dialogs[1].text.substr(0, 21), "NEUE Version von Eins");
    EXPECT_EQ(ReadFileBytes(local + "One.mdb"), "small");
    EXPECT_FALSE(PartialExists(local + "One.mdb")); // the killed run's is gone too
}

// Both launchers copy the same central copy at once, each into its own
// installation directory, as two workstations do after a new version.
TEST_F(LauncherTest, TwoLaunchersInstallOneCentralCopyAtTheSameTime) {
    WritePatterned(share + "One.mdb", 256);
    const std::string app2 = dir / "app2\\", local2 = dir / "local2\\";
    CreateDirectoryA(app2.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(VORLUND_EXE, (app2 + "vorlund.exe").c_str(), FALSE));
    ini(entry("One", "Eins", "E2E_ONE", 3));
    std::string second = entry("One", "Eins", "E2E_ONE", 3);
    second.replace(second.find(local), local.size(), local2);
    WriteFileBytes(app2 + "vorlund.INI", second);

    LauncherProcess a(exe), b(app2 + "vorlund.exe");
    std::vector<Dialog> seen;
    auto answer = [&](LauncherProcess& l) {
        auto d = l.WaitForDialog(kTimeout);
        ASSERT_TRUE(d.has_value());
        seen.push_back(*d);
        PressOk(*d);
    };
    answer(a);
    answer(b);
    bool together = false; // both partial files at once: the copies overlapped
    for (int i = 0; i < 2000 && !together; ++i) {
        together = PartialExists(local + "One.mdb") && PartialExists(local2 + "One.mdb");
        Sleep(5);
    }
    answer(a);
    answer(b);
    EXPECT_EQ(a.WaitExit(kTimeout), 0u);
    EXPECT_EQ(b.WaitExit(kTimeout), 0u);
    EXPECT_TRUE(together);
    ASSERT_EQ(seen.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(seen[i].text.substr(0, i < 2 ? 35 : 27),
                  i < 2 ? "ACHTUNG! NEUE Version von Eins gefu" : "NEUE Version von Eins wurde")
            << i;
    EXPECT_TRUE(SameBytes(share + "One.mdb", local + "One.mdb"));
    EXPECT_TRUE(SameBytes(share + "One.mdb", local2 + "One.mdb"));
}

TEST_F(LauncherTest, AnOldCopyHeldOpenIsReplacedOnTheStartAfterItIsReleased) {
    WriteFileBytes(share + "One.mdb", "new");
    ini(entry("One", "Eins", "E2E_ONE", 2));
    installedLocally("One");
    RecordVersion("Eins", 1);
    {
        vorlund::win::File held(CreateFileA((local + "One.mdb").c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held); // the database still open on this PC
        const Outcome r = run();
        ASSERT_EQ(r.dialogs.size(), 2u);
        EXPECT_EQ(r.dialogs[1].caption, "Warnung");
        EXPECT_EQ(r.dialogs[1].text.substr(0, 35), "Achtung! Eine neue VERSION von Eins");
        EXPECT_EQ(RecordedVersion("Eins"), 1u);
    }
    const Outcome again = run();
    ASSERT_EQ(again.dialogs.size(), 2u);
    EXPECT_EQ(again.dialogs[0].text.substr(0, 30), "ACHTUNG! NEUE Version von Eins");
    EXPECT_EQ(again.dialogs[1].text.substr(0, 27), "NEUE Version von Eins wurde");
    EXPECT_EQ(RecordedVersion("Eins"), 2u);
    EXPECT_EQ(ReadFileBytes(local + "One.mdb"), "new");
    EXPECT_TRUE(opened(0).empty());
}

TEST_F(LauncherTest, ALocalCopyNoProgramOpensIsReported) {
    std::string text = entry("One", "Eins", "E2E_ONE");
    text.replace(text.find("One.mdb"), 7, "One.vorlundnone");
    ini(text);
    WriteFileBytes(local + "One.vorlundnone", "local");
    const Outcome r = run();
    ASSERT_EQ(r.dialogs.size(), 1u);
    EXPECT_EQ(r.dialogs[0].className, "TMessageForm");
    EXPECT_EQ(r.dialogs[0].caption, "Fehler");
    EXPECT_EQ(r.dialogs[0].text, "Fehler beim Starten.");
    EXPECT_EQ(r.exitCode, 0u);
}

// A per-user installation directory, as on a terminal server: the whole
// chain of directories is made on the first start.
TEST_F(LauncherTest, PathsWithVariablesInstallIntoANewDirectoryChainAndOpenFromThere) {
    SetEnvironmentVariableA("VORLUND_E2E_HOME", (dir / "Benutzer").c_str()); // inherited
    SetEnvironmentVariableA("VORLUND_E2E_SHARE", share.substr(0, share.size() - 1).c_str());
    std::string text = entry("One", "Eins", "E2E_ONE", 1);
    text.replace(text.find(share), share.size(), "%VORLUND_E2E_SHARE%");
    text.replace(text.find(local), local.size(), "%VORLUND_E2E_HOME%\\AppData\\Firma\\Eins\\");
    ini(text);
    WriteFileBytes(share + "One.mdb", "central");
    const std::string installDir = dir / "Benutzer\\AppData\\Firma\\Eins\\";

    const Outcome first = run();
    ASSERT_EQ(first.dialogs.size(), 2u);
    EXPECT_EQ(first.dialogs[1].text.substr(0, 27), "NEUE Version von Eins wurde");
    EXPECT_EQ(ReadFileBytes(installDir + "One.mdb"), "central");
    const Outcome second = run();
    EXPECT_TRUE(second.dialogs.empty());
    const std::vector<std::string> lines = opened();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(installDir + "One.mdb"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "CWD " + installDir.substr(0, installDir.size() - 1));
}

// The share is down after the version was raised: the working copy stays and
// is opened, as if nothing had been announced.
TEST_F(LauncherTest, AMissingCentralCopyLeavesTheOldCopyToBeOpened) {
    ini(entry("One", "Eins", "E2E_ONE", 2));
    installedLocally("One");
    RecordVersion("Eins", 1);
    const Outcome r = run();
    ASSERT_EQ(r.dialogs.size(), 2u);
    EXPECT_EQ(r.dialogs[0].text.substr(0, 30), "ACHTUNG! NEUE Version von Eins");
    EXPECT_EQ(r.dialogs[1].caption, "Warnung");
    EXPECT_EQ(r.dialogs[1].text.substr(0, 30), "NEUE Version Eins konnte nicht");
    const std::vector<std::string> lines = opened();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(local + "One.mdb"), std::string::npos) << lines[0];
    EXPECT_EQ(ReadFileBytes(local + "One.mdb"), "local One");
    EXPECT_EQ(RecordedVersion("Eins"), 1u);
}

// An impatient double start: the second launcher waits for the first one's
// installation, then finds the copy current and opens it.
TEST_F(LauncherTest, TwoStartsOnOnePcInstallOnceAndTheSecondOpens) {
    WritePatterned(share + "One.mdb", 64);
    ini(entry("One", "Eins", "E2E_ONE", 3));
    LauncherProcess first(exe);
    Sleep(300);
    LauncherProcess second(exe);
    std::vector<std::string> texts;
    const ULONGLONG end = GetTickCount64() + 2 * kTimeout;
    while ((first.Running() || second.Running()) && GetTickCount64() < end)
        for (LauncherProcess* l : {&first, &second})
            if (auto d = l->WaitForDialog(50)) {
                texts.push_back(d->text.substr(0, 27));
                PressOk(*d);
            }
    EXPECT_EQ(first.WaitExit(5000), 0u);
    EXPECT_EQ(second.WaitExit(5000), 0u);
    EXPECT_EQ(texts, (std::vector<std::string>{"ACHTUNG! NEUE Version von E",
                                               "NEUE Version von Eins wurde"}));
    EXPECT_TRUE(SameBytes(share + "One.mdb", local + "One.mdb"));
    EXPECT_FALSE(PartialExists(local + "One.mdb"));
    EXPECT_EQ(RecordedVersion("Eins"), 3u);
    EXPECT_EQ(opened().size(), 2u); // one open, by the launcher that did not install
}

// The first launcher's success dialog waits for its user; a second start
// that waited for the copy goes on and opens it meanwhile.
TEST_F(LauncherTest, ASecondStartOpensWhileTheFirstOnesSuccessDialogIsOpen) {
    WritePatterned(share + "One.mdb", 64);
    ini(entry("One", "Eins", "E2E_ONE", 3));
    LauncherProcess first(exe);
    const auto announce = first.WaitForDialog(kTimeout);
    ASSERT_TRUE(announce.has_value());
    LauncherProcess second(exe); // needs the same install, and waits for the first
    Sleep(1500);
    EXPECT_FALSE(second.WaitForDialog(0).has_value());
    PressOk(*announce);
    const auto success = first.WaitForDialog(kTimeout);
    ASSERT_TRUE(success.has_value());
    EXPECT_EQ(success->text.substr(0, 27), "NEUE Version von Eins wurde");
    EXPECT_EQ(second.WaitExit(kTimeout), 0u); // without a dialog, the first one still open
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(opened().size(), 2u);
    PressOk(*success);
    EXPECT_EQ(first.WaitExit(kTimeout), 0u);
}

// "Version" roams with the user's profile, the local copy does not: PC B
// must notice that its own copy is older than what PC A installed.
TEST_F(LauncherTest, ARoamingUserGetsTheNewVersionOnEveryPc) {
    const std::string appB = dir / "appB\\", localB = dir / "localB\\";
    CreateDirectoryA(appB.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(VORLUND_EXE, (appB + "vorlund.exe").c_str(), FALSE));
    auto configure = [&](int version) {
        ini(entry("One", "Eins", "E2E_ONE", version));
        std::string onB = entry("One", "Eins", "E2E_ONE", version);
        onB.replace(onB.find(local), local.size(), localB);
        WriteFileBytes(appB + "vorlund.INI", onB);
        WriteFileBytes(share + "One.mdb", "version " + std::to_string(version));
    };
    configure(1);
    EXPECT_EQ(run(appB + "vorlund.exe").dialogs.size(), 2u);
    configure(2);
    EXPECT_EQ(run().dialogs.size(), 2u);
    EXPECT_EQ(RecordedVersion("Eins"), 2u);

    const Outcome again = run(appB + "vorlund.exe");
    ASSERT_EQ(again.dialogs.size(), 2u);
    EXPECT_EQ(again.dialogs[1].text.substr(0, 27), "NEUE Version von Eins wurde");
    EXPECT_EQ(ReadFileBytes(localB + "One.mdb"), "version 2");
}

// ---- the run log

class RunLogTest : public LauncherTest {
  protected:
    static std::string logName() {
        char computer[256] = {}, user[256] = {};
        DWORD n = sizeof computer, m = sizeof user;
        GetComputerNameA(computer, &n);
        GetUserNameA(user, &m);
        return std::string(computer) + "_" + user + ".log";
    }
    static std::vector<std::vector<std::string>> rows(const std::string& text) {
        std::vector<std::vector<std::string>> out;
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find("\r\n", start);
            std::vector<std::string> cells;
            const std::string line = text.substr(start, end - start);
            std::istringstream in(line);
            for (std::string cell; std::getline(in, cell, '\t');)
                cells.push_back(cell);
            if (!line.empty() && line.back() == '\t')
                cells.emplace_back(); // an empty last column
            out.push_back(cells);
            start = end == std::string::npos ? text.size() : end + 2;
        }
        return out;
    }
    std::string logs = dir / "Logs\\Neu\\";
};

TEST_F(RunLogTest, AnInstallThenAFailedCopyGiveAHeaderAndTwoLinesInANewFolder) {
    const std::string setup = "[SETUP]\r\nlogdir=" + logs + "\r\n";
    WriteFileBytes(share + "One.mdb", PatternBytes(70000, 2));
    ini(setup + entry("One", "B\xE4r", "E2E_ONE", 1));
    EXPECT_EQ(run().dialogs.size(), 2u);
    DeleteFileA((share + "One.mdb").c_str());
    ini(setup + entry("One", "B\xE4r", "E2E_ONE", 2));
    EXPECT_EQ(run().dialogs.size(), 2u); // announce, copy failure; the old copy opens

    const std::string text = ReadFileBytes(logs + logName());
    ASSERT_EQ(text.substr(0, 8), "\xEF\xBB\xBFZeit\t");
    const auto lines = rows(text.substr(3));
    ASSERT_EQ(lines.size(), 3u) << text;
    EXPECT_EQ(lines[0].size(), 13u);
    const auto& installed = lines[1];
    const auto& failed = lines[2];
    ASSERT_EQ(installed.size(), 13u);
    ASSERT_EQ(failed.size(), 13u);
    EXPECT_EQ(installed[0].size(), 19u); // YYYY-MM-DD HH:MM:SS
    EXPECT_EQ(installed[4], "B\xC3\xA4r");
    EXPECT_EQ((std::vector<std::string>(installed.begin() + 5, installed.begin() + 10)),
              (std::vector<std::string>{"", "1", "installiert", "", "70000"}));
    EXPECT_EQ((std::vector<std::string>(failed.begin() + 5, failed.begin() + 8)),
              (std::vector<std::string>{"1", "2", "kopierfehler"}));
    EXPECT_FALSE(failed[8].empty()); // Windows' own words for the missing file
    EXPECT_EQ(failed[9], "0");
    // The copy's own time, apart from the run's; none where nothing was copied.
    EXPECT_LE(std::stoll(installed[11]), std::stoll(installed[10]));
    EXPECT_TRUE(failed[11].empty());
}

TEST_F(RunLogTest, ALogFolderThatCannotBeMadeLeavesTheRunAsItIs) {
    WriteFileBytes(dir / "ein-file", "x");
    ini("[SETUP]\r\nlogdir=" + dir / "ein-file\\logs" + "\r\n" + entry("One", "Eins", "E2E_ONE"));
    installedLocally("One");
    const Outcome r = run();
    EXPECT_TRUE(r.dialogs.empty());
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(opened().size(), 2u);
    EXPECT_EQ(ReadFileBytes(dir / "ein-file"), "x");
}

TEST_F(RunLogTest, TheFleetTableHasARowPerWorkstationAndFailsOnAFailedLastRun) {
    ini("[SETUP]\r\nlogdir=" + logs + "\r\n" + entry("One", "Eins", "E2E_ONE", 1));
    EXPECT_EQ(run().dialogs.size(), 3u); // no central copy: announce, copy failure, no program
    // Named after a user whom Windows-1252 cannot spell.
    const std::string other =
        "\xEF\xBB\xBFZeit\tComputer\r\n2026-12-01 08:00:00\tPC-ANDERS\t"
        "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\t1.1.0\tLager\t3\t3\tgestartet\t\t0\t2100\r\n";
    vorlund::win::File named(
        CreateFileW((Utf16(logs) + L"PC-ANDERS_\u0418\u0432\u0430\u043D.log").c_str(),
                    GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(named.get(), other.data(), static_cast<DWORD>(other.size()), &written, nullptr));
    named.close();
    WriteFileBytes(logs + "fremd.log", std::string("MZ\x90\x00\x03", 5) + PatternBytes(5000, 4));
    const std::string out = dir / "fleet.txt";
    EXPECT_EQ(RunConsoleProgram(CHECK_EXE, {"/protokolle", logs}, out), 1u);
    const std::string table = ReadFileBytes(out);
    EXPECT_NE(table.find(": 2 Arbeitspl\xC3\xA4tze, 1 mit Fehler"), std::string::npos) << table;
    EXPECT_LT(table.find("kopierfehler"), table.find("PC-ANDERS")) << table;

    DeleteFileA((logs + logName()).c_str());
    EXPECT_EQ(RunConsoleProgram(CHECK_EXE, {"/protokolle", logs}, out), 0u);
    EXPECT_EQ(RunConsoleProgram(CHECK_EXE, {"/protokolle", dir / "keine"}, out), 2u);
}

// Two applications on one PC: the first fails to copy, the second starts.
// The failure is the first one's last run and must stay in the table.
TEST_F(RunLogTest, TheFleetKeepsARowPerApplicationOfAWorkstation) {
    ini("[SETUP]\r\nlogdir=" + logs + "\r\n" + entry("A", "Auftr\xE4ge", "E2E_ONE", 1) +
        entry("B", "Lager", "E2E_TWO"));
    installedLocally("B");
    const auto choose = [](bool first) {
        return [first](LauncherProcess& l) {
            HWND form = l.WaitForSelection(kTimeout);
            ASSERT_NE(form, nullptr);
            if (first)
                PostMessageA(Control(form, 14), WM_KEYDOWN, VK_UP, 0);
            Sleep(200);
            PostMessageA(Control(form, 12), BM_CLICK, 0, 0);
        };
    };
    run("", choose(true));  // no central copy for A: announce, copy failure, no program
    run("", choose(false)); // B opens
    ASSERT_EQ(opened().size(), 2u);
    const std::string out = dir / "fleet.txt";
    EXPECT_EQ(RunConsoleProgram(CHECK_EXE, {"/protokolle", logs}, out), 1u);
    const std::string table = ReadFileBytes(out);
    EXPECT_NE(table.find(": 1 Arbeitsplatz, 1 mit Fehler"), std::string::npos) << table;
    EXPECT_LT(table.find("Auftr\xC3\xA4ge"), table.find("Lager")) << table;
    EXPECT_NE(table.find("kopierfehler"), std::string::npos) << table;
    EXPECT_NE(table.find("gestartet"), std::string::npos) << table;
}

namespace {

// A registry text under the current user, read as Unicode, in 1252.
std::optional<std::string> RegTextW(const std::string& key, const std::string& name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, Utf16(key).c_str(), Utf16(name).c_str(), RRF_RT_REG_SZ,
                     nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return vorlund::utf16ToCp1252(reinterpret_cast<const char16_t*>(data));
}

} // namespace

// Run by codepages.sh: under code page 1251, and with the copy of the launcher
// whose manifest asks for 65001. Names with umlauts must reach Windows as the
// characters they are, whatever the ANSI code page.
TEST_F(LauncherTest, TheWholeRoadHoldsOnAnyAnsiCodePage) {
    const char* codePage = std::getenv("VORLUND_EXPECT_ACP");
    if (!codePage)
        GTEST_SKIP() << "run by codepages.sh";
    if (std::string(codePage) == "65001") {
        ASSERT_TRUE(CopyFileA(VORLUND_UTF8_EXE, exe.c_str(), FALSE));
        RunConsoleProgram(CHECK_UTF8_EXE, {}, app + "check.txt"); // the same manifest
        EXPECT_NE(ReadFileBytes(app + "check.txt").find("ANSI-Codepage:         65001"),
                  std::string::npos);
    } else {
        ASSERT_EQ(std::to_string(GetACP()), codePage);
    }
    const std::string display = "Best\xE4nde & Co", installDir = local + "M\xFCller\\";
    const std::string copy = installDir + "Road.mdb";
    ini("[Road]\r\nversion=1\r\nmdbname=Road.mdb\r\nmdbpath=" + share + "\r\ntmpdir=" + installDir +
        "\r\ndisplayname=" + display + "\r\nodbcname=E2E_ONE\r\nodbcpath=D:\\M\xFCller.gdb\r\n");
    WriteFileBytes(share + "Road.mdb", "central");

    const Outcome first = run();
    ASSERT_EQ(first.dialogs.size(), 2u);
    const std::string announce = "ACHTUNG! NEUE Version von " + display + " g";
    EXPECT_EQ(first.dialogs[0].text.substr(0, announce.size()), announce);
    EXPECT_EQ(first.dialogs[1].text, "NEUE Version von " + display +
                                         " wurde\r\rERFOLGREICH INSTALLIERT!!\r\r"
                                         "Bitte starten Sie die Anwendung erneut!");
    const DWORD attributes = GetFileAttributesW(Utf16(copy).c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY));
    DWORD version = 0, size = sizeof version;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, Utf16("Software\\KORVEL\\" + display).c_str(),
                           L"Version", RRF_RT_REG_DWORD, nullptr, &version, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(version, 1u);
    EXPECT_EQ(RegTextW(kDsnKey + "E2E_ONE", "Database"), "D:\\M\xFCller.gdb");

    const Outcome second = run();
    EXPECT_TRUE(second.dialogs.empty());
    const std::vector<std::string> lines = opened();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(copy), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "CWD " + local + "M\xFCller");
}

namespace {

std::wstring Wide(const std::string& utf8) {
    const std::u16string wide = vorlund::utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

// The text as an ANSI editor of a PC with that code page saves it.
std::string InCodePage(const std::string& utf8, unsigned codePage) {
    const std::wstring wide = Wide(utf8);
    std::string out(wide.size() * 2, '\0');
    out.resize(static_cast<size_t>(
        WideCharToMultiByte(codePage, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(),
                            static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

std::optional<DWORD> VersionOf(const std::string& display) {
    DWORD version = 0, size = sizeof version;
    if (RegGetValueW(HKEY_CURRENT_USER, Wide("Software\\KORVEL\\" + display).c_str(), L"Version",
                     RRF_RT_REG_DWORD, nullptr, &version, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return version;
}

std::string RegTextUtf8(const std::string& key, const std::string& name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    RegGetValueW(HKEY_CURRENT_USER, Wide(key).c_str(), Wide(name).c_str(), RRF_RT_REG_SZ, nullptr,
                 data, &size);
    return vorlund::utf16ToUtf8(reinterpret_cast<const char16_t*>(data));
}

} // namespace

// Also run by codepages.sh. Names and paths that Windows-1252 cannot spell
// reach the registry, the dialogs and the file system as they are written.
TEST_F(LauncherTest, NamesAndPathsInAnyScriptArriveExactly) {
    const std::string bom = "\xEF\xBB\xBF";
    for (const char* s : {"A", "B", "C", "D"})
        WriteFileBytes(share + s + ".mdb", s);
    ini(bom + entry("A", "Склад", "E2E_ONE", 1, "D:\\Данные\\склад.gdb"));
    const Outcome shop = run();
    ASSERT_EQ(shop.dialogs.size(), 2u) << Describe(shop);
    EXPECT_EQ(shop.dialogs[1].exactText,
              "NEUE Version von Склад wurde\r\rERFOLGREICH "
              "INSTALLIERT!!\r\rBitte starten Sie die Anwendung erneut!");
    ini(bom + entry("B", "Касса", "E2E_TWO", 1));
    const Outcome till = run();
    EXPECT_EQ(till.dialogs.size(), 2u) << Describe(till);
    EXPECT_EQ(VersionOf("Склад"), 1u); // a key each, not one "?????" for both
    EXPECT_EQ(VersionOf("Касса"), 1u);
    EXPECT_EQ(RegTextUtf8(kDsnKey + "E2E_ONE", "Database"), "D:\\Данные\\склад.gdb");

    // Saved as ANSI on a Czech PC, the code page named in the file.
    ini("[SETUP]\r\ncodepage=1250\r\n" + InCodePage(entry("C", "Dvořák", "E2E_THREE", 1), 1250));
    const Outcome czech = run();
    ASSERT_EQ(czech.dialogs.size(), 2u) << Describe(czech);
    const std::string announce = "ACHTUNG! NEUE Version von Dvořák gefunden!";
    EXPECT_EQ(czech.dialogs[0].exactText.substr(0, announce.size()), announce);

    // The guide's per-user directory, for a user whose profile 1252 cannot spell.
    const std::string profile = dir / "Łukasz\\AppData\\Local";
    wchar_t saved[1024] = {};
    GetEnvironmentVariableW(L"LOCALAPPDATA", saved, 1024);
    SetEnvironmentVariableW(L"LOCALAPPDATA", Wide(profile).c_str());
    std::string perUser = entry("D", "Lager", "E2E_ONE", 1);
    perUser.replace(perUser.find(local), local.size(), "%LOCALAPPDATA%\\Firma\\App\\");
    ini(perUser);
    const Outcome installs = run();
    const Outcome opens = run();
    SetEnvironmentVariableW(L"LOCALAPPDATA", saved);
    ASSERT_EQ(installs.dialogs.size(), 2u) << Describe(installs);
    EXPECT_EQ(installs.dialogs[1].exactText.substr(0, 28), "NEUE Version von Lager wurde");
    EXPECT_NE(GetFileAttributesW(Wide(profile + "\\Firma\\App\\D.mdb").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(opens.dialogs.empty()) << Describe(opens);
    opened();
    EXPECT_NE(ReadFileBytes(app + "opened-utf8.txt").find("CWD " + profile + "\\Firma\\App\r\n"),
              std::string::npos)
        << ReadFileBytes(app + "opened-utf8.txt");
}

// A run that ends in the default error box is in the log and the fleet, and
// a log whose last line lost its end does not swallow the next line.
TEST_F(RunLogTest, ARunEndedByTheErrorBoxIsLoggedOnALineOfItsOwn) {
    ini("[SETUP]\r\nlogdir=" + logs + "\r\n" + entry("One", "Eins", "E2E_ONE", 1));
    installedLocally("One");
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\KORVEL\\Eins", "Version", REG_SZ, "x", 2);
    CreateDirectoryA((dir / "Logs").c_str(), nullptr);
    CreateDirectoryA(logs.c_str(), nullptr);
    const std::string earlier = "2026-12-01 08:00:00\tPC\tU\t1.1.0\tEins\t1\t1\tgestartet\t\t0\t9";
    WriteFileBytes(logs + logName(), vorlund::RunLogHeader() + earlier); // no line end
    LauncherProcess launcher(exe);
    const auto error = launcher.WaitForDialog(kTimeout);
    ASSERT_TRUE(error.has_value());
    PressOk(*error);
    RequestClose(launcher.MainWindow());
    EXPECT_EQ(launcher.WaitExit(kTimeout), 0u);

    const auto lines = rows(ReadFileBytes(logs + logName()).substr(3));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].back(), "9");
    ASSERT_EQ(lines[2].size(), 13u);
    EXPECT_EQ(lines[2][7], "abgebrochen");
    EXPECT_EQ(lines[2][8], "Ungültiger Datentyp für 'Version'"); // as the box shows it
    EXPECT_EQ(RunConsoleProgram(CHECK_EXE, {"/protokolle", logs}, dir / "fleet.txt"), 1u);
}

// Access's switches: the program named, or the document's opener, with the
// local copy and the arguments as written, in the installation directory.
TEST_F(LauncherTest, AccessexeAndAccessargsStartTheProgramWithTheCopyAndTheSwitches) {
    char appData[MAX_PATH] = {};
    GetEnvironmentVariableA("APPDATA", appData, MAX_PATH);
    const std::string cwd = "CWD " + local.substr(0, local.size() - 1);
    const struct {
        std::string keys;
        std::vector<std::string> opened;
    } cases[] = {
        {"accessexe=" + recorder + "\r\naccessargs=/runtime /wrkgrp \"%APPDATA%\\x.mdw\"\r\n",
         {"CMDLINE \"" + recorder + "\" \"" + local + "One.mdb\" /runtime /wrkgrp \"" + appData +
              "\\x.mdw\"",
          cwd}},
        {"accessargs=/excl\r\n",
         {"CMDLINE \"" + recorder + "\" \"" + local + "One.mdb\" /excl", cwd}},
        {"accessexe=" + app + "fehlt.exe\r\n", {}},
    };
    installedLocally("One");
    for (const auto& c : cases) {
        DeleteFileA((app + "opened.txt").c_str());
        ini(entry("One", "Eins", "E2E_ONE") + c.keys);
        const Outcome r = run();
        EXPECT_EQ(opened(c.opened.size()), c.opened) << c.keys;
        ASSERT_EQ(r.dialogs.size(), c.opened.empty() ? 1u : 0u) << c.keys;
        if (!r.dialogs.empty()) {
            EXPECT_EQ(r.dialogs[0].text, "Fehler beim Starten.");
        }
    }
}

// Office registers MSACCESS.EXE under App Paths: a bare name starts the
// program found there, as the shell finds it.
TEST_F(LauncherTest, ABareProgramNameStartsWhatAppPathsNames) {
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\MSACCESS.EXE";
    installedLocally("One");
    // A file of that name where the copy lies is no program, and never runs.
    WriteFileBytes(local + "MSACCESS.EXE", "kein Programm");
    ini(entry("One", "Eins", "E2E_ONE") + "accessexe=MSACCESS.EXE\r\naccessargs=/runtime\r\n");
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) { // a per-user Office, a machine's
        HKEY h = nullptr;
        ASSERT_EQ(
            RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
            ERROR_SUCCESS);
        RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(recorder.c_str()),
                       static_cast<DWORD>(recorder.size() + 1));
        RegCloseKey(h);
        DeleteFileA((app + "opened.txt").c_str());
        const Outcome r = run();
        DeleteRegTree(root, key);
        EXPECT_TRUE(r.dialogs.empty()) << (r.dialogs.empty() ? "" : r.dialogs[0].text);
        const std::vector<std::string> lines = opened();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_NE(lines[0].find("\"" + local + "One.mdb\" /runtime"), std::string::npos)
            << lines[0];
    }
    DeleteFileA((local + "MSACCESS.EXE").c_str());
}

// A front-end that temporary objects blew up is copied afresh and opened in
// the same run, without a dialog; one below the threshold stays.
TEST_F(LauncherTest, ABloatedCopyIsRefreshedAndOpenedInOneRun) {
    WriteFileBytes(share + "One.mdb", std::string(1000, 'c'));
    ini(entry("One", "Eins", "E2E_ONE") + "refreshsize=300\r\n");
    for (const auto& [size, refreshed] : {std::pair{3000u, false}, std::pair{3001u, true}}) {
        DeleteFileA((app + "opened.txt").c_str());
        WriteFileBytes(local + "One.mdb", std::string(size, 'l'));
        const Outcome r = run();
        EXPECT_TRUE(r.dialogs.empty()) << size;
        EXPECT_EQ(ReadFileBytes(local + "One.mdb").size(), refreshed ? 1000u : size);
        EXPECT_EQ(opened().size(), 2u) << size;
        EXPECT_FALSE(PartialExists(local + "One.mdb"));
    }
}

// ---- publishing

namespace {

const std::string kJetHeader = std::string("\0\1\0\0Standard Jet DB\0", 20);

class PublishTest : public LauncherTest {
  protected:
    DWORD publish(const std::vector<std::string>& args) {
        std::vector<std::string> all = args;
        all.push_back("/ini");
        all.push_back(app + "vorlund.INI");
        const DWORD code = RunConsoleProgram(PUBLISH_EXE, all, dir / "publish.txt");
        said = ReadFileBytes(dir / "publish.txt");
        return code;
    }
    std::string said;
};

} // namespace

// The whole road: a publish, then a workstation that installs what was
// published and proves it; a central copy changed behind the configuration's
// back never reaches the desk, and the old copy opens meanwhile.
TEST_F(PublishTest, AWorkstationInstallsWhatWasPublishedAndNothingElse) {
    const std::string old = kJetHeader + PatternBytes(90000, 1);
    const std::string neu = kJetHeader + PatternBytes(250000, 2);
    WriteFileBytes(share + "One.mdb", old);
    WriteFileBytes(local + "One.mdb", old);
    RecordVersion("Eins", 1);
    ini(entry("One", "Eins", "E2E_ONE", 1));
    WriteFileBytes(dir / "neu.mdb", neu);
    ASSERT_EQ(publish({"One", dir / "neu.mdb"}), 0u) << said;
    EXPECT_NE(said.find("Version 2 (vorher 1)"), std::string::npos) << said;
    EXPECT_TRUE(ReadFileBytes(share + "One.mdb") == neu);
    EXPECT_TRUE(ReadFileBytes(share + "One.mdb.vorher") == old);

    const Outcome installed = run();
    ASSERT_EQ(installed.dialogs.size(), 2u);
    EXPECT_EQ(installed.dialogs[1].text.substr(0, 27), "NEUE Version von Eins wurde");
    EXPECT_TRUE(ReadFileBytes(local + "One.mdb") == neu);
    EXPECT_EQ(RecordedVersion("Eins"), 2u);

    // Version 3 goes out; then the share's copy is changed behind its back.
    WriteFileBytes(dir / "neu.mdb", kJetHeader + PatternBytes(250000, 3));
    ASSERT_EQ(publish({"eins", dir / "neu.mdb"}), 0u) << said; // by its displayname
    WriteFileBytes(share + "One.mdb", kJetHeader + PatternBytes(250000, 4));
    const Outcome refused = run();
    ASSERT_EQ(refused.dialogs.size(), 2u);
    EXPECT_EQ(refused.dialogs[1].caption, "Information");
    EXPECT_EQ(refused.dialogs[1].text, "Die neue Version von Eins auf dem Server\rist nicht die "
                                       "ver\xF6"
                                       "ffentlichte: noch nicht ganz\rangekommen oder von Hand "
                                       "ersetzt.\r\rEs wird die bisherige Version ge\xF6"
                                       "ffnet.");
    EXPECT_TRUE(ReadFileBytes(local + "One.mdb") == neu);
    EXPECT_EQ(RecordedVersion("Eins"), 2u); // so the next start tries again
    EXPECT_EQ(opened().size(), 2u);
}

// A broken version 12 goes back to 11 under 13, and starts can be stopped
// while the back-end is rebuilt.
TEST_F(PublishTest, TheVersionBeforeComesBackAndALockStopsStarts) {
    const std::string eleven = kJetHeader + "elf";
    WriteFileBytes(share + "One.mdb", eleven);
    ini(entry("One", "Eins", "E2E_ONE", 11));
    WriteFileBytes(dir / "zwoelf.mdb", kJetHeader + "zwoelf");
    ASSERT_EQ(publish({"One", dir / "zwoelf.mdb"}), 0u) << said;
    ASSERT_EQ(publish({"/zurueck", "One"}), 0u) << said;
    EXPECT_EQ(ReadFileBytes(share + "One.mdb"), eleven);
    EXPECT_NE(ReadFileBytes(app + "vorlund.INI").find("version=13\r\n"), std::string::npos);
    EXPECT_EQ(run().dialogs.size(), 2u); // the workstation installs 11 as 13
    EXPECT_EQ(ReadFileBytes(local + "One.mdb"), eleven);

    ASSERT_EQ(publish({"/sperren", "One", "Umbau der Datenbank bis 14 Uhr"}), 0u) << said;
    const Outcome locked = run();
    ASSERT_EQ(locked.dialogs.size(), 1u);
    EXPECT_EQ(locked.dialogs[0].text,
              "Eins ist zurzeit gesperrt:\r\rUmbau der Datenbank bis 14 Uhr");
    EXPECT_TRUE(opened(0).empty());
    ASSERT_EQ(publish({"/freigeben", "One"}), 0u) << said;
    EXPECT_TRUE(run().dialogs.empty());
    EXPECT_EQ(opened().size(), 2u);
}

// A publish killed (the task manager, a power cut) after it replaced the
// central copy, while it waits for a reader of the INI, and run again: the
// rerun completes it, the release before stays the one to go back to.
TEST_F(PublishTest, APublishKilledWhileItWaitsIsCompletedByTheNextOne) {
    WriteFileBytes(share + "One.mdb", kJetHeader + "eins");
    ini(entry("One", "Eins", "E2E_ONE", 1));
    const std::string two = kJetHeader + PatternBytes(90000, 7);
    const std::string three = kJetHeader + PatternBytes(90000, 8);
    WriteFileBytes(dir / "zwei.mdb", two);
    WriteFileBytes(dir / "drei.mdb", three);
    ASSERT_EQ(publish({"One", dir / "zwei.mdb"}), 0u) << said;
    {
        // A reader that shares no deletion holds the INI's replace up.
        const vorlund::win::File reading(CreateFileA((app + "vorlund.INI").c_str(), GENERIC_READ,
                                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                                     nullptr));
        ASSERT_TRUE(reading);
        const vorlund::win::UniqueKernel killed =
            StartConsoleProgram(PUBLISH_EXE, {"One", dir / "drei.mdb", "/ini", app + "vorlund.INI"},
                                dir / "killed.txt");
        ASSERT_TRUE(killed);
        const ULONGLONG start = GetTickCount64();
        while (ReadFileBytes(dir / "killed.txt").find("Warte: die Konfiguration") ==
                   std::string::npos &&
               GetTickCount64() - start < 30000)
            Sleep(100);
        TerminateProcess(killed.get(), 1);
        WaitForSingleObject(killed.get(), 10000);
        ASSERT_NE(ReadFileBytes(dir / "killed.txt").find("Warte: die Konfiguration"),
                  std::string::npos)
            << ReadFileBytes(dir / "killed.txt");
    }
    EXPECT_TRUE(ReadFileBytes(share + "One.mdb") == three); // no configuration names it
    ASSERT_EQ(publish({"One", dir / "drei.mdb"}), 0u) << said;
    EXPECT_NE(said.find("Aufger\xC3\xA4umt"), std::string::npos) << said;
    EXPECT_TRUE(ReadFileBytes(share + "One.mdb") == three);
    EXPECT_NE(ReadFileBytes(app + "vorlund.INI").find("version=3\r\n"), std::string::npos);
    const auto any = [](const std::string& pattern) {
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        return search != INVALID_HANDLE_VALUE;
    };
    for (const char* leftover : {"*.partial", "*.neu", "*.alt"}) {
        EXPECT_FALSE(any(share + leftover)) << leftover;
        EXPECT_FALSE(any(app + leftover)) << leftover;
    }
    ASSERT_EQ(publish({"/zurueck", "One"}), 0u) << said;
    EXPECT_TRUE(ReadFileBytes(share + "One.mdb") == two) << said;
}

// A workstation reads the central copy while the new one is published: the
// publish waits until it lets go, then replaces it.
TEST_F(PublishTest, APublishWaitsForAWorkstationThatReadsTheCentralCopy) {
    const std::string old = kJetHeader + PatternBytes(100000, 5);
    WriteFileBytes(share + "One.mdb", old);
    ini(entry("One", "Eins", "E2E_ONE", 1));
    WriteFileBytes(dir / "neu.mdb", kJetHeader + PatternBytes(100000, 6));
    vorlund::win::File reading(CreateFileA((share + "One.mdb").c_str(), GENERIC_READ,
                                           FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::thread release([&] {
        Sleep(3000);
        reading.close();
    });
    const ULONGLONG start = GetTickCount64();
    const DWORD code = publish({"One", dir / "neu.mdb"});
    release.join();
    EXPECT_EQ(code, 0u) << said;
    EXPECT_GE(GetTickCount64() - start, 2500u);
    EXPECT_NE(said.find("Warte: Arbeitspl\xC3\xA4tze lesen gerade die zentrale Kopie"),
              std::string::npos)
        << said;
    EXPECT_TRUE(ReadFileBytes(share + "One.mdb.vorher") == old);
}

namespace {

std::string iniValue(const std::string& ini, const std::string& section, const char* key) {
    char value[512] = {};
    GetPrivateProfileStringA(section.c_str(), key, "", value, sizeof value, ini.c_str());
    return value;
}

void setIniValue(const std::string& ini, const std::string& section, const char* key,
                 const std::string& value) {
    WritePrivateProfileStringA(section.c_str(), key, value.c_str(), ini.c_str());
}

} // namespace

// Where the machine's policy pins the publisher's key, a workstation installs
// only what that key signed: neither a copy and values changed together by
// someone without it, nor another entry's signed release; without the pin,
// all installs as before.
TEST_F(PublishTest, APinnedWorkstationInstallsOnlyWhatThePublishersKeySigned) {
    const std::string key = dir / "herausgeber.key";
    ASSERT_EQ(publish({"/schluessel", key}), 0u) << said;
    const size_t at = said.find("P256:");
    ASSERT_NE(at, std::string::npos) << said;
    const std::string publicKey = said.substr(at, said.find("\r\n", at) - at);
    const std::string logs = dir / "Logs\\";
    const std::string config = app + "vorlund.INI";
    const std::string neu = kJetHeader + PatternBytes(250000, 2);
    WriteFileBytes(share + "One.mdb", kJetHeader + PatternBytes(90000, 1));
    WriteFileBytes(local + "One.mdb", kJetHeader + PatternBytes(90000, 1));
    WriteFileBytes(share + "Two.mdb", kJetHeader + PatternBytes(1000, 3));
    RecordVersion("Eins", 1);
    ini("[SETUP]\r\nlogdir=" + logs + "\r\n" + entry("One", "Eins", "E2E_ONE", 1));
    // Another application of the same administrator, in a configuration of its own.
    const std::string other = app + "zwei.INI";
    ini(entry("Two", "Zwei", "E2E_TWO", 5), "zwei.INI");
    WriteFileBytes(dir / "neu.mdb", neu);
    ASSERT_EQ(publish({"One", dir / "neu.mdb", "/signieren", key}), 0u) << said;
    WriteFileBytes(dir / "zwei.mdb", kJetHeader + PatternBytes(200000, 4));
    ASSERT_EQ(RunConsoleProgram(PUBLISH_EXE,
                                {"Two", dir / "zwei.mdb", "/signieren", key, "/ini", other},
                                dir / "zwei.txt"),
              0u)
        << ReadFileBytes(dir / "zwei.txt");
    {
        const PinnedPolicy pin({publicKey});
        ASSERT_EQ(run().dialogs.size(), 2u);
        EXPECT_TRUE(ReadFileBytes(local + "One.mdb") == neu);
        EXPECT_EQ(RecordedVersion("Eins"), 2u);

        // Published by the tool without the key, the old signature put back.
        const std::string signature = iniValue(config, "One", "signatur");
        WriteFileBytes(dir / "neu.mdb", kJetHeader + PatternBytes(250000, 7));
        ASSERT_EQ(publish({"One", dir / "neu.mdb"}), 0u) << said;
        setIniValue(config, "One", "signatur", signature);
        const std::string notice = "Die neue Version von Eins auf dem Server\rtr\xE4gt keine "
                                   "g\xFCltige Signatur des Herausgebers\rund wird nicht "
                                   "installiert.\r\rEs wird die bisherige Version ge\xF6"
                                   "ffnet.";
        Outcome refused = run();
        ASSERT_EQ(refused.dialogs.size(), 1u) << Describe(refused);
        EXPECT_EQ(refused.dialogs[0].text, notice);
        EXPECT_TRUE(ReadFileBytes(local + "One.mdb") == neu);
        EXPECT_EQ(RecordedVersion("Eins"), 2u);
        EXPECT_EQ(opened().size(), 2u);

        // Another entry's signed release, its values and its bytes.
        for (const char* k : {"version", "groesse", "pruefsumme", "signatur"})
            setIniValue(config, "One", k, iniValue(other, "Two", k));
        ASSERT_TRUE(CopyFileA((share + "Two.mdb").c_str(), (share + "One.mdb").c_str(), FALSE));
        DeleteFileA((app + "opened.txt").c_str());
        refused = run();
        ASSERT_EQ(refused.dialogs.size(), 1u) << Describe(refused);
        EXPECT_EQ(refused.dialogs[0].text, notice);
        EXPECT_TRUE(ReadFileBytes(local + "One.mdb") == neu);
        EXPECT_EQ(opened().size(), 2u); // the old copy's open, written after the run

        // No local copy to fall back on: a clear error, and nothing opens.
        DeleteFileA((local + "One.mdb").c_str());
        DeleteFileA((app + "opened.txt").c_str());
        refused = run();
        ASSERT_EQ(refused.dialogs.size(), 1u) << Describe(refused);
        EXPECT_NE(refused.dialogs[0].text.find("keine g\xFCltige Signatur\rdes Herausgebers."),
                  std::string::npos)
            << refused.dialogs[0].text;
        EXPECT_TRUE(opened(0).empty()) << ReadFileBytes(app + "opened.txt");
        EXPECT_FALSE(FileExists(local + "One.mdb"));
    }
    const std::string log = ReadFileBytes(logs + [] {
        char computer[256] = {}, user[256] = {};
        DWORD n = sizeof computer, m = sizeof user;
        GetComputerNameA(computer, &n);
        GetUserNameA(user, &m);
        return std::string(computer) + "_" + user + ".log";
    }());
    size_t refusals = 0;
    for (size_t i = log.find("\tsignatur_falsch\tdie Signatur passt nicht"); i != std::string::npos;
         i = log.find("\tsignatur_falsch\t", i + 1))
        ++refusals;
    EXPECT_EQ(refusals, 3u) << log;

    // Without the pin, the same state installs as it always did.
    ASSERT_EQ(run().dialogs.size(), 2u);
    EXPECT_TRUE(ReadFileBytes(local + "One.mdb") == ReadFileBytes(share + "Two.mdb"));
}

// A copy that Access bloated is copied afresh only from a release a pinned
// key signed.
TEST_F(PublishTest, APinnedWorkstationRefreshesOnlyFromASignedRelease) {
    const std::string key = dir / "herausgeber.key";
    ASSERT_EQ(publish({"/schluessel", key}), 0u) << said;
    const size_t at = said.find("P256:");
    const PinnedPolicy pin({said.substr(at, said.find("\r\n", at) - at)});
    const std::string config = app + "vorlund.INI";
    const std::string logs = dir / "Logs\\";
    const std::string neu = kJetHeader + PatternBytes(250000, 2);
    WriteFileBytes(share + "One.mdb", kJetHeader + PatternBytes(1000, 1));
    ini("[SETUP]\r\nlogdir=" + logs + "\r\n" + entry("One", "Eins", "E2E_ONE", 1) +
        "refreshsize=150\r\n");
    WriteFileBytes(dir / "neu.mdb", neu);
    ASSERT_EQ(publish({"One", dir / "neu.mdb", "/signieren", key}), 0u) << said;
    ASSERT_EQ(run().dialogs.size(), 2u);
    const std::string bloated(600000, 'b');
    const std::string signature = iniValue(config, "One", "signatur");
    setIniValue(config, "One", "signatur", "");
    WriteFileBytes(local + "One.mdb", bloated);
    EXPECT_TRUE(run().dialogs.empty());
    EXPECT_TRUE(ReadFileBytes(local + "One.mdb") == bloated);
    setIniValue(config, "One", "signatur", signature);
    EXPECT_TRUE(run().dialogs.empty());
    EXPECT_TRUE(ReadFileBytes(local + "One.mdb") == neu);
    std::string computer(256, '\0'), user(256, '\0');
    DWORD n = 256, m = 256;
    GetComputerNameA(computer.data(), &n);
    GetUserNameA(user.data(), &m);
    const std::string log =
        ReadFileBytes(logs + computer.substr(0, n) + "_" + user.substr(0, m - 1) + ".log");
    EXPECT_NE(log.find("\tsignatur_falsch\tkeine signatur="), std::string::npos) << log;
    EXPECT_NE(log.find("\taufgefrischt\t"), std::string::npos) << log;
}

namespace {

// This prefix stands in for the workstation `name`: the computer name
// Windows reports and %COMPUTERNAME%, for the life of the object.
class Workstation {
  public:
    explicit Workstation(const std::string& name) {
        char old[256] = {};
        DWORD size = sizeof old;
        RegGetValueA(HKEY_LOCAL_MACHINE, kKey, "ComputerName", RRF_RT_REG_SZ, nullptr, old, &size);
        old_ = old;
        set(name);
    }
    Workstation(const Workstation&) = delete;
    Workstation& operator=(const Workstation&) = delete;
    ~Workstation() { set(old_); }

  private:
    static void set(const std::string& name) {
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, "ComputerName", REG_SZ, name.c_str(),
                        static_cast<DWORD>(name.size() + 1));
        SetEnvironmentVariableA("COMPUTERNAME", name.c_str());
    }
    static constexpr const char* kKey =
        "System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName";
    std::string old_;
};

} // namespace

// Two workstations, one named in the ring: it installs the ring's release,
// the other keeps everyone's; promoted, everyone runs it; a later trial
// ended, the ring runs everyone's bytes again.
TEST_F(PublishTest, ThePilotRingGetsItsReleaseFirstAndComesBackToEveryones) {
    const std::string logs = dir / "Logs\\";
    WriteFileBytes(share + "One.mdb", kJetHeader + PatternBytes(90000, 1));
    ini("[SETUP]\r\nlogdir=" + logs +
        "\r\n[One]\r\nversion=1\r\nmdbname=One.mdb\r\nmdbpath=" + share + "\r\ntmpdir=" + local +
        "%COMPUTERNAME%\\\r\ndisplayname=Eins\r\n" + "vorab=pc-vorab-01.firma.local\r\n");
    const std::string general = kJetHeader + PatternBytes(90000, 2);
    WriteFileBytes(dir / "neu.mdb", general);
    ASSERT_EQ(publish({"One", dir / "neu.mdb"}), 0u) << said;
    const std::string trial = kJetHeader + PatternBytes(120000, 3);
    WriteFileBytes(dir / "neu.mdb", trial);
    ASSERT_EQ(publish({"/vorab", "One", dir / "neu.mdb"}), 0u) << said;

    // Each PC keeps its own "Version", as its user's profile would.
    std::map<std::string, DWORD> versions{{"PC-VORAB-01", 0}, {"PC-ANDERE-02", 0}};
    const auto startOn = [&](const std::string& name) {
        const Workstation station(name);
        RecordVersion("Eins", versions[name]);
        const Outcome r = run();
        versions[name] = RecordedVersion("Eins");
        return r.dialogs.size();
    };
    const auto copyOf = [&](const std::string& name) {
        return ReadFileBytes(local + name + "\\One.mdb");
    };
    EXPECT_EQ(startOn("PC-VORAB-01"), 2u);
    EXPECT_TRUE(copyOf("PC-VORAB-01") == trial);
    EXPECT_EQ(versions["PC-VORAB-01"], 3u);
    EXPECT_EQ(startOn("PC-ANDERE-02"), 2u);
    EXPECT_TRUE(copyOf("PC-ANDERE-02") == general);
    EXPECT_EQ(versions["PC-ANDERE-02"], 2u);

    ASSERT_EQ(publish({"/fuer-alle", "One"}), 0u) << said;
    EXPECT_EQ(startOn("PC-ANDERE-02"), 2u);
    EXPECT_TRUE(copyOf("PC-ANDERE-02") == trial);
    EXPECT_EQ(startOn("PC-VORAB-01"), 2u); // a higher number, the same bytes
    EXPECT_EQ(versions["PC-VORAB-01"], 4u);

    WriteFileBytes(dir / "neu.mdb", kJetHeader + PatternBytes(130000, 4));
    ASSERT_EQ(publish({"/vorab", "One", dir / "neu.mdb"}), 0u) << said;
    EXPECT_EQ(startOn("PC-VORAB-01"), 2u);
    EXPECT_EQ(copyOf("PC-VORAB-01").size(), 130020u);
    EXPECT_EQ(startOn("PC-ANDERE-02"), 0u); // sees nothing of the trial
    ASSERT_EQ(publish({"/vorab-zurueck", "One"}), 0u) << said;
    EXPECT_EQ(startOn("PC-VORAB-01"), 2u);
    EXPECT_TRUE(copyOf("PC-VORAB-01") == trial);
    EXPECT_EQ(versions["PC-VORAB-01"], 6u);

    // The run log names the ring of each start of the pilot's release.
    const std::string log = ReadFileBytes(logs + "PC-VORAB-01_" + [] {
        char user[256] = {};
        DWORD m = sizeof user;
        GetUserNameA(user, &m);
        return std::string(user);
    }() + ".log");
    EXPECT_NE(log.find("\tinstalliert\tgepr"), std::string::npos) << log;
    EXPECT_NE(log.find("\tvorab\r\n"), std::string::npos) << log;
}
