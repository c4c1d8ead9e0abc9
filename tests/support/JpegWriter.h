#pragma once
// Makes JPEG files for tests: real ones from libjpeg, and damaged variants.
#include <cstdint>
#include <vector>

namespace vorlund::testing {

// A w x h picture with a colour gradient.
std::vector<uint8_t> makeJpeg(int width, int height, bool progressive = false);

// Rewrites the dimensions in the frame header, leaving the data as it is.
void setDeclaredSize(std::vector<uint8_t>& jpeg, uint16_t width, uint16_t height);

} // namespace vorlund::testing
