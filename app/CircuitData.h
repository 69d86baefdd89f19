#pragma once
// The readout of the quantities behind the curve (Rlc::QuantitiesAt of the three
// scroll-bar positions), with SI prefixes.
#include "Circuit.h"

#include <QString>
#include <QStringList>
#include <functional>

// The readout, one line each: damping, f0, f and T (only while oscillating), Q, tau
// (an aperiodic circuit: its slow and its fast time constant), R_crit and the regime in
// words. translate(key) gives a line's name or the regime words.
QStringList CircuitDataLines(const Rlc::Quantities& q, const std::function<QString(const QString&)>& translate);
