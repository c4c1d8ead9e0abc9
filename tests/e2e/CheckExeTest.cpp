// The real vorlundcheck.exe: its argument, exit code and output encoding.
#include "support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vorlund;
using namespace vorlund::testing;

namespace {

// Runs the check with its output in a file; the exit code, or 99.
DWORD runCheck(const std::vector<std::string>& args, const std::string& outputPath) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    win::File output(CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = output.get();
    si.hStdError = output.get();
    PROCESS_INFORMATION pi{};
    std::string line = "\"" CHECK_EXE "\"";
    for (const std::string& arg : args)
        line.append(" \"").append(arg).append("\"");
    if (!CreateProcessA(CHECK_EXE, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi))
        return 99;
    win::UniqueKernel process(pi.hProcess), thread(pi.hThread);
    DWORD code = 99;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    return code;
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
