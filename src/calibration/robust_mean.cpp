#include "calibration/robust_mean.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sorae {
namespace {

double medianOf(std::vector<double> v) {
    const std::size_t n = v.size();
    std::nth_element(v.begin(), v.begin() + n / 2, v.end());
    const double upper = v[n / 2];
    if (n % 2 == 1) return upper;
    return (upper + *std::max_element(v.begin(), v.begin() + n / 2)) / 2.0;
}

}  // namespace

RobustMean RobustMeanOf(std::vector<double> values, double floor) {
    std::erase_if(values, [](double v) { return !std::isfinite(v); });
    RobustMean r;
    if (values.empty()) {
        r.mean = std::numeric_limits<double>::quiet_NaN();
        return r;
    }
    const double median = medianOf(values);
    std::vector<double> deviations(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) deviations[i] = std::fabs(values[i] - median);
    // 1.4826 MAD estimates the standard deviation of normal readings
    const double limit = std::max(3.5 * 1.4826 * medianOf(deviations), floor);
    double sum = 0.0;
    for (const double v : values) {
        if (std::fabs(v - median) > limit) {
            ++r.rejected;
            continue;
        }
        sum += v;
        ++r.kept;
    }
    r.mean = sum / r.kept;   // the median itself is always kept
    return r;
}

}  // namespace sorae
