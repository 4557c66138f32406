// The noise source: Gaussian in shape, not only in variance, and
// reproducible from its seed.
#include <gtest/gtest.h>

#include <cmath>

#include "testsignal/gaussian_noise.h"

using sorae::testsignal::GaussianNoise;

TEST(GaussianNoise, HasTheShapeOfTheNormalDistribution) {
    GaussianNoise noise(2024);
    const int n = 2000000;
    double sum = 0, sum2 = 0, sum4 = 0;
    int within1 = 0, beyond3 = 0, beyond4 = 0, positive = 0;
    for (int i = 0; i < n; ++i) {
        const double x = noise.next();
        sum += x;
        sum2 += x * x;
        sum4 += x * x * x * x;
        within1 += std::abs(x) < 1.0;
        beyond3 += std::abs(x) > 3.0;
        beyond4 += std::abs(x) > 4.0;
        positive += x > 0;
    }
    EXPECT_NEAR(sum / n, 0.0, 0.003);
    EXPECT_NEAR(sum2 / n, 1.0, 0.004);
    EXPECT_NEAR(sum4 / n, 3.0, 0.03);                // kurtosis of the normal law
    EXPECT_NEAR(double(within1) / n, 0.682689, 0.0015);
    EXPECT_NEAR(double(beyond3) / n, 0.0026998, 0.00015);
    EXPECT_NEAR(double(beyond4) / n, 6.334e-5, 2.5e-5);  // the tail beyond the base layer
    EXPECT_NEAR(double(positive) / n, 0.5, 0.0015);
}

TEST(GaussianNoise, SeedDecidesTheSequence) {
    GaussianNoise a(5), b(5), c(6);
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        const double x = a.next();
        ASSERT_EQ(x, b.next());
        differs |= x != c.next();
    }
    EXPECT_TRUE(differs);
}
