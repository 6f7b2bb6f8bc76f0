#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "common/errors.hpp"
#include "stats/ecdf.hpp"
#include "stats/total_order_sort.hpp"

namespace {

using tessel::stats::compute_ecdf;


// Reference: comparison sort by total order, then the step walk.
std::vector<std::pair<double, double>> model(std::vector<double> v, double cutoff) {
    std::sort(v.begin(), v.end(), [](double a, double b) {
        return tessel::stats::total_order_key(std::bit_cast<std::uint64_t>(a)) <
               tessel::stats::total_order_key(std::bit_cast<std::uint64_t>(b));
    });
    std::vector<std::pair<double, double>> out;
    const double n = static_cast<double>(v.size());
    for (std::size_t i = 0; i < v.size();) {
        std::size_t j = i + 1;
        while (j < v.size() && v[j] == v[i]) ++j;
        const double y = static_cast<double>(j) / n;
        if (y > cutoff) {
            out.emplace_back(v[i], cutoff);
            break;
        }
        out.emplace_back(v[i], y);
        if (y == cutoff) break;
        i = j;
    }
    return out;
}

void expect_same(const tessel::stats::EcdfPoints& got, const std::vector<std::pair<double, double>>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(got.x(i)), std::bit_cast<std::uint64_t>(want[i].first)) << i;
        EXPECT_EQ(got.y(i), want[i].second) << i;
    }
}

TEST(StatsTotalOrder, KeysOrderAllClassesOfDoubles) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> ordered = {-inf, -1e308, -1.0, -5e-324, -0.0, 0.0, 5e-324, 1.0, 1e308, inf};
    for (std::size_t i = 0; i + 1 < ordered.size(); ++i) {
        const auto a = std::bit_cast<std::uint64_t>(ordered[i]);
        const auto b = std::bit_cast<std::uint64_t>(ordered[i + 1]);
        EXPECT_LT(tessel::stats::total_order_key(a), tessel::stats::total_order_key(b)) << i;
        EXPECT_EQ(tessel::stats::from_total_order_key(tessel::stats::total_order_key(a)), a);
    }
}

struct SampleCase {
    const char* name;
    std::size_t n;
    int distinct;  // 0: all distinct
};

class StatsEcdfRandom : public ::testing::TestWithParam<SampleCase> {};

TEST_P(StatsEcdfRandom, MatchesModel) {
    const SampleCase c = GetParam();
    std::mt19937_64 rng(c.n * 31 + static_cast<std::size_t>(c.distinct));
    std::normal_distribution<double> normal(0.0, 100.0);
    std::vector<double> pool(c.distinct > 0 ? static_cast<std::size_t>(c.distinct) : 0);
    for (auto& p : pool) p = std::round(normal(rng) * 4) / 4;
    if (!pool.empty()) pool[0] = -0.0, pool.back() = 0.0;
    std::vector<double> v(c.n);
    for (auto& x : v) x = pool.empty() ? normal(rng) : pool[rng() % pool.size()];
    for (double cutoff : {1.0, 0.5, 0.1, 1e-9}) {
        expect_same(compute_ecdf(tessel::stats::read_sample(std::span<const double>(v)), cutoff), model(v, cutoff));
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, StatsEcdfRandom,
                         ::testing::Values(SampleCase{"small", 7, 0}, SampleCase{"sorted_path", 3000, 0},
                                           SampleCase{"radix", 70000, 0}, SampleCase{"few", 70000, 50},
                                           SampleCase{"many_groups", 100000, 20000},
                                           SampleCase{"ties", 9000, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StatsEcdf, SignedZerosFormOneGroupLedByNegativeZero) {
    std::vector<double> big(10000, 0.0);
    big[5000] = -0.0;
    for (const auto& v : {std::vector<double>{0.0, -0.0}, std::vector<double>{-0.0, 0.0}, big}) {
        const auto p = compute_ecdf(tessel::stats::read_sample(std::span<const double>(v)), 1.0);
        ASSERT_EQ(p.size(), 1u);
        EXPECT_TRUE(std::signbit(p.x(0)));
        EXPECT_EQ(p.y(0), 1.0);
    }
}

TEST(StatsEcdf, RefusalsInOrder) {
    auto message = [](std::vector<double> v, double c) {
        try {
            compute_ecdf(tessel::stats::read_sample(std::span<const double>(v)), c);
        } catch (const tessel::ValueError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(message({}, nan), "values must not be empty");
    EXPECT_EQ(message({nan}, 0.0), "values must contain only finite values");
    EXPECT_EQ(message({1.0}, nan), "cdf_cutoff must be finite and in the interval (0, 1]");
    EXPECT_EQ(message({1.0}, std::nextafter(1.0, 2.0)), "cdf_cutoff must be finite and in the interval (0, 1]");
    EXPECT_EQ(message({1.0}, 5e-324), "no error");
}

}  // namespace
