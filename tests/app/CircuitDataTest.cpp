// The circuit data: the quantities of the three values, the regime in words
// (critical to the hundredth of an Ohm the window shows), and the readout texts
// with SI prefixes, taken through the shipped English table.
#include "CircuitData.h"
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
  const TCircuitQuantities q = ComputeCircuit(470, 220, 1000);
  EXPECT_DOUBLE_EQ(q.Delta, 235000);
  EXPECT_NEAR(q.Omega0, 6.742e6, 1e3);
  EXPECT_NEAR(q.F0, 1073022.4074, 1e-3);
  EXPECT_NEAR(q.F, 1072370.3750, 1e-3);
  EXPECT_NEAR(q.T, 9.325136382727818e-07, 1e-18);
  EXPECT_NEAR(q.Q, 14.344677924749833, 1e-12);
  EXPECT_NEAR(q.Tau, 4.255319148936171e-06, 1e-18);
  EXPECT_NEAR(q.RCrit, 134.83997249264843, 1e-11);
  EXPECT_EQ(q.Regime, TDampingRegime::Underdamped);

  EXPECT_EQ(CircuitDataLines(q, EnglishTable()),
            QStringList({"damping δ = 235.0k 1/s", "resonance frequency f0 = 1.073 MHz",
                         "damped frequency f = 1.072 MHz", "period T = 932.5 nsec", "quality factor Q = 14.34",
                         "decay time τ = 4.255 usec", "critical resistance Rcrit = 134.8 Ohm", "underdamped"}));
}

TEST(CircuitData, RegimesAndTheLinesEachShows) {
  const auto table = EnglishTable();
  // R = 0: no damping, infinite quality and decay time.
  TCircuitQuantities q = ComputeCircuit(0, 220, 1000);
  EXPECT_EQ(q.Regime, TDampingRegime::Undamped);
  EXPECT_TRUE(std::isinf(q.Q));
  EXPECT_DOUBLE_EQ(q.F, q.F0);
  QStringList lines = CircuitDataLines(q, table);
  EXPECT_EQ(lines.size(), 8);
  EXPECT_EQ(lines[0], "damping δ = 0.000 1/s");
  EXPECT_EQ(lines[4], "quality factor Q = ∞");
  EXPECT_EQ(lines[5], "decay time τ = ∞");
  EXPECT_EQ(lines.last(), "undamped");

  // L/C = 2500 makes R_crit exactly 100 Ohm; 99.99 Ohm is a hundredth below it.
  q = ComputeCircuit(10000, 1000, 2500);
  EXPECT_DOUBLE_EQ(q.RCrit, 100);
  EXPECT_EQ(q.Regime, TDampingRegime::CriticallyDamped);
  lines = CircuitDataLines(q, table);
  EXPECT_EQ(lines.size(), 6); // neither f nor T
  EXPECT_FALSE(lines.join(' ').contains("period"));
  EXPECT_EQ(lines.last(), "critically damped");
  q = ComputeCircuit(9999, 1000, 2500);
  EXPECT_EQ(q.Regime, TDampingRegime::Underdamped);
  EXPECT_GT(q.F, 0);

  q = ComputeCircuit(10000, 10, 10);
  EXPECT_EQ(q.Regime, TDampingRegime::Overdamped);
  EXPECT_EQ(q.F, 0);
  EXPECT_EQ(CircuitDataLines(q, table),
            QStringList({"damping δ = 500.0M 1/s", "resonance frequency f0 = 50.33 MHz", "quality factor Q = 0.3162",
                         "decay time τ = 2.000 nsec", "critical resistance Rcrit = 63.25 Ohm",
                         "overdamped (aperiodic)"}));
}

TEST(CircuitData, EngineeringTexts) {
  EXPECT_EQ(EngineeringText(1073022.4, "Hz"), "1.073 MHz");
  EXPECT_EQ(EngineeringText(9.3e-7, "sec"), "930.0 nsec");
  EXPECT_EQ(EngineeringText(4.2553e-6, "sec"), "4.255 usec");
  EXPECT_EQ(EngineeringText(134.84, "Ohm"), "134.8 Ohm");
  EXPECT_EQ(EngineeringText(235000, "1/s"), "235.0k 1/s");
  EXPECT_EQ(EngineeringText(0, "1/s"), "0.000 1/s");
  EXPECT_EQ(EngineeringText(INFINITY, "sec"), "∞");
  EXPECT_EQ(EngineeringText(70710.7, ""), "7.071E4");
  // Without a table the readout still shows its values, under the keys.
  const QStringList keys = CircuitDataLines(ComputeCircuit(470, 220, 1000), [](const QString& k) { return k; });
  EXPECT_EQ(keys[0], "CDDamping = 235.0k 1/s");
}

} // namespace
