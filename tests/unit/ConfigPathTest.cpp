#include "config/ConfigPath.h"

#include <gtest/gtest.h>

using vorlund::configFilePath;
using vorlund::programDirectory;

TEST(ConfigPath, ProgramDirectoryEndsInABackslash) {
    EXPECT_EQ(programDirectory("D:\\Tools\\vorlund.exe"), "D:\\Tools\\");
    EXPECT_EQ(programDirectory("C:vorlund.exe"), "C:\\");
    EXPECT_EQ(programDirectory("vorlund.exe"), "\\");
    EXPECT_EQ(programDirectory("\\\\server\\share\\a.exe"), "\\\\server\\share\\");
}

TEST(ConfigPath, ExtensionBecomesUpperCaseIni) {
    EXPECT_EQ(configFilePath("D:\\Tools\\vorlund.exe"), "D:\\Tools\\vorlund.INI");
    EXPECT_EQ(configFilePath("D:\\Tools\\X.EXE"), "D:\\Tools\\X.INI");
    EXPECT_EQ(configFilePath("D:\\Tools\\my.launcher.exe"), "D:\\Tools\\my.launcher.INI");
    EXPECT_EQ(configFilePath("D:\\Tools\\noext"), "D:\\Tools\\noext.INI");
    // A dot in a directory name is not an extension.
    EXPECT_EQ(configFilePath("D:\\v1.2\\start"), "D:\\v1.2\\start.INI");
    EXPECT_EQ(configFilePath("C:start.exe"), "C:\\start.INI");
}
