// Stands in for the database application in tests and in the demo: the
// shell starts it for a .mdb file. It appends its command line and working
// directory to "opened.txt" beside itself and shows the file it was given.
// Both lines are written in Windows-1252, whatever the ANSI code page, and
// again in UTF-8 to "opened-utf8.txt", exactly.
#include "base/Cp1252.h"
#include "base/Utf8.h"

#include <windows.h>

#include <fstream>
#include <string>

namespace {

std::string cp1252(const wchar_t* text) {
    return vorlund::utf16ToCp1252(reinterpret_cast<const char16_t*>(text));
}

std::string utf8(const wchar_t* text) {
    return vorlund::utf16ToUtf8(reinterpret_cast<const char16_t*>(text));
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string log(self);
    log = log.substr(0, log.find_last_of('\\') + 1) + "opened.txt";
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::ofstream out(log, std::ios::app | std::ios::binary);
    out << "CMDLINE " << cp1252(GetCommandLineW()) << "\r\nCWD " << cp1252(cwd) << "\r\n";
    out.close();
    std::ofstream exact(log.substr(0, log.size() - 4) + "-utf8.txt",
                        std::ios::app | std::ios::binary);
    exact << "CMDLINE " << utf8(GetCommandLineW()) << "\r\nCWD " << utf8(cwd) << "\r\n";
    if (GetEnvironmentVariableA("VORLUND_RECORDER_SHOW", nullptr, 0) > 0)
        MessageBoxA(nullptr, GetCommandLineA(),
                    "Datenbank ge\xF6"
                    "ffnet",
                    MB_OK | MB_ICONINFORMATION);
    return 0;
}
