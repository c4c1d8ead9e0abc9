// The real vorlundcheck.exe: its argument, exit code and output encoding.
#include "support/Driver.h"
#include "support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vorlund;
using namespace vorlund::testing;

namespace {

DWORD runCheck(const std::vector<std::string>& args, const std::string& outputPath) {
    return RunConsoleProgram(CHECK_EXE, args, outputPath);
}

} // namespace

TEST(CheckExe, AFaultyConfigurationGivesTwoWithGermanTextInUtf8) {
    TempDir dir("checkexe");
    WriteFileBytes(dir / "vorlund.INI", "[SETUP]\r\nJpegImage=b\xE4r.jpg\r\n");
    EXPECT_EQ(runCheck({dir / "vorlund.INI"}, dir / "out.txt"), 2u);
    const std::string out = ReadFileBytes(dir / "out.txt");
    EXPECT_EQ(out.rfind("Vorlund-Prüfung ", 0), 0u) << out;
    EXPECT_NE(out.find("außer [SETUP]"), std::string::npos) << out;
    EXPECT_EQ(runCheck({"a", "b"}, dir / "out.txt"), 2u); // one configuration at most
}
