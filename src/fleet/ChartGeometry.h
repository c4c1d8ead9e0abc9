#pragma once
// The geometry of the report's charts, as plain numbers from the aggregated
// counts: where each bar segment and each point of a curve goes. Drawing
// them is the page's; these functions decide nothing else.
#include <array>
#include <cstddef>
#include <vector>

namespace vorlund::fleet {

struct Segment {
    double x, width;
};
// One bar split in proportion to the counts (on the newest version, one
// behind, further behind), filling `width`; all zero gives zero widths.
std::array<Segment, 3> VersionBar(const std::array<size_t, 3>& counts, double width);

struct Point {
    double x, y;
};
// A share (0 to 1) per day, left to right across `width` inside `margin`,
// 1 at the top of `height` and 0 at its bottom, inside the same margin. One
// day stands in the middle.
std::vector<Point> CurvePoints(const std::vector<double>& shares, double width, double height,
                               double margin);

} // namespace vorlund::fleet
