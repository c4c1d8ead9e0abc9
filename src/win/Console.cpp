#include "win/Console.h"

#include "base/CommandLine.h"
#include "base/Utf8.h"
#include "win/Unicode.h"

#include <windows.h>

namespace vorlund::win {

std::vector<std::string> Arguments() {
    std::vector<std::string> args = SplitCommandLine(Narrow(GetCommandLineW()));
    if (!args.empty())
        args.erase(args.begin()); // the program itself
    return args;
}

void WriteOut(std::string_view text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        const std::u16string wide = utf8ToUtf16(text);
        WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

} // namespace vorlund::win
