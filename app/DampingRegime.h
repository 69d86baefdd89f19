#pragma once
// The damping regime of the series RLC circuit. It stands alone (no other
// header of the program) so that the circuit's computations can take it along.
enum class TDampingRegime { Undamped, Underdamped, CriticallyDamped, Overdamped };

// Undamped and underdamped circuits oscillate; the others creep back to rest.
constexpr bool Oscillates(TDampingRegime regime) {
  return regime == TDampingRegime::Undamped || regime == TDampingRegime::Underdamped;
}
