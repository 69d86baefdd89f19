// The circuit data: the quantities of the three values, the regime in words
// (critical where delta equals omega0, the rule the curves use too), and the readout texts
// with SI prefixes, taken through the shipped English table.
#include "CircuitData.h"
#include "ReadoutNumber.h"
#include "TLexivaran2000.h"
#include "Tables.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {

std::function<QString(const QString&)> EnglishTable() {
  auto engine = std::make_shared<TLexivaran2000>();
  EXPECT_TRUE(TestTables::LoadShippedTable(*engine, QStringLiteral("kalvora.itl")));
  return [engine](const QString& key) { return engine->Translate(key); };
}

TEST(CircuitData, DesignedValuesGiveTheTextbookQuantities) {
  const Rlc::Quantities q = Rlc::QuantitiesAt({470, 220, 1000});
  EXPECT_DOUBLE_EQ(q.Delta_per_s, 235000);
  EXPECT_NEAR(q.Omega0_rad_s, 6.742e6, 1e3);
  EXPECT_NEAR(q.F0_Hz, 1073022.4074, 1e-3);
  EXPECT_NEAR(q.F_Hz, 1072370.3750, 1e-3);
  EXPECT_NEAR(q.T_s, 9.325136382727818e-07, 1e-18);
  EXPECT_NEAR(q.Q, 14.344677924749833, 1e-12);
  EXPECT_NEAR(q.Tau_s, 4.255319148936171e-06, 1e-18);
  EXPECT_NEAR(q.RCrit_Ohm, 134.83997249264843, 1e-11);
  EXPECT_EQ(q.Kind, Rlc::Regime::Underdamped);

  EXPECT_EQ(CircuitDataLines(q, EnglishTable()),
            QStringList({"damping δ = 235.0k 1/s", "resonance frequency f0 = 1.073 MHz",
                         "damped frequency f = 1.072 MHz", "period T = 932.5 nsec", "quality factor Q = 14.34",
                         "decay time τ = 4.255 usec", "critical resistance Rcrit = 134.8 Ohm", "underdamped"}));
}

TEST(CircuitData, RegimesAndTheLinesEachShows) {
  const auto table = EnglishTable();
  // R = 0: no damping, infinite quality and decay time.
  Rlc::Quantities q = Rlc::QuantitiesAt({0, 220, 1000});
  EXPECT_EQ(q.Kind, Rlc::Regime::Undamped);
  EXPECT_TRUE(std::isinf(q.Q));
  EXPECT_DOUBLE_EQ(q.F_Hz, q.F0_Hz);
  QStringList lines = CircuitDataLines(q, table);
  EXPECT_EQ(lines.size(), 8);
  EXPECT_EQ(lines[0], "damping δ = 0.000 1/s");
  EXPECT_EQ(lines[4], "quality factor Q = ∞");
  EXPECT_EQ(lines[5], "decay time τ = ∞");
  EXPECT_EQ(lines.last(), "undamped");

  // L/C = 2500 makes R_crit exactly 100 Ohm; 99.99 Ohm is a hundredth below it.
  q = Rlc::QuantitiesAt({10000, 1000, 2500});
  EXPECT_DOUBLE_EQ(q.RCrit_Ohm, 100);
  EXPECT_EQ(q.Kind, Rlc::Regime::Critical);
  lines = CircuitDataLines(q, table);
  EXPECT_EQ(lines.size(), 6); // neither f nor T
  EXPECT_FALSE(lines.join(' ').contains("period"));
  EXPECT_EQ(lines.last(), "critically damped");
  q = Rlc::QuantitiesAt({9999, 1000, 2500});
  EXPECT_EQ(q.Kind, Rlc::Regime::Underdamped);
  EXPECT_GT(q.F_Hz, 0);

  // Above R_crit: the slow and the fast time constant of the aperiodic circuit, not 1/delta.
  q = Rlc::QuantitiesAt({10000, 10, 10});
  EXPECT_EQ(q.Kind, Rlc::Regime::Overdamped);
  EXPECT_EQ(q.F_Hz, 0);
  EXPECT_EQ(CircuitDataLines(q, table),
            QStringList({"damping δ = 500.0M 1/s", "resonance frequency f0 = 50.33 MHz", "quality factor Q = 0.3162",
                         "slow time constant τ1 = 8.873 nsec", "fast time constant τ2 = 1.127 nsec",
                         "critical resistance Rcrit = 63.25 Ohm", "overdamped (aperiodic)"}));
  // 100 Ohm, 50 nF, 0.1 uH creeps back over microseconds while 1/delta is 2 ns.
  q = Rlc::QuantitiesAt({10000, 5000, 10});
  EXPECT_NEAR(q.TauSlow_s, 4.9990e-6, 1e-9);
  EXPECT_NEAR(q.TauFast_s, 1.0002e-9, 1e-12);
  // The two rates add to 2 delta and multiply to omega0^2.
  EXPECT_NEAR(1 / q.TauSlow_s + 1 / q.TauFast_s, 2 * q.Delta_per_s, 1e-6 * q.Delta_per_s);
  EXPECT_NEAR(q.TauSlow_s * q.TauFast_s * q.Omega0_rad_s * q.Omega0_rad_s, 1, 1e-12);
  lines = CircuitDataLines(q, table);
  EXPECT_TRUE(lines.contains("slow time constant τ1 = 4.999 usec")) << lines.join('|').toStdString();
  EXPECT_TRUE(lines.contains("fast time constant τ2 = 1.000 nsec")) << lines.join('|').toStdString();
  EXPECT_FALSE(lines.join('|').contains("decay time"));
}

TEST(CircuitData, ReadoutNumbersRoundBeforeTheyChooseThePrefix) {
  EXPECT_EQ(QuantityText(1073022.4, "Hz"), "1.073 MHz");
  EXPECT_EQ(QuantityText(9.3e-7, "sec"), "930.0 nsec");
  EXPECT_EQ(QuantityText(4.2553e-6, "sec"), "4.255 usec");
  EXPECT_EQ(QuantityText(134.84, "Ohm"), "134.8 Ohm");
  EXPECT_EQ(QuantityText(235000, "1/s"), "235.0k 1/s");
  EXPECT_EQ(QuantityText(0, "1/s"), "0.000 1/s");
  EXPECT_EQ(QuantityText(INFINITY, "sec"), "∞");
  EXPECT_EQ(QuantityText(NAN, "sec"), "-");
  // Rounding that carries into the next prefix takes that prefix.
  EXPECT_EQ(QuantityText(9.99996e-7, "sec"), "1.000 usec");
  EXPECT_EQ(QuantityText(999999.9999, "Hz"), "1.000 MHz");
  EXPECT_EQ(QuantityText(1000000.0000001, "Hz"), "1.000 MHz");
  EXPECT_EQ(QuantityText(999.94, "Hz"), "999.9 Hz");
  EXPECT_EQ(QuantityText(1e-7, "sec"), "100.0 nsec");
  EXPECT_EQ(QuantityText(-0.0012346, "sec"), "-1.235 msec");
  EXPECT_EQ(QuantityText(2.5e15, "Hz"), "2.500E15 Hz");
  // Plain numbers keep four significant digits too.
  EXPECT_EQ(PlainNumberText(1), "1.000");
  EXPECT_EQ(PlainNumberText(14.3447), "14.34");
  EXPECT_EQ(PlainNumberText(0.316228), "0.3162");
  EXPECT_EQ(PlainNumberText(9999.6), "1.000E4");
  EXPECT_EQ(PlainNumberText(70710.7), "7.071E4");
  EXPECT_EQ(PlainNumberText(0.00012345), "1.234E-4");
  EXPECT_EQ(PlainNumberText(0), "0.000");
  // The circuit data of the reported cases: L/R and an RLC decay time of 100 ns.
  const auto table = EnglishTable();
  EXPECT_TRUE(CircuitDataLines(Rlc::QuantitiesAt({2000, 5000, 1000}), table).contains("decay time τ = 1.000 usec"));
  EXPECT_TRUE(CircuitDataLines(Rlc::QuantitiesAt({2000, 1000, 100}), table).contains("decay time τ = 100.0 nsec"));
  EXPECT_TRUE(CircuitDataLines(Rlc::QuantitiesAt({10000, 1000, 2500}), table).contains("quality factor Q = 0.5000"));
  // Without a table the readout still shows its values, under the keys.
  const QStringList keys = CircuitDataLines(Rlc::QuantitiesAt({470, 220, 1000}), [](const QString& k) { return k; });
  EXPECT_EQ(keys[0], "CDDamping = 235.0k 1/s");
}

} // namespace
