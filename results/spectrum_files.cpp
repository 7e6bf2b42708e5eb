#include "results/spectrum_files.h"

#include <cmath>

#include "platform/console.h"
#include "results/fatigue_file.h"

void write_report_header(OutputFile& report, const RunSettings& settings)
{
    std::FILE* out = report.stream;
    print_to(out, "\n  SHOCK RESPONSE SPECTRUM OUTPUT \n");
    print_to(out, "\n  Input file =%s \n", settings.input_name.c_str());
    print_to(out, "\n  damp=%g ", settings.damp);
    print_to(out, "\n  dt=%14.5e sec  sr=%14.5g samples/sec\n", settings.dt, settings.sr);
}

void write_result_files(const RunSettings& settings, OscillatorBank& bank, OutputFile& report,
                        OutputFile& fatigue)
{
    OutputFile peak_absolute;
    OutputFile positive_negative;
    create_output_file_or_end(peak_absolute, "srs.txt");
    create_output_file_or_end(positive_negative, "srs2.txt");

    std::FILE* out = report.stream;
    print_to(out, "\n total samples= %d ", static_cast<int>(settings.total_samples));
    // The sample count times dt: one step longer than end minus start.
    print_to(out, "\n      duration= %lf sec \n", settings.total_samples * settings.dt);
    print_to(out, "\n primary start time= %lf sec\n primary end time  = %lf sec\n", settings.t_start,
             settings.t_end);
    print_to(out, "\n\n Note: primary and residual responses calculated. \n");
    print_to(out, "\n     fn(Hz)      pos srs(G)      neg srs(G)     pos time(sec)    neg time(sec) \n");

    for (int m = 0; m < bank.channel_count; ++m) {
        print_to(out, "\n %14.4e\t%14.4e\t%14.4e\t%10.4e\t%10.4e", bank.fn[m], bank.pos_srs[m], bank.neg_srs[m],
                 bank.pos_time[m], bank.neg_time[m]);
        bank.neg_srs[m] = std::fabs(bank.neg_srs[m]);
        print_to(positive_negative.stream, "\n %14.4e \t %14.4e \t %14.4e", bank.fn[m], bank.pos_srs[m],
                 bank.neg_srs[m]);
        if (bank.neg_srs[m] > bank.pos_srs[m]) bank.pos_srs[m] = bank.neg_srs[m];
        print_to(peak_absolute.stream, "\n %14.4e \t %14.4e ", bank.fn[m], bank.pos_srs[m]);
        write_fatigue_row(fatigue, bank.fn[m], bank.fatigue_sum[m]);
    }

    close_output_file(peak_absolute);
    close_output_file(report);
    close_output_file(positive_negative);
    close_output_file(fatigue);
}
