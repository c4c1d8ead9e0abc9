#pragma once
// Appending one line to a run log file. The file's open goes through a seam
// that a test can make refuse, as a drop-box folder refuses an open that
// asks to read: users may add to their log there, but not read it.
#include "win/Handles.h"

#include <string>

namespace vorlund {

class LogFiles {
  public:
    virtual ~LogFiles() = default;
    struct Opened {
        win::File file;
        DWORD error = ERROR_SUCCESS; // the last error right after the open:
                                     // ERROR_ALREADY_EXISTS for a file that was there
    };
    // Opens or creates the file, sharing reading and writing.
    virtual Opened Open(const std::wstring& path, DWORD access);
    static LogFiles& Real();
};

// Appends the line: with the header in the same write to a new file, so
// that lines of two writers never interleave, and after a line end to a
// last line that lost its own, where the file may be read. A file that
// cannot be opened gets nothing.
void AppendLogLine(const std::wstring& path, const std::string& line,
                   LogFiles& files = LogFiles::Real());

} // namespace vorlund
