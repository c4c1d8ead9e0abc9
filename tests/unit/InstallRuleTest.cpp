#include "base/AsciiText.h"
#include "prepare/InstallRule.h"
#include "prepare/LaunchCommand.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace vorlund;
using namespace std::string_literals;

TEST(InstallRule, ACopyIsInstalledWhenMissingOlderByRegistryOrOlderByItsMarker) {
    struct Case {
        LocalCopyFacts facts;
        bool needed;
    };
    const std::vector<Case> cases{
        {{false, 3, 3, 3}, true},            // no copy at all
        {{true, 2, 3, std::nullopt}, true},  // an earlier release's copy, older by "Version"
        {{true, 3, 3, std::nullopt}, false}, // an earlier release's copy, current
        {{true, 3, 3, 2}, true},             // "Version" roamed from another PC
        {{true, 3, 3, 3}, false},            //
        {{true, 5, 3, 4}, false},            // lowered in the configuration: kept
        {{true, -1, -1, -2}, true},          // signed comparison
    };
    for (const Case& c : cases)
        EXPECT_EQ(InstallNeeded(c.facts), c.needed)
            << c.facts.present << " " << c.facts.installed << " " << c.facts.configured;
}

TEST(InstallRule, TheMarkerIsDecimalTextWithCrLfAndAnythingElseIsNoMarker) {
    EXPECT_EQ(VersionMarkerPath("C:\\Apps\\orders.mdb"), "C:\\Apps\\orders.mdb.version");
    for (int32_t v : {0, 12, -7, INT32_MAX, INT32_MIN})
        EXPECT_EQ(ParseVersionMarker(VersionMarkerText(v)), v);
    EXPECT_EQ(VersionMarkerText(12), "12\r\n");
    EXPECT_EQ(ParseVersionMarker("12"), 12);
    for (const char* damaged : {"", "\r\n", "0x1F\r\n", "12 \r\n", "12\r\n\r\n", "99999999999\r\n"})
        EXPECT_EQ(ParseVersionMarker(damaged), std::nullopt) << damaged;
    // With what the install verified: the copy's hash and size.
    const InstalledProof proof{std::string(64, 'a'), 150020};
    const std::string marker = VersionMarkerText(13, proof);
    EXPECT_EQ(marker, "13\r\nsha256=" + std::string(64, 'a') + "\r\ngroesse=150020\r\n");
    EXPECT_EQ(ParseVersionMarker(marker), 13);
    EXPECT_EQ(ParseMarkerProof(marker), proof);
    EXPECT_EQ(ParseMarkerProof("13\r\n"), std::nullopt);
    for (const std::string& damaged : {"13\r\nsha256=ab\r\ngroesse=1\r\n"s, // no SHA-256
                                       "13\r\ngroesse=1\r\nsha256=" + std::string(64, 'a')})
        EXPECT_EQ(ParseVersionMarker(damaged), std::nullopt) << damaged;
}

// The launcher and the check judge the same paths: every path an install
// writes must fit, counted in UTF-16 units.
TEST(InstallRule, APathFitsOnlyWhenEveryFileAndDirectoryTheInstallWritesFits) {
    const auto path = [](size_t length, const char* unit = "x") {
        std::string p = "C:\\";
        while (p.size() < length)
            p += unit;
        return p;
    };
    const std::string dir = "C:\\Apps\\";
    EXPECT_TRUE(InstallPathsFit(path(259), path(240), dir));
    EXPECT_FALSE(InstallPathsFit(path(260), path(240), dir));
    EXPECT_FALSE(InstallPathsFit(path(10), path(241), dir)); // its partial file would not
    EXPECT_FALSE(InstallPathsFit(path(10), path(250), dir));
    EXPECT_TRUE(DirectoryFits(path(247) + "\\\\"));
    EXPECT_FALSE(DirectoryFits(path(248)));
    EXPECT_FALSE(InstallPathsFit(path(10), path(20), path(248)));
    std::string cyrillic = "C:\\", emoji = "C:\\";
    for (int i = 0; i < 237; ++i)
        cyrillic += "Ж"; // two bytes, one unit
    for (int i = 0; i < 119; ++i)
        emoji += "😀"; // four bytes, two units
    EXPECT_TRUE(InstallPathsFit(path(10), cyrillic, dir));
    EXPECT_FALSE(InstallPathsFit(path(10), emoji, dir));
}

TEST(InstallRule, ACopyIsRefreshedOnlyPastItsShareOfTheCentralSize) {
    EXPECT_FALSE(RefreshNeeded(300, 100, 300)); // exactly three times: not yet
    EXPECT_TRUE(RefreshNeeded(301, 100, 300));
    EXPECT_FALSE(RefreshNeeded(1'000'000, 100, 0));                 // off
    EXPECT_TRUE(RefreshNeeded(1, 0, 300));                          // an empty central copy
    EXPECT_FALSE(RefreshNeeded(INT64_MAX / 2, INT64_MAX / 4, 300)); // no overflow
}

TEST(LaunchCommand, TheProgramTheCopyAndTheArgumentsAsWritten) {
    const std::string parameters =
        LaunchParameters("C:\\Lokal\\lager.mdb", "/runtime /wrkgrp \"C:\\x.mdw\"");
    EXPECT_EQ(
        LaunchCommandLine("C:\\Office\\MSACCESS.EXE", parameters),
        "\"C:\\Office\\MSACCESS.EXE\" \"C:\\Lokal\\lager.mdb\" /runtime /wrkgrp \"C:\\x.mdw\"");
    EXPECT_EQ(LaunchParameters("C:\\l.mdb", ""), "\"C:\\l.mdb\"");
    for (const char* program :
         {".exe", ".CMD", ".Lnk", ".hta", ".vbe", ".jse", ".wsf", ".wsh", ".cpl", ".msc", ".reg"})
        EXPECT_TRUE(RunsAsProgram(program)) << program;
    for (const char* document : {".mdb", ".accdb", ".mde", "", ".exe.mdb", ".ps1"})
        EXPECT_FALSE(RunsAsProgram(document)) << document;
    // Windows calls Access's own files dangerous too (macros); they are what
    // the launcher opens, and what it refuses to run stays refused.
    for (const char* access : {".mdb", ".MDE", ".accdb", ".accde", ".accdr"})
        EXPECT_FALSE(RunsAsProgram(access, true)) << access;
    EXPECT_TRUE(RunsAsProgram(".xyz", true));
    EXPECT_EQ(ExtensionOf("C:\\a.b\\lager"), "");
    EXPECT_EQ(ExtensionOf("lager.MDB"), ".MDB");
}

// One rule for both programs: an installation directory of its own, absolute
// after its variables, and never the central copy's.
TEST(InstallRule, AnInstallDirectoryMustBeAnAbsolutePathOfItsOwn) {
    const SameName sameName = [](std::string_view a, std::string_view b) {
        return equalsIgnoreAsciiCase(a, b);
    };
    const struct {
        std::string dir;
        InstallDirFault fault;
    } cases[] = {
        {"", InstallDirFault::Empty},
        {"Apps\\Lager\\", InstallDirFault::Relative},
        {"\\Apps\\Lager\\", InstallDirFault::Relative},
        {"C:Apps\\", InstallDirFault::Relative},
        {"\\\\server\\", InstallDirFault::Relative},
        {"\\\\\\share\\", InstallDirFault::Relative},
        {"%UNDEFINED%\\x\\", InstallDirFault::Unexpanded},
        {"C:\\Users\\%LOCALAPPDATE%\\Firma\\", InstallDirFault::Unexpanded},
        {"C:\\x\\", InstallDirFault::None},
        {"d:\\100%\\", InstallDirFault::None},
        {"\\\\s\\f\\", InstallDirFault::None},
        {"\\\\s\\f\\Lager\\", InstallDirFault::None},
        {"N:\\APPS\\LAGER\\", InstallDirFault::CentralCopy}, // mdbpath in another letter case
    };
    for (const auto& c : cases)
        EXPECT_EQ(InstallDirectoryFault(c.dir, c.dir + "lager.mdb", "N:\\Apps\\Lager\\lager.mdb",
                                        sameName),
                  c.fault)
            << c.dir;
    EXPECT_NE(InstallDirFaultText(InstallDirFault::Unexpanded, "%X%\\").find("%X%\\"),
              std::string::npos);
}

TEST(InstallRule, ARefreshSizeOfAHundredOrLessIsOff) {
    EXPECT_FALSE(RefreshNeeded(1000, 10, 50)); // a typo for 500 would copy at every start
    EXPECT_FALSE(RefreshNeeded(1000, 10, 100));
    EXPECT_TRUE(RefreshNeeded(1000, 10, 101));
    EXPECT_FALSE(RefreshActive(1));
    EXPECT_TRUE(RefreshActive(300));
}
