#include "results/fatigue_file.h"

#include <cmath>

#include "common/same_file.h"
#include "platform/console.h"
#include "platform/format.h"

namespace {

double amplification(double damp)
{
    return 1 / (damp + damp);
}

}  // namespace

std::string whole_part_text(double value)
{
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    double whole = std::trunc(value);
    if (whole >= -2147483648.0 && whole <= 2147483647.0) return format_text("%ld", static_cast<long>(whole));
    return format_text("%.0f", whole);
}

std::string fatigue_file_name(double damp, double b)
{
    std::string name = "time_history_fatigue_Q" + whole_part_text(amplification(damp)) + "_b" + whole_part_text(b);
    // Exact comparison: only the double that reading "6.4" gives is marked.
    if (b == 6.4) name += "p4";
    return name + ".txt";
}

void open_fatigue_file(const RunSettings& settings, OutputFile& file)
{
    print("\n  Q=%lf \n", amplification(settings.damp));
    print("\n  b=%lf \n", settings.b);
    std::string name = fatigue_file_name(settings.damp, settings.b);
    // The typed file stays the user's record even after resampling.
    if (settings.interpolate == 1)
        end_run_if_input(name, {settings.input_name, settings.resampled_name});
    else
        end_run_if_input(name, {settings.input_name});
    create_output_file_or_end(file, name);
}

void write_fatigue_row(OutputFile& file, double fn, double fatigue_sum)
{
    print_to(file.stream, " %14.4e \t %14.4e \n", fn, fatigue_sum);
}
