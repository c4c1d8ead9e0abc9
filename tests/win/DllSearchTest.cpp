// Only the system directory is searched once the restriction is set, so a
// DLL beside the program or in the current directory is never loaded.
// The restriction holds for the rest of this process.
#include "support/WinTestSupport.h"
#include "win/DllSearch.h"

#include <gtest/gtest.h>

using namespace vorlund;
using namespace vorlund::testing;

TEST(DllSearch, ADllBesideTheProgramOrInTheCurrentDirectoryIsNotLoadedByName) {
    TempDir current("cwd");
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string beside(exe);
    beside = beside.substr(0, beside.find_last_of('\\') + 1) + "vorlund_planted.dll";
    ASSERT_TRUE(CopyFileA(beside.c_str(), (current / "vorlund_planted2.dll").c_str(), FALSE));
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    SetCurrentDirectoryA(current.Path().c_str());

    for (const char* name : {"vorlund_planted.dll", "vorlund_planted2.dll"}) {
        HMODULE found = LoadLibraryA(name); // both are found without the restriction
        ASSERT_NE(found, nullptr) << name;
        FreeLibrary(found);
    }
    win::RestrictDllSearch();
    EXPECT_EQ(LoadLibraryA("vorlund_planted.dll"), nullptr);
    EXPECT_EQ(LoadLibraryA("vorlund_planted2.dll"), nullptr);
    EXPECT_NE(LoadLibraryA("version.dll"), nullptr); // the system's own still load
    SetCurrentDirectoryA(before);
}
