#pragma once
#include "common/run_settings.h"
#include "engine/oscillator_bank.h"

// Fills fn of channels 1 onward from fn[0] (1/12 octave or a constant
// bandwidth) up to and including the first frequency above sr/8, and sets
// channel_count. False when the bank filled up first: the grid then holds
// max_channels frequencies, the last still at or below sr/8.
bool build_frequency_grid(OscillatorBank& bank, const RunSettings& settings);
