// The model's tables on the command line: --experiment, --resonance and --exact,
// their refusals (exit code 2, nothing written) and the files' columns.
#include "CircuitTables.h"
#include "FrequencyResponse.h"
#include "RunProgram.h"
#include "SampleGrid.h"
#include "Startup.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <charconv>
#include <cmath>

namespace {

TCommandLine ParseLine(const QString& line) { return ParseCommandLine(line.split(QLatin1Char(' '), Qt::SkipEmptyParts)); }

QList<QByteArray> Lines(const QByteArray& text) {
  QList<QByteArray> lines = text.split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

double Parse(const QByteArray& field) {
  double v = 0;
  const auto r = std::from_chars(field.constData(), field.constData() + field.size(), v);
  EXPECT_EQ(r.ptr, field.constData() + field.size()) << field.toStdString();
  return v;
}

TEST(CircuitTableArguments, OptionsAndTheirCombinations) {
  TCommandLine c = ParseLine("--csv a.csv --experiment current --R 10");
  ASSERT_EQ(c.Action, TCommandLine::caRender) << c.Error.toStdString();
  EXPECT_EQ(c.Experiment, "current");
  EXPECT_EQ(c.PositionR, 1000);
  c = ParseLine("--render a.png --resonance --csv r.csv");
  ASSERT_EQ(c.Action, TCommandLine::caRender) << c.Error.toStdString();
  EXPECT_TRUE(c.Resonance);
  c = ParseLine("--render a.png --exact");
  ASSERT_EQ(c.Action, TCommandLine::caRender) << c.Error.toStdString();
  EXPECT_TRUE(c.Exact);

  const std::pair<const char*, const char*> refused[] = {
      {"--csv a.csv --experiment", "--experiment needs a value"},
      {"--csv a.csv --experiment Charged", "--experiment wants charged, current or step (got \"Charged\")"},
      {"--csv a.csv --experiment stepped", "(got \"stepped\")"},
      {"--csv a.csv --experiment step --experiment step", "--experiment is given twice"},
      {"--csv a.csv --resonance --resonance", "--resonance is given twice"},
      {"--csv a.csv --resonance --experiment step", "--resonance cannot be combined with --experiment"},
      {"--csv a.csv --experiment step --resonance", "--resonance cannot be combined with --experiment"},
      {"--csv a.csv --exact --experiment charged", "--exact is for the chart's curve"},
      {"--csv a.csv --resonance --exact", "--exact is for the chart's curve"},
      {"--render a.png --experiment charged", "--experiment needs --csv FILE"},
      {"--render a.png --resonance", "--resonance needs --csv FILE"},
      {"--csv a.csv --resonance --R 101", "--R 101 is outside 0 ... 100 Ohm"},
  };
  for (const auto& [line, says] : refused) {
    const TCommandLine r = ParseLine(QLatin1String(line));
    EXPECT_EQ(r.Action, TCommandLine::caError) << line;
    EXPECT_TRUE(r.Error.contains(QLatin1String(says))) << line << " -> " << r.Error.toStdString();
  }
  for (const char* option : {"--experiment", "--resonance", "--exact", "charged|current|step", "inf"})
    EXPECT_TRUE(CommandLineHelp().contains(QLatin1String(option))) << option;
}

TEST(CircuitTables, AnExperimentsColumnsOnTheSampleGrid) {
  const Rlc::Positions at{470, 220, 1000};
  const QList<QByteArray> lines = Lines(ExperimentCsv(at, Rlc::Experiment::Charged));
  ASSERT_EQ(lines.size(), 4 + Rlc::SampleGrid::Samples);
  EXPECT_EQ(lines[0], "# R = 4.7 Ohm, C = 2.2 nF, L = 10 uH");
  EXPECT_EQ(lines[1], "# experiment: charged, u_C(0) = 1 V, i(0) = 0 mA, U_e = 0 V from t = 0");
  EXPECT_EQ(lines[2], "# mode: exact transient (closed form), regime underdamped");
  EXPECT_EQ(lines[3], "t_us,u_C_V,i_mA,E_C_nJ,E_L_nJ,E_R_nJ");
  EXPECT_TRUE(lines[4].startsWith("0,1,0,1.0999999999999999,0,0")); // C (1 V)^2 / 2 = 1.1 nJ in the capacitor
  const Rlc::Circuit c = Rlc::CircuitAt(at);
  // The rows come from the blockwise grid computation: the closed form at every sample,
  // to 1e-12 of the experiment's scale (1 V, sqrt(C/L) x 1 V, C x (1 V)^2).
  const double mA = 1e-12 * std::sqrt(c.C_F / c.L_H) * 1e3, nJ = 1e-12 * c.C_F * 1e9;
  for (int k : {1, 63, 64, 228, 9999, 10000}) {
    const QList<QByteArray> f = lines[4 + k].split(',');
    ASSERT_EQ(f.size(), 6);
    const Rlc::State s = Rlc::StateAt(c, Rlc::StartOf(Rlc::Experiment::Charged, c), Rlc::SampleGrid::Times_s()[k]);
    EXPECT_EQ(Parse(f[0]), Rlc::SampleGrid::Times_us()[k]);
    EXPECT_NEAR(Parse(f[1]), s.u_C_V, 1e-12) << k;
    EXPECT_NEAR(Parse(f[2]), s.i_A * 1e3, mA) << k;
    EXPECT_NEAR(Parse(f[3]), s.E_C_J * 1e9, nJ) << k;
    EXPECT_NEAR(Parse(f[4]), s.E_L_J * 1e9, nJ) << k;
    EXPECT_NEAR(Parse(f[5]), s.E_R_J * 1e9, nJ) << k;
    // the energy that left C is in L and R
    EXPECT_NEAR(Parse(f[3]) + Parse(f[4]) + Parse(f[5]), 1.1, 1e-12) << k;
  }
  const QList<QByteArray> current = Lines(ExperimentCsv({0, 220, 1000}, Rlc::Experiment::Current));
  EXPECT_TRUE(current[1].startsWith("# experiment: current, u_C(0) = 0 V, i(0) = 14.8323969741913")); // sqrt(C/L) x 1 V
  EXPECT_TRUE(current[1].endsWith(" mA, U_e = 0 V from t = 0"));
  EXPECT_EQ(current[2], "# mode: exact transient (closed form), regime undamped");
}

TEST(CircuitTables, TheResonanceCurveAndItsInfinitePeakWithoutLoss) {
  const QList<QByteArray> lines = Lines(ResonanceCsv({0, 220, 1000}));
  ASSERT_EQ(lines.size(), 4 + ResonancePoints);
  EXPECT_EQ(lines[3], "f_Hz,gain_UC,phase_UC_deg,I_mA_per_V,phase_I_deg");
  const double f0 = Rlc::QuantitiesOf(Rlc::CircuitAt({0, 220, 1000})).F0_Hz;
  EXPECT_NEAR(Parse(lines[4].split(',')[0]), f0 / 100, 1e-9 * f0);
  EXPECT_NEAR(Parse(lines.last().split(',')[0]), f0 * 100, 1e-9 * f0);
  EXPECT_EQ(lines[4 + 500], QByteArray::number(f0, 'g', 17) + ",inf,-90,inf,0");
  EXPECT_TRUE(lines[4 + 499].contains(",0,")); // below f0 without loss: in phase
  EXPECT_TRUE(lines[4 + 501].contains(",-180,")); // above f0 without loss: opposite phase
  // With loss the peak is finite: 1/R = 212.766 mA per V at f0, phases -90 and 0.
  const QList<QByteArray> lossy = Lines(ResonanceCsv({470, 220, 1000}));
  const QList<QByteArray> peak = lossy[4 + 500].split(',');
  EXPECT_NEAR(Parse(peak[3]), 1000 / 4.7, 1e-10);
  EXPECT_EQ(peak[2], "-90");
  EXPECT_EQ(peak[4], "0");
  for (int k = 0; k < ResonancePoints; ++k) { // phases within their ranges, falling
    const QList<QByteArray> f = lossy[4 + k].split(',');
    ASSERT_GE(Parse(f[2]), -180);
    ASSERT_LE(Parse(f[2]), 0);
    ASSERT_GE(Parse(f[4]), -90);
    ASSERT_LE(Parse(f[4]), 90);
    if (k > 0) {
      ASSERT_LT(Parse(f[2]), Parse(lossy[3 + k].split(',')[2])) << k;
    }
  }
}

TEST(CircuitTablesProgram, WritesTheTablesAndRefusesBadInputWithoutWriting) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("table.csv"));
  ASSERT_EQ(RunProgram({"--csv", file, "--experiment", "step", "--R", "20"}), 0);
  QFile written(file);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), ExperimentCsv({2000, 220, 1000}, Rlc::Experiment::Step));
  written.close();

  // Refused: exit code 2, a message naming the argument, the existing file untouched.
  for (const QStringList& bad : {QStringList{"--csv", file, "--experiment", "discharged"},
                                 QStringList{"--csv", file, "--resonance", "--experiment", "step"},
                                 QStringList{"--csv", file, "--resonance", "--C", "0.05"}}) {
    QByteArray err;
    EXPECT_EQ(RunProgram(bad, nullptr, &err), 2) << bad.join(' ').toStdString();
    EXPECT_TRUE(err.contains(bad[2].toLatin1()) || err.contains("--C")) << err.toStdString();
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), ExperimentCsv({2000, 220, 1000}, Rlc::Experiment::Step));
    written.close();
  }
  const QString fresh = dir.filePath(QStringLiteral("fresh.csv"));
  EXPECT_EQ(RunProgram({"--csv", fresh, "--experiment", "nope"}), 2);
  EXPECT_FALSE(QFile::exists(fresh));

  // --exact: the samples are the exact normalised response, and the file says so.
  ASSERT_EQ(RunProgram({"--csv", fresh, "--exact", "--R", "100", "--C", "0.1", "--L", "0.1"}), 0);
  QFile exact(fresh);
  ASSERT_TRUE(exact.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = Lines(exact.readAll());
  EXPECT_EQ(lines[0], "# y: R = 100 Ohm, C = 0.1 nF, L = 0.1 uH, exact normalised");
  double peak = 0;
  for (qsizetype k = 2; k < lines.size(); ++k) peak = std::max(peak, Parse(lines[k].split(',')[1]));
  EXPECT_GT(peak, 0.1);
  EXPECT_LE(peak, 1.0); // the designed curve peaks near 7.36e7 here
}

} // namespace
