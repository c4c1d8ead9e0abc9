#include "prepare/DriverPath.h"
#include "prepare/Registry.h"
#include "support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace vorlund;
using namespace vorlund::testing;

namespace {

const std::string kScratch = "Software\\VorlundTest\\Registry";

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { DeleteRegTree(HKEY_CURRENT_USER, kScratch); }
    void TearDown() override { DeleteRegTree(HKEY_CURRENT_USER, kScratch); }
    TRegistry reg;
};

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ERegistryException& e) {
        return e.what();
    }
    return "no error";
}

void setRaw(const std::string& name, DWORD type, const void* data, DWORD size) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kScratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &h, nullptr),
              ERROR_SUCCESS);
    win::UniqueKey key(h);
    ASSERT_EQ(RegSetValueExA(h, name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
}

} // namespace

TEST_F(RegistryTest, AFreshAccessorCreatesAndWritesUnderTheCurrentUser) {
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    ASSERT_TRUE(reg.OpenKey("\\" + kScratch + "\\fresh", true));
    reg.WriteString("Name", "Wert");
    reg.WriteInteger("Zahl", 7);
    std::string text;
    DWORD number = 0;
    EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, kScratch + "\\fresh", "Name", text));
    EXPECT_EQ(text, "Wert");
    EXPECT_TRUE(ReadRegDword(HKEY_CURRENT_USER, kScratch + "\\fresh", "Zahl", number));
    EXPECT_EQ(number, 7u);
}

TEST_F(RegistryTest, OpeningWithoutCreateFailsQuietlyAndKeepsTheCurrentKey) {
    ASSERT_TRUE(reg.OpenKey("\\" + kScratch, true));
    HKEY current = reg.CurrentKey();
    EXPECT_FALSE(reg.OpenKey("\\" + kScratch + "\\absent", false));
    EXPECT_EQ(reg.CurrentKey(), current);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kScratch + "\\absent"));
}

TEST_F(RegistryTest, StringsAndIntegersAreStoredWithTheirTypesAndSizes) {
    ASSERT_TRUE(reg.OpenKey("\\" + kScratch, true));
    reg.WriteString("Database", "D:\\Daten\\bär.gdb");
    reg.WriteString("Empty", "");
    reg.WriteInteger("Version", -2);
    std::string text;
    DWORD type = 0, size = 0;
    ASSERT_TRUE(ReadRegString(HKEY_CURRENT_USER, kScratch, "Database", text, &type, &size));
    EXPECT_EQ(text, "D:\\Daten\\b\xE4r.gdb");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, text.size() + 1);
    ASSERT_TRUE(ReadRegString(HKEY_CURRENT_USER, kScratch, "Empty", text, &type, &size));
    EXPECT_EQ(size, 1u);
    DWORD dword = 0;
    ASSERT_TRUE(ReadRegDword(HKEY_CURRENT_USER, kScratch, "Version", dword));
    EXPECT_EQ(dword, 0xFFFFFFFEu);
    EXPECT_EQ(reg.ReadInteger("Version"), -2);
    EXPECT_EQ(reg.ReadString("Database"), "D:\\Daten\\bär.gdb");
    EXPECT_TRUE(reg.ValueExists("Empty"));
    EXPECT_FALSE(reg.ValueExists("Nothing"));
}

TEST_F(RegistryTest, ReadingFollowsTheTypeRules) {
    const char expand[] = "%SystemRoot%\\x\0hidden";
    setRaw("Expand", REG_EXPAND_SZ, expand, sizeof expand);
    const DWORD one = 1;
    setRaw("Number", REG_DWORD, &one, 4);
    setRaw("Text", REG_SZ, "12", 3);
    const char eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    setRaw("Long", REG_DWORD, eight, 8);
    setRaw("Bin", REG_BINARY, eight, 4);
    setRaw("NoData", REG_SZ, nullptr, 0);
    ASSERT_TRUE(reg.OpenKey("\\" + kScratch, false));

    EXPECT_EQ(reg.ReadString("Expand"), "%SystemRoot%\\x"); // not expanded, up to the NUL
    EXPECT_EQ(reg.ReadString("Absent"), "");
    EXPECT_EQ(reg.ReadString("NoData"), "");
    EXPECT_EQ(errorOf([&] { reg.ReadString("Number"); }), "Ungültiger Datentyp für 'Number'");
    EXPECT_EQ(reg.ReadInteger("Number"), 1);
    EXPECT_EQ(errorOf([&] { reg.ReadInteger("Text"); }), "Ungültiger Datentyp für 'Text'");
    EXPECT_EQ(errorOf([&] { reg.ReadInteger("Bin"); }), "Ungültiger Datentyp für 'Bin'");
    EXPECT_EQ(errorOf([&] { reg.ReadInteger("Long"); }), "Konnte Daten für 'Long' nicht holen");
    EXPECT_EQ(errorOf([&] { reg.ReadInteger("Absent"); }), "Konnte Daten für 'Absent' nicht holen");
}

TEST_F(RegistryTest, WithoutAKeyWritesFailAndNothingExists) {
    EXPECT_FALSE(reg.ValueExists("Anything"));
    EXPECT_EQ(errorOf([&] { reg.WriteString("Role", "3"); }),
              "Konnte Daten für 'Role' nicht setzen");
    EXPECT_EQ(errorOf([&] { reg.WriteInteger("Version", 1); }),
              "Konnte Daten für 'Version' nicht setzen");
}

TEST_F(RegistryTest, ChangingTheRootClosesTheKeyAndReadAccessRefusesWrites) {
    ASSERT_TRUE(reg.OpenKey("\\" + kScratch, true));
    reg.SetRootKey(HKEY_CURRENT_USER); // same root: the key stays
    EXPECT_NE(reg.CurrentKey(), nullptr);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.SetAccess(KEY_READ);
    ASSERT_TRUE(reg.OpenKey("\\" + kScratch, false));
    EXPECT_EQ(errorOf([&] { reg.WriteString("X", "y"); }), "Konnte Daten für 'X' nicht setzen");
}

TEST_F(RegistryTest, DriverPathFromTheWindowsDirectory) {
    const std::string key = "Software\\VorlundTest\\CurrentVersion";
    const std::string path = "\\" + key;
    auto systemRoot = [&](const char* value) {
        DeleteRegTree(HKEY_LOCAL_MACHINE, key);
        HKEY h = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        win::UniqueKey k(h);
        if (value)
            RegSetValueExA(h, "SystemRoot", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>(strlen(value) + 1));
    };
    const std::string dll = "SYSTEM32\\ib6xtg10.dll";

    systemRoot("C:\\windows");
    EXPECT_EQ(DetermineDriverPath(reg, path.c_str()), "C:\\windows\\" + dll);
    EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.Access(), static_cast<REGSAM>(KEY_READ));
    EXPECT_NE(reg.CurrentKey(), nullptr); // left open

    systemRoot("C:\\windows\\");
    TRegistry withBackslash;
    EXPECT_EQ(DetermineDriverPath(withBackslash, path.c_str()), "C:\\windows\\" + dll);

    systemRoot(nullptr);
    TRegistry noValue;
    EXPECT_EQ(DetermineDriverPath(noValue, path.c_str()), "\\" + dll);

    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\VorlundTest");
    TRegistry noKey;
    EXPECT_EQ(DetermineDriverPath(noKey, path.c_str()), "");
    EXPECT_EQ(noKey.CurrentKey(), nullptr);

    TRegistry real;
    const std::string actual = DetermineDriverPath(real);
    ASSERT_GT(actual.size(), dll.size() + 3);
    EXPECT_EQ(actual.substr(actual.size() - dll.size() - 1), "\\" + dll);
    EXPECT_EQ(actual.find("\\\\"), std::string::npos);
}
