#pragma once
// A report file written in one step: a temporary file beside it, written
// through, then put in its place, so that a reader never finds half a page.
#include <windows.h>

#include <string>

namespace vorlund::fleet {

// ERROR_SUCCESS, or why the file could not be written; nothing is left
// beside it then.
DWORD WriteReplacing(const std::string& path, const std::string& bytes);

} // namespace vorlund::fleet
