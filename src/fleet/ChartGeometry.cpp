#include "fleet/ChartGeometry.h"

#include <algorithm>

namespace vorlund::fleet {

std::array<Segment, 3> VersionBar(const std::array<size_t, 3>& counts, double width) {
    const double total = static_cast<double>(counts[0] + counts[1] + counts[2]);
    std::array<Segment, 3> bar{};
    double x = 0;
    for (size_t i = 0; i < bar.size(); ++i) {
        const double w = total > 0 ? width * static_cast<double>(counts[i]) / total : 0;
        bar[i] = {x, w};
        x += w;
    }
    return bar;
}

std::vector<Point> CurvePoints(const std::vector<double>& shares, double width, double height,
                               double margin) {
    std::vector<Point> points;
    const double innerWidth = width - 2 * margin, innerHeight = height - 2 * margin;
    const size_t n = shares.size();
    for (size_t i = 0; i < n; ++i) {
        const double share = std::clamp(shares[i], 0.0, 1.0);
        const double x =
            n == 1 ? margin + innerWidth / 2
                   : margin + innerWidth * static_cast<double>(i) / static_cast<double>(n - 1);
        points.push_back({x, margin + innerHeight * (1 - share)});
    }
    return points;
}

} // namespace vorlund::fleet
