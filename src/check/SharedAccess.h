#pragma once
// Whether other users of this PC may change a file or directory: an access
// entry that grants Everyone, Users or Authenticated Users the right to
// write, append or delete. On a shared PC or a terminal server another user
// could then replace the front-end and run code in this user's account.
#include <windows.h>

#include <string>

namespace vorlund::check {

bool ChangeableByOtherUsers(const std::string& path);
// The same question of an access list; no list at all lets everyone in.
bool LetsOtherUsersChange(const ACL* dacl);

} // namespace vorlund::check
