#pragma once
#include "common/run_settings.h"
#include "engine/oscillator_bank.h"
#include "results/output_file.h"

// Head of srs.out: title, input name, damping, dt and sr.
void write_report_header(OutputFile& report, const RunSettings& settings);

// Creates srs.txt and srs2.txt, writes the report's summary and every row of
// the four result files, and closes them. Leaves each channel's neg_srs as
// its magnitude and pos_srs as its peak absolute response.
void write_result_files(const RunSettings& settings, OscillatorBank& bank, OutputFile& report,
                        OutputFile& fatigue);
