#pragma once
// Block copies and fills in the system libraries use the wide vector registers
// and may leave their upper halves in use. On some processors the plain SSE
// arithmetic of a hot loop that follows then waits on those halves and runs at
// less than half its speed. Clearing them first (one instruction) avoids that.
namespace Platform {

inline void ClearUpperVectorState() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(__AVX__)
  // Code built for AVX keeps values in the wide registers and needs no clearing;
  // SSE-only code keeps nothing there, so clearing cannot lose a value.
  static const bool hasAvx = __builtin_cpu_supports("avx");
  if (hasAvx) __asm__ volatile("vzeroupper");
#endif
}

} // namespace Platform
