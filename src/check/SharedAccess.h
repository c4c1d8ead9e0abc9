#pragma once
// Whether anyone but the user may change a file or directory: anyone but
// the user, the administrators and the system, that is, who holds a right to
// write, append or delete, once the deny entries before it are taken off,
// and an owner, who may always rewrite the list.
// On a shared PC or a terminal server such a user could replace the
// front-end and run code in this user's account.
#include <windows.h>

#include <string>
#include <vector>

namespace vorlund::check {

// The accounts and groups (as Windows names them) that may change it;
// `countSelf`: the user running this counts as anyone else.
std::vector<std::string> OthersWhoMayChange(const std::string& path, bool countSelf = false);
// The same question of an access list, for the user `self`, of a file that
// `owner` owns; no list at all lets everyone in.
std::vector<std::string> OthersWhoMayChange(const ACL* dacl, PSID self, PSID owner = nullptr);

} // namespace vorlund::check
