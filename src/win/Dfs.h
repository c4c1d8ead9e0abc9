#pragma once
// Whether a path lies in a DFS namespace, whose workstations may each read a
// different server's copy, replicated in no promised order.
#include <optional>
#include <string>

namespace vorlund::win {

// Nothing when the path is no DFS path; the folder it leads to now on one
// server (\\SERVER\Share\rest) where Windows says; an empty text where it is
// a domain's namespace whose target is unknown here.
std::optional<std::string> DfsTarget(const std::string& path);

} // namespace vorlund::win
