#include "prepare/RunLogWriter.h"

#include "prepare/RunLog.h"

namespace vorlund {
namespace {

struct OpenedLog {
    win::File file;
    bool readable = false; // its end can be looked at
    bool created = false;
};

// For appending, and for reading its last byte where that is allowed.
OpenedLog openLog(LogFiles& files, const std::wstring& path) {
    const DWORD tries[] = {FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES,
                           FILE_APPEND_DATA};
    OpenedLog log;
    for (const DWORD access : tries) {
        LogFiles::Opened opened = files.Open(path, access);
        if (opened.file) {
            log.file = std::move(opened.file);
            log.readable = access & FILE_READ_DATA;
            log.created = opened.error != ERROR_ALREADY_EXISTS;
            break;
        }
        if (opened.error != ERROR_ACCESS_DENIED)
            break;
    }
    return log;
}

// Whether the file's last byte ends a line. A short write, or a file saved
// back from a spreadsheet, may leave the last line open; the next line must
// not be joined to it.
bool endsInLineBreak(HANDLE file, LONGLONG size) {
    LARGE_INTEGER last{};
    last.QuadPart = size - 1;
    char byte = 0;
    DWORD read = 0;
    return SetFilePointerEx(file, last, nullptr, FILE_BEGIN) &&
           ReadFile(file, &byte, 1, &read, nullptr) && read == 1 && byte == '\n';
}

// What goes before the line. A file that may not be read is taken as it is.
std::string lineStart(const OpenedLog& log) {
    if (!log.readable)
        return log.created ? RunLogHeader() : std::string();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(log.file.get(), &size))
        return {};
    return size.QuadPart == 0                               ? RunLogHeader()
           : endsInLineBreak(log.file.get(), size.QuadPart) ? std::string()
                                                            : std::string("\r\n");
}

} // namespace

LogFiles::Opened LogFiles::Open(const std::wstring& path, DWORD access) {
    Opened opened;
    opened.file = win::File(CreateFileW(path.c_str(), access | SYNCHRONIZE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    opened.error = GetLastError();
    return opened;
}

LogFiles& LogFiles::Real() {
    static LogFiles real;
    return real;
}

void AppendLogLine(const std::wstring& path, const std::string& line, LogFiles& files) {
    const OpenedLog log = openLog(files, path);
    if (!log.file)
        return;
    const std::string data = lineStart(log) + line;
    DWORD written = 0;
    WriteFile(log.file.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
}

} // namespace vorlund
