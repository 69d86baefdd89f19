#include "CircuitTables.h"

#include "ChartExport.h"
#include "FrequencyResponse.h"
#include "SampleGrid.h"

#include "SaveFile.h"
#include <charconv>
#include <cmath>

namespace {

void Append(QByteArray& out, double v) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  out.append(buffer, result.ptr - buffer);
}

void AppendRow(QByteArray& out, std::initializer_list<double> values) {
  bool first = true;
  for (double v : values) {
    if (!first) out += ',';
    first = false;
    Append(out, v);
  }
  out += '\n';
}

QByteArray Number(double v) {
  QByteArray out;
  Append(out, v);
  return out;
}

QByteArray ValuesLine(const Rlc::Positions& p) {
  return "# R = " + QByteArray::number(p.R / 100.0, 'g', 10) + " Ohm, C = " + QByteArray::number(p.C / 100.0, 'g', 10) +
         " nF, L = " + QByteArray::number(p.L / 100.0, 'g', 10) + " uH\n";
}

} // namespace

QByteArray ExperimentCsv(const Rlc::Positions& p, Rlc::Experiment e) {
  const Rlc::Circuit c = Rlc::CircuitAt(p);
  const Rlc::InitialState s0 = Rlc::StartOf(e, c);
  Rlc::Trajectory path; // blockwise on the grid, as the analysis window computes it
  path.FillGrid(c, s0, Rlc::SampleGrid::Samples);
  QByteArray out;
  out.reserve(Rlc::SampleGrid::Samples * 130);
  out += ValuesLine(p);
  out += QByteArray("# experiment: ") + Rlc::ExperimentName(e) + ", u_C(0) = " + Number(s0.u_C0_V) +
         " V, i(0) = " + Number(s0.i0_A * 1e3) + " mA, U_e = " + Number(s0.U_e_V) + " V from t = 0\n";
  out += "# mode: exact transient (closed form), regime " +
         QByteArray(Rlc::RegimeName(Rlc::QuantitiesAt(p).Kind).data()) + "\n";
  out += "t_us,u_C_V,i_mA,E_C_nJ,E_L_nJ,E_R_nJ\n";
  const double* t = Rlc::SampleGrid::Times_us();
  for (size_t k = 0; k < size_t(path.Size()); ++k)
    AppendRow(out, {t[k], path.u_C_V[k], path.i_A[k] * 1e3, path.E_C_J[k] * 1e9, path.E_L_J[k] * 1e9,
                    path.E_R_J[k] * 1e9});
  return out;
}

QByteArray ResonanceCsv(const Rlc::Positions& p) {
  const Rlc::Circuit c = Rlc::CircuitAt(p);
  QByteArray out;
  out.reserve(ResonancePoints * 100);
  out += ValuesLine(p);
  out += "# experiment: none, a sine source U_e in the steady state\n";
  out += "# mode: resonance, f0 = " + Number(Rlc::QuantitiesOf(c).F0_Hz) +
         " Hz, 1001 frequencies f0/100 ... 100 f0\n";
  out += "f_Hz,gain_UC,phase_UC_deg,I_mA_per_V,phase_I_deg\n";
  for (int k = 0; k < ResonancePoints; ++k) {
    // f0 * 10^((4k - 2000)/1000): exactly f0 at k = 500.
    const Rlc::FrequencyPoint f = Rlc::FrequencyResponseAtRatio(c, std::pow(10.0, (4 * k - 2000) / 1000.0));
    AppendRow(out, {f.f_Hz, f.GainUC, f.PhaseUC_deg, f.I_A_per_V * 1e3, f.PhaseI_deg});
  }
  return out;
}

void SaveTable(const QByteArray& text, const QString& fileName) {
  TSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) throw ESaveError(fileName, file.errorString());
  if (file.write(text) != text.size()) {
    const QString why = file.errorString();
    file.cancelWriting();
    throw ESaveError(fileName, why);
  }
  if (!file.commit()) throw ESaveError(fileName, file.errorString());
}
