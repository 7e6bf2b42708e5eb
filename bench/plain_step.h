#pragma once
#include <cmath>

#include "engine/oscillator_bank.h"

// The yardstick: the channel step written plainly, one channel at a time with
// branches and pow in line, as the program stepped its bank before the
// vector kernel.
inline void plain_step(OscillatorBank& bank, int m, double x0, double t, double b)
{
    double y0 = bank.b3[m] * bank.x2[m] + bank.a2[m] * bank.y2[m] + bank.a1[m] * bank.y1[m] +
                bank.b2[m] * bank.x1[m] + bank.b1[m] * x0;
    bank.y0[m] = y0;
    if (y0 > bank.pos_srs[m]) {
        bank.pos_srs[m] = y0;
        bank.pos_time[m] = t;
    }
    if (y0 < bank.neg_srs[m]) {
        bank.neg_srs[m] = y0;
        bank.neg_time[m] = t;
    }
    if (y0 < bank.y1[m] && bank.y1[m] > bank.y2[m])
        bank.fatigue_sum[m] = bank.fatigue_sum[m] + std::pow(std::fabs(bank.y1[m]), b);
    bank.y2[m] = bank.y1[m];
    bank.y1[m] = y0;
    bank.x2[m] = bank.x1[m];
    bank.x1[m] = x0;
}
