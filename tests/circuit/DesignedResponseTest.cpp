// The designed curve and its grid: the samples are the ones the window drew before
// the computation moved into the circuit model, bit for bit. The hashes and samples
// below were produced by that code (TForm1::EvaluateResponse) and are kept as data.
#include "Responses.h"
#include "SampleGrid.h"

#include <gtest/gtest.h>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

using Rlc::SampleGrid::Samples;

struct Recorded {
  Rlc::Positions at;
  std::uint64_t hash; // FNV-1a over the bytes of the 10,001 doubles
  double y228, y5000, y10000;
};

constexpr Recorded RecordedCurves[] = {
    {{470, 220, 1000}, 0xd91ea07ee1def2feULL, 0x1.e596db969c153p-1, 0x1.e32edda2bd766p-3, -0x1.81c7edbd01c79p-4},
    {{0, 220, 1000}, 0x40d7a9a7aaaadd5cULL, 0x1.ffb5edb3e9a1ap-1, 0x1.7fd184076f62p-1, -0x1.fc0d7530becc5p-1},
    {{0, 10, 10}, 0xc09b17bca2b8b892ULL, 0x1.3f9c515397ff4p-3, -0x1.96a43405ffe91p-1, 0x1.ee2c7694978a2p-1},
    {{0, 5000, 5000}, 0xe2f77645b1a8eb20ULL, 0x1.264c859fdc568p-3, -0x1.52e104df0fcb8p-6, 0x1.52ce75d0000e8p-5},
    {{10000, 10, 10}, 0xcf613523e77a9a9eULL, 0x1.eb82d5c2027e8p-131, 0x0p+0, 0x0p+0},
    {{10000, 5000, 5000}, 0x8baf3d9ffefcb781ULL, 0x1.1b9e8851b911p+16, 0x1.a51f26e87bcd6p+13, 0x1.6b330e5ffa8e9p+7},
    {{282, 5000, 10}, 0x7f500e006fce9c9eULL, 0x1.a960a3aa0ce53p+0, -0x1.2ef19b6646425p-95, -0x1.f4935ff649645p-197},
    {{283, 5000, 10}, 0x08cae5fa7e4f8be5ULL, 0x1.ba101821c8566p+20, 0x1.c60a7dc8e140dp-73, 0x1.b055a9df8edf7p-174},
    {{10000, 10, 5000}, 0x974b2e0c6d06938bULL, -0x1.e9750791b3816p-5, 0x1.b6ab776f91bep-8, 0x1.cabf6b2aa8eeep-17},
    {{1, 10, 10}, 0x0ab33ad5c5ec7002ULL, 0x1.3bfd537857cebp-3, -0x1.3cb0188ca2662p-1, 0x1.2bbc15e3723b4p-1},
    {{10000, 1000, 2500}, 0x11bb254a1c87b082ULL, 0x1.1a3ec7059a2ecp+19, 0x1.c5ffd1f81192p+9, 0x1.51b30c802a452p-4},
    {{9999, 1000, 2500}, 0x9eb75163790105e7ULL, 0x1.470234a3616cfp+4, 0x1.0660a9a9dc976p-5, 0x1.82d1e86133eacp-19},
    {{1234, 3456, 789}, 0x8fbaa37adeec5779ULL, 0x1.8f0d34e559b8cp-2, 0x1.f2371e4fd6461p-7, -0x1.ef1c815ee8a51p-12},
};

std::uint64_t Hash(const std::array<double, Samples>& y) {
  std::uint64_t h = 1469598103934665603ULL;
  for (double v : y) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int k = 0; k < 8; ++k) {
      h ^= (bits >> (8 * k)) & 0xff;
      h *= 1099511628211ULL;
    }
  }
  return h;
}

TEST(DesignedResponse, IsTheWindowsRecordedCurveBitForBit) {
  for (const Recorded& r : RecordedCurves) {
    std::array<double, Samples> y;
    Rlc::DesignedResponse(r.at, y.data());
    EXPECT_EQ(y[228], r.y228) << r.at.R << " " << r.at.C << " " << r.at.L;
    EXPECT_EQ(y[5000], r.y5000) << r.at.R << " " << r.at.C << " " << r.at.L;
    EXPECT_EQ(y[10000], r.y10000) << r.at.R << " " << r.at.C << " " << r.at.L;
    EXPECT_EQ(Hash(y), r.hash) << r.at.R << " " << r.at.C << " " << r.at.L;
  }
}

TEST(DesignedResponse, UsesTheOneRegimeRuleForItsFrequency) {
  // Exactly critical on the grid (R_crit = 2 sqrt(25 uH / 10 nF) = 100 Ohm): the
  // circuit does not oscillate, so the designed computation sets omega = 1 and its
  // curve grows to omega0^2 t e^(-delta t); one hundredth below, it oscillates.
  EXPECT_EQ(Rlc::RegimeOf(Rlc::DampingAt({10000, 1000, 2500})), Rlc::Regime::Critical);
  EXPECT_EQ(Rlc::RegimeOf(Rlc::DampingAt({9999, 1000, 2500})), Rlc::Regime::Underdamped);
  EXPECT_EQ(Rlc::QuantitiesAt({10000, 1000, 2500}).Kind, Rlc::Regime::Critical);
}

TEST(SampleGrid, TimesAreRoundedOnceFromExtendedPrecision) {
  const double* us = Rlc::SampleGrid::Times_us();
  const double* s = Rlc::SampleGrid::Times_s();
  EXPECT_EQ(us[0], 0.0);
  EXPECT_EQ(us[Samples - 1], 10.0);
  EXPECT_EQ(s[Samples - 1], 1e-5);
  for (int i : {1, 3, 228, 4999, 7777})
    EXPECT_EQ(us[i], double(i * 0.001L)) << i; // not i * 0.001 in double
  EXPECT_EQ(s[7], 7e-9);
}

} // namespace
