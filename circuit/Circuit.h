#pragma once
// A series RLC circuit: its component values, the scroll-bar positions that set
// them in the window, and the quantities that follow from them. The damping
// regime is decided here, once, for every computation and readout.
#include <optional>
#include <string_view>

namespace Rlc {

// Component values in SI units.
struct Circuit {
  double R_Ohm = 4.7;
  double C_F = 2.2e-9;
  double L_H = 10e-6;
};

// The window's scroll-bar positions: hundredths of Ohm, nF and uH.
struct Positions {
  int R = 470;
  int C = 220;
  int L = 1000;
  bool operator==(const Positions&) const = default;
};

// One scroll bar's range and start position, in hundredths of its displayed unit.
struct PositionRange {
  int Min, Max, Initial;
  bool Contains(int position) const { return position >= Min && position <= Max; }
};
constexpr PositionRange RangeR{0, 10000, 470};  // 0 ... 100 Ohm
constexpr PositionRange RangeC{10, 5000, 220};  // 0.1 ... 50 nF
constexpr PositionRange RangeL{10, 5000, 1000}; // 0.1 ... 50 uH

bool InRange(const Positions& p);

// The component values the positions stand for (R = posR/100 Ohm, C = posC/100 nF,
// L = posL/100 uH), each rounded once from extended precision.
Circuit CircuitAt(const Positions& p);

// The position nearest to a value in the displayed unit (Ohm, nF or uH);
// nullopt when the value lies outside the range (or is not finite).
std::optional<int> PositionOf(double displayedValue, const PositionRange& range);

// The damping constant R/2L and the resonance angular frequency 1/sqrt(LC).
struct Damping {
  double Delta_per_s = 0;
  double Omega0_rad_s = 0;
};

// From the component values, in extended precision.
Damping DampingOf(const Circuit& c);
// From the positions, exactly as the window's designed computation forms them
// (every readout of the window uses these, so all agree on the regime).
Damping DampingAt(const Positions& p);

enum class Regime { Undamped, Underdamped, Critical, Overdamped };

// The one rule: no damping for delta = 0, then delta against omega0 as they are
// stored (both doubles): below oscillates, equal is critical, above is aperiodic.
Regime RegimeOf(const Damping& d);
inline bool Oscillates(Regime r) { return r == Regime::Undamped || r == Regime::Underdamped; }
std::string_view RegimeName(Regime r); // "undamped", "underdamped", "critical", "overdamped"

// Everything the readouts show. Values that do not exist in a regime are 0
// (f, T and the logarithmic decrement unless oscillating; the two time constants
// unless aperiodic or critical); those that grow without bound at R = 0 are infinite.
struct Quantities {
  Circuit Values;
  double Delta_per_s = 0;      // damping constant R/2L
  double Omega0_rad_s = 0;     // resonance angular frequency 1/sqrt(LC)
  double Omega_rad_s = 0;      // damped angular frequency sqrt(omega0^2 - delta^2)
  double F0_Hz = 0;            // resonance frequency omega0/2pi
  double F_Hz = 0;             // damped frequency omega/2pi
  double T_s = 0;              // period 1/f
  double Q = 0;                // quality factor omega0 L / R = sqrt(L/C)/R
  double Tau_s = 0;            // decay time 1/delta
  double RCrit_Ohm = 0;        // critical resistance 2 sqrt(L/C)
  double LogDecrement = 0;     // delta T
  double TauSlow_s = 0;        // aperiodic: 1/(delta - sqrt(delta^2 - omega0^2)); critical: 1/delta
  double TauFast_s = 0;        // aperiodic: 1/(delta + sqrt(delta^2 - omega0^2)); critical: 1/delta
  double Bandwidth_Hz = 0;     // R/(2 pi L), between the -3 dB frequencies of the current
  double FLower_Hz = 0;        // -3 dB frequencies of the current's resonance curve
  double FUpper_Hz = 0;
  Regime Kind = Regime::Undamped;
};

Quantities QuantitiesOf(const Circuit& c);
Quantities QuantitiesAt(const Positions& p);

} // namespace Rlc
