#!/usr/bin/env python3
"""Reference values of the series RLC circuit at 50 digits, for tests/circuit.

Computed independently of the C++ model: the state (u_C, i) from the matrix
exponential of the circuit's equations (no case distinction by regime), the heat
in R from the energy balance at high precision (checked against a quadrature of
R i^2), the quantities from their definitions and the driven steady state from
the complex impedance R + j(wL - 1/(wC)).

Every component value is the double nearest its decimal literal, exactly as the
C++ test reads it. Prints the C++ tables that tests/circuit/ReferenceData.h holds:
    python3 tools/circuit_reference.py > tests/circuit/ReferenceData.h
Needs python3-mpmath (Debian package).
"""
import mpmath as mp

mp.mp.dps = 50

# Binary-exact values that make R_crit = 2 sqrt(L/C) = 64 Ohm exactly.
L_EXACT = '1.52587890625e-05'   # 2^-16 H
C_EXACT = '1.4901161193847656e-08'  # 2^-26 F (exact as a double)
assert mp.mpf(float(L_EXACT)) == mp.mpf(2) ** -16 and mp.mpf(float(C_EXACT)) == mp.mpf(2) ** -26


def near_critical(c, l, rel):
    rc = 2 * mp.sqrt(mp.mpf(float(l)) / mp.mpf(float(c)))
    return repr(float(rc * (1 + mp.mpf(rel))))


# (group, name, R, C, L) spanning the scroll bars' corners and the critical edge.
CIRCUITS = [
    ('Undamped', 'designed_r0', '0.0', '2.2e-09', '1e-05'),
    ('Undamped', 'fastest', '0.0', '1e-10', '1e-07'),
    ('Undamped', 'slowest', '0.0', '5e-08', '5e-05'),
    ('Undamped', 'small_c_large_l', '0.0', '1e-10', '5e-05'),
    ('Undamped', 'large_c_small_l', '0.0', '5e-08', '1e-07'),
    ('Underdamped', 'designed', '4.7', '2.2e-09', '1e-05'),
    ('Underdamped', 'lightest', '0.01', '5e-08', '5e-05'),
    ('Underdamped', 'strong', '100.0', '1e-10', '5e-05'),
    ('NearCritical', 'below_exact', repr(64 * (1 - 1e-9)), C_EXACT, L_EXACT),
    ('NearCritical', 'above_exact', repr(64 * (1 + 1e-9)), C_EXACT, L_EXACT),
    ('NearCritical', 'below', near_critical('1e-08', '1e-05', '-1e-9'), '1e-08', '1e-05'),
    ('NearCritical', 'above', near_critical('1e-08', '1e-05', '1e-9'), '1e-08', '1e-05'),
    ('Critical', 'exact', '64.0', C_EXACT, L_EXACT),
    ('Overdamped', 'fast_corner', '100.0', '1e-10', '1e-07'),
    ('Overdamped', 'slow_corner', '100.0', '5e-08', '5e-05'),
    ('Overdamped', 'heaviest', '100.0', '5e-08', '1e-07'),
]
TIMES = ['1e-09', '3.7e-08', '2.28e-07', '1e-06', '1e-05']
RATIOS = ['0.01', '0.5', '1.0', '2.0', '100.0']
EXPERIMENTS = ['Charged', 'Current', 'Step']


def num(x):
    if mp.isinf(x):
        return 'Inf' if x > 0 else '-Inf'
    if abs(x) < mp.mpf('1e-300'):  # below what a double holds: zero to every tolerance
        return '0.0'
    return mp.nstr(x, 20, min_fixed=1, max_fixed=0)


def values(r, c, l):
    return mp.mpf(float(r)), mp.mpf(float(c)), mp.mpf(float(l))


def start(exp, R, C, L):
    if exp == 'Charged':
        return mp.mpf(1), mp.mpf(0), mp.mpf(0)
    if exp == 'Current':
        return mp.mpf(0), mp.sqrt(C / L), mp.mpf(0)
    return mp.mpf(0), mp.mpf(0), mp.mpf(1)


def propagator(R, C, L, t):
    # z = (u_C, i, U_e): u_C' = i/C, i' = (U_e - u_C - R i)/L, U_e' = 0.
    A = mp.matrix([[0, 1 / C, 0], [-1 / L, -R / L, 1 / L], [0, 0, 0]])
    return mp.expm(A * t)


def state(R, C, L, exp, t):
    u0, i0, ue = start(exp, R, C, L)
    z = propagator(R, C, L, t) * mp.matrix([u0, i0, ue])
    uc, i = z[0], z[1]
    ec, el = C * uc ** 2 / 2, L * i ** 2 / 2
    w = ue * C * (uc - u0)
    er = C * u0 ** 2 / 2 + L * i0 ** 2 / 2 + w - ec - el
    return [uc, i, ec, el, er, w]


def regime(R, C, L):
    d, w0 = R / (2 * L), 1 / mp.sqrt(L * C)
    if R == 0:
        return 'Undamped'
    return 'Underdamped' if d < w0 else ('Critical' if d == w0 else 'Overdamped')


def quantities(R, C, L):
    d, w0 = R / (2 * L), 1 / mp.sqrt(L * C)
    q = dict(delta=d, omega0=w0, f0=w0 / (2 * mp.pi), rcrit=2 * mp.sqrt(L / C),
             Q=mp.inf if R == 0 else mp.sqrt(L / C) / R, tau=mp.inf if R == 0 else 1 / d,
             B=R / (2 * mp.pi * L), flo=(mp.sqrt(d ** 2 + w0 ** 2) - d) / (2 * mp.pi),
             fhi=(mp.sqrt(d ** 2 + w0 ** 2) + d) / (2 * mp.pi),
             omega=0, f=0, T=0, Lambda=0, tslow=0, tfast=0)
    if d < w0:
        w = mp.sqrt(w0 ** 2 - d ** 2)
        q.update(omega=w, f=w / (2 * mp.pi), T=2 * mp.pi / w, Lambda=d * 2 * mp.pi / w)
    elif d == w0:
        q.update(tslow=1 / d, tfast=1 / d)
    else:
        k = mp.sqrt(d ** 2 - w0 ** 2)
        q.update(tslow=1 / (d - k), tfast=1 / (d + k))
    return q


def steady(R, C, L, x):
    if R == 0 and x == 1:  # the peak without loss: infinite, phases as the limit R -> 0
        return [mp.inf, mp.mpf(-90), mp.inf, mp.mpf(0)]
    w = x / mp.sqrt(L * C)
    z = R + 1j * (w * L - 1 / (w * C))
    y = 1 / z
    h = y / (1j * w * C)
    ph = mp.degrees(mp.arg(h))
    if ph > 0:  # the negative real axis is -180 here
        ph -= 360
    return [abs(h), ph, abs(y), mp.degrees(mp.arg(y))]


def check_precision():
    # The matrix exponential at 50 digits against 80 digits.
    for _, _, r, c, l in CIRCUITS:
        for t in TIMES:
            for exp in EXPERIMENTS:
                a = state(*values(r, c, l), exp, mp.mpf(float(t)))
                with mp.workdps(80):
                    b = state(*values(r, c, l), exp, mp.mpf(float(t)))
                scale = max(abs(v) for v in b) + 1e-30
                assert max(abs(x - y) for x, y in zip(a, b)) < mp.mpf('1e-30') * scale, (r, c, l, t, exp)
    # The heat from the balance against a quadrature of R i^2.
    with mp.workdps(30):
        for _, _, r, c, l in [CIRCUITS[5], CIRCUITS[8], CIRCUITS[14]]:
            R, C, L = values(r, c, l)
            for exp in EXPERIMENTS:
                t = mp.mpf(float('2.28e-07'))
                def current(tau):
                    u0, i0, ue = start(exp, R, C, L)
                    return (propagator(R, C, L, tau) * mp.matrix([u0, i0, ue]))[1]
                heat = mp.quad(lambda tau: R * current(tau) ** 2, mp.linspace(0, t, 9))
                assert abs(heat - state(R, C, L, exp, t)[4]) < mp.mpf('1e-20') * (heat + 1e-40), (r, exp)


def main():
    check_precision()
    print('// Generated by tools/circuit_reference.py (mpmath, 50 digits); do not edit.')
    print('#pragma once')
    print()
    print('namespace Reference {')
    print()
    print('struct CircuitRow {')
    print('  const char *group, *name;')
    print('  double R_Ohm, C_F, L_H;')
    print('  const char* regime;')
    print('  double delta, omega0, f0, omega, f, T, Q, tau, rcrit, Lambda, tslow, tfast, B, flo, fhi;')
    print('};')
    print()
    print('inline constexpr double Inf = __builtin_inf();')
    print()
    print('inline constexpr CircuitRow Circuits[] = {')
    keys = ['delta', 'omega0', 'f0', 'omega', 'f', 'T', 'Q', 'tau', 'rcrit', 'Lambda', 'tslow', 'tfast', 'B', 'flo', 'fhi']
    for group, name, r, c, l in CIRCUITS:
        R, C, L = values(r, c, l)
        q = quantities(R, C, L)
        print('    {"%s", "%s", %s, %s, %s, "%s",' % (group, name, r, c, l, regime(R, C, L)))
        print('     ' + ', '.join(num(q[k]) for k in keys) + '},')
    print('};')
    print()
    print('// The state at time t of circuit Circuits[circuit] in an experiment.')
    print('struct StateRow {')
    print('  int circuit;')
    print('  const char* experiment;')
    print('  double t_s, u_C_V, i_A, E_C_J, E_L_J, E_R_J, W_J;')
    print('};')
    print()
    print('inline constexpr StateRow States[] = {')
    for k, (_, _, r, c, l) in enumerate(CIRCUITS):
        R, C, L = values(r, c, l)
        for exp in EXPERIMENTS:
            for t in TIMES:
                s = state(R, C, L, exp, mp.mpf(float(t)))
                print('    {%d, "%s", %s, %s},' % (k, exp.lower(), t, ', '.join(num(v) for v in s)))
    print('};')
    print()
    print('// The driven steady state at f = x f0 of circuit Circuits[circuit].')
    print('struct SteadyRow {')
    print('  int circuit;')
    print('  double x, gain_UC, phase_UC_deg, I_A_per_V, phase_I_deg;')
    print('};')
    print()
    print('inline constexpr SteadyRow Steady[] = {')
    for k, (_, _, r, c, l) in enumerate(CIRCUITS):
        R, C, L = values(r, c, l)
        for x in RATIOS:
            print('    {%d, %s, %s},' % (k, x, ', '.join(num(v) for v in steady(R, C, L, mp.mpf(float(x))))))
    print('};')
    print()
    print('} // namespace Reference')


if __name__ == '__main__':
    main()
