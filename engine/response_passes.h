#pragma once
#include "common/run_settings.h"
#include "engine/oscillator_bank.h"
#include "input/sample_reader.h"

inline constexpr double residual_periods = 1.2;

// Steps every channel in use once per sample of the record, from its start
// to where the scan stopped; sets total_samples and t_end and closes the
// input.
void primary_pass(SampleReader& input, OscillatorBank& bank, RunSettings& settings);

// Number of residual steps of the run, from channel 0, the lowest frequency.
int residual_step_count(const OscillatorBank& bank, const RunSettings& settings);

// Rings every channel on with zero input for 1.2 of its own periods.
void residual_pass(OscillatorBank& bank, const RunSettings& settings);
