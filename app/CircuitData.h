#pragma once
// The quantities behind the curve, computed from the three scroll-bar positions
// (hundredths of Ohm, nF and uH), and their readout texts with SI prefixes.
#include "Circuit.h"

#include <QString>
#include <QStringList>
#include <functional>

struct TCircuitQuantities {
  double R = 0, C = 0, L = 0;   // Ohm, F, H
  double Delta = 0;             // damping constant R/2L, 1/s
  double Omega0 = 0;            // resonance angular frequency 1/sqrt(LC), rad/s
  double Omega = 0;             // damped angular frequency, rad/s (0 unless oscillating)
  double F0 = 0, F = 0, T = 0;  // Hz, Hz, s (F and T only while oscillating, else 0)
  double Q = 0, Tau = 0;        // quality factor omega0 L/R and decay time 1/delta (infinite for R = 0)
  double RCrit = 0;             // critical resistance 2 sqrt(L/C), Ohm
  Rlc::Regime Regime = Rlc::Regime::Undamped;
  bool Oscillating() const { return Rlc::Oscillates(Regime); }
};

// The window's quantities (Rlc::QuantitiesAt); the regime is the one every curve uses.
TCircuitQuantities ComputeCircuit(int posR, int posC, int posL);

// value with up to 4 significant digits and an SI prefix in front of the unit
// ("1.073 MHz", "932.5 nsec", "235.0k 1/s" for a reciprocal unit, "∞" for an infinite value);
// without a unit, a plain number of 4 significant digits ("14.34", "0.3162").
QString EngineeringText(double value, const QString& unit);

// The readout, one line each: damping, f0, f and T (only while oscillating), Q, tau,
// R_crit and the regime in words. translate(key) gives a line's name or the regime words.
QStringList CircuitDataLines(const TCircuitQuantities& q, const std::function<QString(const QString&)>& translate);
