#pragma once
#include <string>

#include "common/run_settings.h"
#include "results/output_file.h"

// The name's Q or b part: the value truncated toward zero, written as an
// integer ("inf" or "-inf" for an infinite value).
std::string whole_part_text(double value);

// time_history_fatigue_Q<Q part>_b<b part>[p4].txt, with Q = 1/(2 damp).
std::string fatigue_file_name(double damp, double b);

// Prints Q and b and creates the fatigue spectrum file (empty until the rows).
void open_fatigue_file(const RunSettings& settings, OutputFile& file);

void write_fatigue_row(OutputFile& file, double fn, double fatigue_sum);
