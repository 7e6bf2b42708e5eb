#pragma once
#include "engine/oscillator_bank.h"

// Samples a pass holds at a time: the pass reads this many ahead and steps
// the bank over them group by group, so memory stays fixed whatever the
// record's length.
inline constexpr int block_samples = 256;

// Channels stepped together over a block: their state, coefficients and
// scratch stay in the first-level cache while the block's samples go by.
inline constexpr int group_channels = 256;

// Steps channels first to last-1, each once per sample of x and t in
// order, with exactly the results of step_channel called sample by sample.
// Every variant gives the same bits; they differ only in vector width.
using BlockStep = void (*)(OscillatorBank& bank, int first, int last, const double* x,
                           const double* t, int count, double b);

void step_block_sse2(OscillatorBank& bank, int first, int last, const double* x, const double* t,
                     int count, double b);
void step_block_avx2(OscillatorBank& bank, int first, int last, const double* x, const double* t,
                     int count, double b);
void step_block_avx512(OscillatorBank& bank, int first, int last, const double* x, const double* t,
                       int count, double b);

// Whether the running machine can execute each wide variant.
bool cpu_runs_avx2();
bool cpu_runs_avx512();

// The widest variant this machine runs, chosen on first use.
BlockStep chosen_block_step();
