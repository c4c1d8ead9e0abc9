#include "check/ReportFile.h"

#include "win/Handles.h"
#include "win/Unicode.h"

namespace vorlund::check {

DWORD WriteReplacing(const std::string& path, const std::string& bytes) {
    const std::string temp = path + "." + std::to_string(GetCurrentProcessId()) + ".neu";
    DWORD error = ERROR_SUCCESS;
    {
        win::File file = win::OpenFile(temp, GENERIC_WRITE, 0, CREATE_ALWAYS);
        DWORD written = 0;
        if (!file ||
            !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written != bytes.size() || !FlushFileBuffers(file.get()) || !file.close())
            error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    }
    if (error == ERROR_SUCCESS && !MoveFileExW(win::Wide(temp).c_str(), win::Wide(path).c_str(),
                                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS)
        DeleteFileW(win::Wide(temp).c_str());
    return error;
}

} // namespace vorlund::check
