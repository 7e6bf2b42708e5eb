// One pass of the bank over a block of samples, in channel-steps per second:
// the plain scalar step against each vector variant the machine runs. The
// bank is that of whole-run case 2 (Kelly-Richman, Q 10, b 4, 10 Hz bands from
// 10 Hz at 100 kHz: 1250 channels), driven by a noisy decaying shock, so the
// crests come as often as in a real run.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/plain_step.h"
#include "common/run_settings.h"
#include "engine/bank_kernel.h"
#include "engine/filter_coefficients.h"
#include "engine/frequency_grid.h"

namespace {

struct PassSetup {
    std::unique_ptr<OscillatorBank> bank = std::make_unique<OscillatorBank>();
    RunSettings settings;
    alignas(64) double x[block_samples];
    alignas(64) double t[block_samples];

    explicit PassSetup(double fn0, double bandwidth)
    {
        settings.sr = 100e3;
        settings.dt = 1.0 / settings.sr;
        settings.damp = 0.05;
        settings.b = 4.0;
        settings.algorithm = 1;
        settings.spacing = 2;
        settings.bandwidth = bandwidth;
        reset_bank(*bank);
        bank->fn[0] = fn0;
        build_frequency_grid(*bank, settings);
        compute_filter_coefficients(*bank, settings);
        std::mt19937_64 rng(5);
        std::normal_distribution<double> noise(0.0, 2.0);
        for (int k = 0; k < block_samples; ++k) {
            t[k] = k * settings.dt;
            x[k] = noise(rng) + 300.0 * std::exp(-50.0 * t[k]) * std::sin(2e4 * t[k]);
        }
    }
};

void count_steps(benchmark::State& state, const PassSetup& s)
{
    state.SetItemsProcessed(state.iterations() * int64_t(s.bank->channel_count) * block_samples);
    state.counters["channels"] = s.bank->channel_count;
}

void plain_scalar_step(benchmark::State& state)
{
    PassSetup s(10.0, 10.0);
    for (auto _ : state) {
        for (int k = 0; k < block_samples; ++k)
            for (int m = 0; m < s.bank->channel_count; ++m) plain_step(*s.bank, m, s.x[k], s.t[k], s.settings.b);
        benchmark::ClobberMemory();
    }
    count_steps(state, s);
}

void block_step(benchmark::State& state, BlockStep step, bool runs)
{
    if (!runs) {
        state.SkipWithError("this machine does not run the variant");
        return;
    }
    PassSetup s(10.0, 10.0);
    for (auto _ : state) {
        step(*s.bank, 0, s.bank->channel_count, s.x, s.t, block_samples, s.settings.b);
        benchmark::ClobberMemory();
    }
    count_steps(state, s);
}

// The same bank at rest with zero input: no crest, no new extreme, so this is
// the filter alone at the vector units' pace, the floor under every pass.
void block_step_without_crests(benchmark::State& state)
{
    PassSetup s(10.0, 10.0);
    for (int k = 0; k < block_samples; ++k) s.x[k] = 0.0;
    BlockStep step = chosen_block_step();
    for (auto _ : state) {
        step(*s.bank, 0, s.bank->channel_count, s.x, s.t, block_samples, s.settings.b);
        benchmark::ClobberMemory();
    }
    count_steps(state, s);
}

// One pow call at a crest, on crest magnitudes of a real pass: the cost no
// vector unit takes off, as long as pow stays the exact scalar one.
void pow_at_crests(benchmark::State& state)
{
    PassSetup s(10.0, 10.0);
    std::vector<double> magnitudes;
    for (int k = 0; k < block_samples && magnitudes.size() < 4096; ++k)
        for (int m = 0; m < s.bank->channel_count; ++m) {
            double y1 = s.bank->y1[m];
            double y2 = s.bank->y2[m];
            plain_step(*s.bank, m, s.x[k], s.t[k], s.settings.b);
            if (s.bank->y0[m] < y1 && y1 > y2) magnitudes.push_back(std::fabs(y1));
        }
    const double b = static_cast<double>(state.range(0)) / 10.0;
    double sum = 0.0;
    for (auto _ : state) {
        for (double y : magnitudes) sum += std::pow(y, b);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(magnitudes.size()));
}

// The correctly rounded converter alone on record text: the pace at which a
// record can be read at best.
void convert_record_numbers(benchmark::State& state)
{
    std::vector<std::string> numbers;
    for (int k = 0; k < 4096; ++k) {
        char text[32];
        std::snprintf(text, sizeof text, "%.9e", k * 1e-5);
        numbers.push_back(text);
        std::snprintf(text, sizeof text, "%.6e", 300.0 * std::sin(0.1 * k));
        numbers.push_back(text);
    }
    for (auto _ : state) {
        for (const std::string& n : numbers) {
            double v;
            std::from_chars(n.data(), n.data() + n.size(), v);
            benchmark::DoNotOptimize(v);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(numbers.size()));
}

}  // namespace

BENCHMARK(plain_scalar_step);
BENCHMARK_CAPTURE(block_step, sse2, step_block_sse2, true);
BENCHMARK_CAPTURE(block_step, avx2, step_block_avx2, cpu_runs_avx2());
BENCHMARK_CAPTURE(block_step, avx512, step_block_avx512, cpu_runs_avx512());

BENCHMARK(block_step_without_crests);
BENCHMARK(pow_at_crests)->Arg(64)->Arg(40);
BENCHMARK(convert_record_numbers);

BENCHMARK_MAIN();
