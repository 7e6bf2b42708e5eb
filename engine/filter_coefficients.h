#pragma once
#include "common/run_settings.h"
#include "engine/oscillator_bank.h"

// Sets a1, a2, b1, b2, b3 of every channel in use from its fn, the damping
// ratio and the time step: the Kelly-Richman set for algorithm 1, the
// Smallwood set for any other value.
void compute_filter_coefficients(OscillatorBank& bank, const RunSettings& settings);
