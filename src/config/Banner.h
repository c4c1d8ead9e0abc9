#pragma once
// Whether the configuration's banner image would show: for the check, which
// reports it without drawing anything. Implemented where pictures are.
#include <string>

namespace vorlund {

bool BannerLoads(const std::string& path);

} // namespace vorlund
