#pragma once
#include "engine/oscillator_bank.h"
#include "input/resample_time_history.h"

// One run from the banner to the final key: asks the questions, checks the
// answers and drives the scan, the passes and the result files. Returns the
// exit status of a normal end; the fatal checks end the process themselves.
int run_dialogue(OscillatorBank& bank, ResampleBuffers& buffers);
