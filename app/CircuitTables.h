#pragma once
// The circuit model's tables as CSV files (kalvora --csv FILE --experiment NAME or
// --resonance): comment lines naming R, C, L, the experiment and the mode, a
// header, then every number in the shortest form that reads back to the same
// double ("inf" for the infinite peak of R = 0 at f0).
#include "Circuit.h"
#include "Transient.h"

#include <QByteArray>
#include <QString>

// The name of the chart's curve mode in files: "designed" or "exact normalised".
inline QString CurveModeName(bool exact) {
  return exact ? QStringLiteral("exact normalised") : QStringLiteral("designed");
}

// t_us,u_C_V,i_mA,E_C_nJ,E_L_nJ,E_R_nJ on the 10,001-sample grid.
QByteArray ExperimentCsv(const Rlc::Positions& p, Rlc::Experiment e);

// The frequencies of the resonance table: f_k = f0/100 * 10^(4k/1000), k = 0 ... 1000.
constexpr int ResonancePoints = 1001;
// f_Hz,gain_UC,phase_UC_deg,I_mA_per_V,phase_I_deg.
QByteArray ResonanceCsv(const Rlc::Positions& p);

// Writes the text as a whole or not at all; throws ESaveError (ChartExport.h).
void SaveTable(const QByteArray& text, const QString& fileName);
