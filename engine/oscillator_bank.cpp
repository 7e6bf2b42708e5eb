#include "engine/oscillator_bank.h"

#include <cmath>
#include <initializer_list>

namespace {

void zero(double* field)
{
    for (int m = 0; m < max_channels; ++m) field[m] = 0.0;
}

}  // namespace

void reset_bank(OscillatorBank& bank)
{
    for (double* field : {bank.y0, bank.y1, bank.y2, bank.x1, bank.x2, bank.pos_srs, bank.neg_srs,
                          bank.pos_time, bank.neg_time, bank.fatigue_sum})
        zero(field);
}

void step_channel(OscillatorBank& bank, int m, double x0, double t, double b)
{
    // Added left to right in exactly this order: another order changes the
    // last bits of the response and with them the files.
    double y0 = bank.b3[m] * bank.x2[m] + bank.a2[m] * bank.y2[m] + bank.a1[m] * bank.y1[m] +
                bank.b2[m] * bank.x1[m] + bank.b1[m] * x0;
    bank.y0[m] = y0;

    // Strict tests: an equal later value keeps the time of the first.
    if (y0 > bank.pos_srs[m]) {
        bank.pos_srs[m] = y0;
        bank.pos_time[m] = t;
    }
    if (y0 < bank.neg_srs[m]) {
        bank.neg_srs[m] = y0;
        bank.neg_time[m] = t;
    }

    // The previous response is a crest when it stands strictly above both
    // neighbours; a flat top is no crest.
    if (y0 < bank.y1[m] && bank.y1[m] > bank.y2[m])
        bank.fatigue_sum[m] = bank.fatigue_sum[m] + std::pow(std::fabs(bank.y1[m]), b);

    bank.y2[m] = bank.y1[m];
    bank.y1[m] = y0;
    bank.x2[m] = bank.x1[m];
    bank.x1[m] = x0;
}
