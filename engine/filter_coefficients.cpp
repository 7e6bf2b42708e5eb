#include "engine/filter_coefficients.h"

#include <cmath>

namespace {

const double pi = std::atan2(0.0, -1.0);

struct ChannelTerms {
    double wn;     // natural angular frequency
    double wd;     // damped angular frequency
    double k;      // damped phase advance over one step
    double theta;  // decay exponent over one step
    double e;      // amplitude decay over one step
};

ChannelTerms channel_terms(double fn, double damp, double root, double dt)
{
    ChannelTerms c;
    c.wn = 2 * pi * fn;
    c.wd = root * c.wn;
    c.k = c.wd * dt;
    c.theta = (c.wn * damp) * dt;
    c.e = std::exp(-c.theta);
    return c;
}

void kelly_richman(OscillatorBank& bank, const RunSettings& s, double zeta2, double root)
{
    double g = 1 - 2 * zeta2;
    for (int m = 0; m < bank.channel_count; ++m) {
        ChannelTerms c = channel_terms(bank.fn[m], s.damp, root, s.dt);
        double sin_k = std::sin(c.k);
        double cos_k = std::cos(c.k);
        bank.a1[m] = 2 * c.e * cos_k;
        // A second exponential, not -E*E: the two can differ in the last bit.
        bank.a2[m] = -std::exp(-2 * c.theta);
        bank.b1[m] = 2 * c.theta;
        bank.b2[m] = ((c.wn * s.dt) * c.e) * (((c.wn / c.wd) * g) * sin_k - (2 * s.damp) * cos_k);
        bank.b3[m] = 0.0;
    }
}

void smallwood(OscillatorBank& bank, const RunSettings& s, double root)
{
    for (int m = 0; m < bank.channel_count; ++m) {
        ChannelTerms c = channel_terms(bank.fn[m], s.damp, root, s.dt);
        double cc = c.e * std::cos(c.k);
        double ss = (c.e * std::sin(c.k)) / c.k;
        double e2 = std::pow(c.e, 2);
        bank.a1[m] = 2 * cc;
        bank.a2[m] = -e2;
        bank.b1[m] = 1 - ss;
        bank.b2[m] = 2 * (ss - cc);
        bank.b3[m] = e2 - ss;
    }
}

}  // namespace

void compute_filter_coefficients(OscillatorBank& bank, const RunSettings& settings)
{
    double zeta2 = std::pow(settings.damp, 2);
    double root = std::sqrt(1 - zeta2);
    if (settings.algorithm == 1)
        kelly_richman(bank, settings, zeta2, root);
    else
        smallwood(bank, settings, root);
}
