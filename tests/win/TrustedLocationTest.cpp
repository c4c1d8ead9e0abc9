// The installation directory as an Access trusted location, in this
// prefix's registry: found whoever made it, made once, others untouched.
#include "prepare/TrustedLocation.h"
#include "support/WinTestSupport.h"

#include <gtest/gtest.h>

using namespace vorlund;
using namespace vorlund::testing;

namespace {

class TrustedLocationTest : public ::testing::Test {
  protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    static void clean() {
        for (const char* version : kAccessVersions)
            DeleteRegTree(HKEY_CURRENT_USER,
                          "Software\\Microsoft\\Office\\" + std::string(version));
    }
    static void location(const char* version, const std::string& name, const std::string& path) {
        const std::string key = TrustedLocationsKey(version) + "\\" + name;
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Path", REG_SZ, path.c_str(),
                        static_cast<DWORD>(path.size() + 1));
    }
    static std::vector<std::string> names(const char* version) {
        std::vector<std::string> out;
        for (const auto& l : TrustedLocationStore::Real().Locations(TrustedLocationsKey(version)))
            out.push_back(l.name + "=" + l.path);
        return out;
    }
    const std::string dir = "C:\\Users\\b\\AppData\\Local\\Firma\\Lager\\";
};

} // namespace

TEST_F(TrustedLocationTest, EachVersionGetsTheDirectoryOnceAndForeignLocationsStay) {
    location("12.0", "Location0", "C:\\Programme\\Andere\\"); // another path
    location("14.0", "Vorlund1",
             "c:\\users\\B\\appdata\\local\\firma\\lager\\"); // ours, other case
    location("16.0", "Vorlund1", "D:\\Fremd\\");              // our name, another path
    for (int run = 0; run < 2; ++run)
        EXPECT_EQ(EnsureTrustedLocation(TrustedLocationStore::Real(), dir, "Lager"), 0u);
    EXPECT_EQ(names("12.0"),
              (std::vector<std::string>{"Location0=C:\\Programme\\Andere\\", "Vorlund1=" + dir}));
    EXPECT_EQ(names("14.0"),
              (std::vector<std::string>{"Vorlund1=c:\\users\\B\\appdata\\local\\firma\\lager\\"}));
    EXPECT_EQ(names("15.0"), (std::vector<std::string>{"Vorlund1=" + dir}));
    EXPECT_EQ(names("16.0"), (std::vector<std::string>{"Vorlund1=D:\\Fremd\\", "Vorlund2=" + dir}));
    std::string description;
    DWORD subfolders = 9;
    const std::string made = TrustedLocationsKey("15.0") + "\\Vorlund1";
    ReadRegString(HKEY_CURRENT_USER, made, "Description", description);
    ReadRegDword(HKEY_CURRENT_USER, made, "AllowSubfolders", subfolders);
    EXPECT_EQ(description, "Vorlund: Lager");
    EXPECT_EQ(subfolders, 0u);
    // Without its backslash the directory is the same location.
    EXPECT_EQ(
        EnsureTrustedLocation(TrustedLocationStore::Real(), dir.substr(0, dir.size() - 1), "Lager"),
        0u);
    EXPECT_EQ(names("15.0").size(), 1u);
}

// Access reads a REG_EXPAND_SZ path expanded: such a location already names
// the directory, and no second one is made.
TEST_F(TrustedLocationTest, APathWithVariablesNamesTheDirectoryItExpandsTo) {
    SetEnvironmentVariableA("VORLUND_TL_BASE", "C:\\Users\\b\\AppData\\Local");
    for (const char* version : kAccessVersions) {
        const std::string key = TrustedLocationsKey(version) + "\\Firma";
        const std::string path = "%VORLUND_TL_BASE%\\Firma\\Lager\\";
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Path", REG_EXPAND_SZ, path.c_str(),
                        static_cast<DWORD>(path.size() + 1));
    }
    EXPECT_EQ(EnsureTrustedLocation(TrustedLocationStore::Real(), dir, "Lager"), 0u);
    EXPECT_EQ(names("16.0"), (std::vector<std::string>{"Firma=" + dir}));
    SetEnvironmentVariableA("VORLUND_TL_BASE", nullptr);
}

TEST_F(TrustedLocationTest, ARefusedWriteIsReportedAndTheOtherVersionsAreStillWritten) {
    struct Refusing : TrustedLocationStore {
        Status Create(const std::string& key, const std::string& name, const std::string& path,
                      const std::string& description, const std::string& date) override {
            if (key == TrustedLocationsKey("14.0"))
                return {ERROR_ACCESS_DENIED};
            return TrustedLocationStore::Create(key, name, path, description, date);
        }
    } refusing;
    EXPECT_EQ(EnsureTrustedLocation(refusing, dir, "Lager"),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(names("14.0").empty());
    EXPECT_EQ(names("16.0"), (std::vector<std::string>{"Vorlund1=" + dir}));
}
