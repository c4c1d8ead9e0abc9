#pragma once
// What the file system says about a path, and the program's own path.
#include <windows.h>

#include <string>
#include <vector>

namespace vorlund::win {

// A directory of that name does not count as a file, nor the reverse.
bool IsFile(const std::string& path);
bool IsDirectory(const std::string& path);

// Whether the open file and the path are one file (the same volume and file
// id), whatever the names; false when either cannot be reached.
bool SameFile(HANDLE file, const std::string& path);
bool SameFile(const std::string& a, const std::string& b);

// The names of the files (not directories) matching the pattern.
std::vector<std::string> FileNames(const std::string& pattern);

// Creates every missing level of the path; what cannot be made is left out
// silently, and shows when the directory is used.
void CreateDirectoryChain(const std::string& path);

// A path taken from the current directory, as the command line means it.
std::string FullPath(const std::string& path);

// The full path of the running program file.
std::string ModuleFileName();

} // namespace vorlund::win
