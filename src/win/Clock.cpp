#include "win/Clock.h"

#include <windows.h>

#include <cstdio>

namespace vorlund::win {

std::string LocalTimeText() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    return text;
}

} // namespace vorlund::win
