#include "capture/carrier_search.h"

#include <cmath>
#include <numbers>

namespace sorae {

void CarrierSearch::add(const float* iq, std::size_t frames) {
    for (std::size_t f = 0; f < frames; ++f) {
        const std::complex<double> z(iq[2 * f], iq[2 * f + 1]);
        sum_ += z;
        power_ += std::norm(z);
        if (count_ > 0) lagOne_ += z * std::conj(previous_);
        previous_ = z;
        ++count_;
    }
}

// Both sums with the mean taken out; the lag-one sum has one term fewer,
// close enough for the long stretches searched.
std::complex<double> CarrierSearch::centredLagOne() const {
    if (count_ < 2) return {};
    const std::complex<double> mean = sum_ / double(count_);
    return lagOne_ - double(count_ - 1) * std::norm(mean);
}

double CarrierSearch::centredPower() const {
    if (count_ == 0) return 0.0;
    const std::complex<double> mean = sum_ / double(count_);
    return power_ - double(count_) * std::norm(mean);
}

double CarrierSearch::coherence() const {
    const double p = centredPower();
    return p > 0.0 ? std::abs(centredLagOne()) / p : 0.0;
}

std::optional<double> CarrierSearch::carrierHz(double rate) const {
    if (!(coherence() >= kMinCoherence)) return std::nullopt;
    return std::arg(centredLagOne()) / (2.0 * std::numbers::pi) * rate;
}

}  // namespace sorae
