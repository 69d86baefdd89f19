// The circuit model's computations, each for one full curve or table: the window's
// designed and exact curves (10,001 samples), an experiment's transient with its
// energies (10,001 states in extended precision) and the resonance curve (1,001
// frequencies). Needs only Google Benchmark (no peer plotting libraries).
#include "FrequencyResponse.h"
#include "Responses.h"
#include "SampleGrid.h"
#include "Transient.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

using Rlc::SampleGrid::Samples;

void Circuit_DesignedResponse(benchmark::State& state) {
  std::vector<double> y(Samples);
  for (auto _ : state) {
    Rlc::DesignedResponse({470, 220, 1000}, y.data());
    benchmark::DoNotOptimize(y.data());
  }
}
BENCHMARK(Circuit_DesignedResponse)->Unit(benchmark::kMicrosecond);

void Circuit_ExactNormalisedResponse(benchmark::State& state) {
  std::vector<double> y(Samples);
  const Rlc::Damping d = Rlc::DampingAt({470, 220, 1000});
  for (auto _ : state) {
    Rlc::ExactNormalisedResponse(d, y.data());
    benchmark::DoNotOptimize(y.data());
  }
}
BENCHMARK(Circuit_ExactNormalisedResponse)->Unit(benchmark::kMicrosecond);

// Arg: 0 underdamped (the designed values), 1 near critical, 2 overdamped.
void Circuit_TransientWithEnergies(benchmark::State& state) {
  const Rlc::Circuit circuits[] = {{4.7, 2.2e-9, 1e-5}, {63.24555326661314, 1e-8, 1e-5}, {100, 1e-10, 1e-7}};
  const Rlc::Circuit c = circuits[state.range(0)];
  const Rlc::InitialState s0 = Rlc::StartOf(Rlc::Experiment::Current, c);
  Rlc::Trajectory path;
  for (auto _ : state) {
    path.Fill(c, s0, Rlc::SampleGrid::Times_s(), Samples);
    benchmark::DoNotOptimize(path.E_R_J.data());
  }
  state.SetItemsProcessed(state.iterations() * Samples);
}
BENCHMARK(Circuit_TransientWithEnergies)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The same on the sample grid, blockwise (the analysis window's computation).
void Circuit_TransientOnGrid(benchmark::State& state) {
  const Rlc::Circuit circuits[] = {{4.7, 2.2e-9, 1e-5}, {63.24555326661314, 1e-8, 1e-5}, {100, 1e-10, 1e-7}};
  const Rlc::Circuit c = circuits[state.range(0)];
  const Rlc::InitialState s0 = Rlc::StartOf(Rlc::Experiment::Current, c);
  Rlc::Trajectory path;
  for (auto _ : state) {
    path.FillGrid(c, s0, Samples);
    benchmark::DoNotOptimize(path.E_R_J.data());
  }
  state.SetItemsProcessed(state.iterations() * Samples);
}
BENCHMARK(Circuit_TransientOnGrid)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void Circuit_ResonanceCurve(benchmark::State& state) {
  const Rlc::Circuit c{4.7, 2.2e-9, 1e-5};
  for (auto _ : state) {
    double sum = 0;
    for (int k = 0; k < 1001; ++k) sum += Rlc::FrequencyResponseAtRatio(c, std::pow(10.0, (4 * k - 2000) / 1000.0)).GainUC;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(Circuit_ResonanceCurve)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
