// Analytic responses of a single-degree-of-freedom oscillator to a base
// acceleration, derived from its equation of motion and independent of the
// recursive filters under test. Used by the validation tests and by the
// validation report's driver.
//
// With z the relative displacement of the mass and a(t) the base
// acceleration,
//     z'' + 2 zeta wn z' + wn^2 z = -a(t),
// and the absolute acceleration of the mass is y = -2 zeta wn z' - wn^2 z.
// All the work is done in long double so that the oracle's own rounding stays
// far below the errors it measures.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace shock_oracle {

struct Peaks {
    double pos;  // largest response, never below 0
    double neg;  // magnitude of the most negative response, never below 0
};

// Undamped response to a half-sine pulse a(t) = amplitude sin(pi t / duration)
// for 0 <= t <= duration, zero after it, from rest. With r = 1 / (2 fn duration)
// the ratio of the pulse's frequency to the natural frequency:
//   during the pulse   y(t) = amplitude / (1 - r^2) (sin(r wn t) - r sin(wn t));
//   its maxima lie at wn t = 2 pi n / (1 + r) for n = 1 .. floor((1 + r) / (2 r)),
//   where y = amplitude / (1 - r) sin(2 pi n r / (1 + r)) (only when r < 1);
//   after the pulse    free vibration of amplitude
//                      2 amplitude r |cos(pi / (2 r))| / |1 - r^2|,
//   which is also the negative peak, since the response is never negative
//   while the pulse lasts except at its end, where it is within that amplitude.
inline Peaks half_sine_undamped(double amplitude, double duration, double fn)
{
    const long double pi = std::acos(-1.0L);
    const long double a = amplitude;
    const long double r = 1.0L / (2.0L * fn * duration);
    if (std::fabs(1.0L - r) < 1e-9L) {
        // Resonance: y = a/2 (sin wt - wt cos wt), largest at the pulse's end.
        const double peak = static_cast<double>(a * pi / 2.0L);
        return {peak, peak};
    }
    const long double residual = 2.0L * a * r * std::fabs(std::cos(pi / (2.0L * r))) / std::fabs(1.0L - r * r);
    long double primary = 0.0L;
    if (r < 1.0L) {
        const int last = static_cast<int>(std::floor((1.0L + r) / (2.0L * r)));
        for (int n = 1; n <= last; ++n)
            primary = std::max(primary, a / (1.0L - r) * std::sin(2.0L * pi * n * r / (1.0L + r)));
    }
    return {static_cast<double>(std::max(primary, residual)), static_cast<double>(residual)};
}

struct ExactPeaks {
    Peaks at_samples;  // extremes over the sample instants only
    Peaks anywhere;    // extremes over continuous time, between samples too
};

// Exact response to the record x[0], x[1], ... taken as a piecewise-linear
// base acceleration between samples dt apart, from rest at the first sample.
//
// Over one step, write the input as a(tau) = p + q tau (0 <= tau <= dt). A
// particular solution is z_p = c0 + c1 tau with
//     c1 = -q / wn^2,   c0 = -p / wn^2 + 2 zeta q / wn^3,
// and w = z - z_p rings freely: with s = zeta wn and wd = wn sqrt(1 - zeta^2),
//     w(tau)  = e^(-s tau) [w0 cos(wd tau) + (w0' + s w0) / wd sin(wd tau)]
//     w'(tau) = e^(-s tau) [w0' cos(wd tau) - (s w0' + wn^2 w0) / wd sin(wd tau)]
// so the state at the next sample is z = w(dt) + c0 + c1 dt, z' = w'(dt) + c1.
// Inside the step the absolute acceleration is the input plus the free part,
//     y(tau) = p + q tau + e^(-s tau) [alpha cos(wd tau) + beta sin(wd tau)],
// whose maxima between samples are found where y'(tau) changes sign.
class PiecewiseLinearOscillator {
public:
    PiecewiseLinearOscillator(double fn, double damp, double dt)
        : wn_(2.0L * std::acos(-1.0L) * fn),
          s_(damp * wn_),
          wd_(wn_ * std::sqrt(1.0L - static_cast<long double>(damp) * damp)),
          zeta_(damp),
          dt_(dt)
    {
    }

    // Runs the whole record and returns its extremes.
    ExactPeaks run(const std::vector<double>& x)
    {
        ExactPeaks peaks{{0.0, 0.0}, {0.0, 0.0}};
        long double hi = 0.0L, lo = 0.0L, hi_any = 0.0L, lo_any = 0.0L;
        long double z = 0.0L, v = 0.0L;
        for (size_t k = 0; k + 1 < x.size(); ++k) {
            Step st = begin_step(z, v, x[k], x[k + 1]);
            scan_between_samples(st, hi_any, lo_any);
            end_step(st, z, v);
            long double y = response(z, v);
            hi = std::max(hi, y);
            lo = std::min(lo, y);
        }
        hi_any = std::max(hi_any, hi);
        lo_any = std::min(lo_any, lo);
        peaks.at_samples = {static_cast<double>(hi), static_cast<double>(-lo)};
        peaks.anywhere = {static_cast<double>(hi_any), static_cast<double>(-lo_any)};
        return peaks;
    }

private:
    struct Step {
        long double p, q, c0, c1, w0, w0d, alpha, beta;
    };

    long double response(long double z, long double v) const
    {
        return -2.0L * s_ * v - wn_ * wn_ * z;
    }

    Step begin_step(long double z, long double v, double x0, double x1) const
    {
        Step st;
        const long double wn2 = wn_ * wn_;
        st.p = x0;
        st.q = (static_cast<long double>(x1) - x0) / dt_;
        st.c1 = -st.q / wn2;
        st.c0 = -st.p / wn2 + 2.0L * zeta_ * st.q / (wn2 * wn_);
        st.w0 = z - st.c0;
        st.w0d = v - st.c1;
        const long double b = (st.w0d + s_ * st.w0) / wd_;
        const long double d = (s_ * st.w0d + wn2 * st.w0) / wd_;
        st.alpha = -2.0L * s_ * st.w0d - wn2 * st.w0;
        st.beta = 2.0L * s_ * d - wn2 * b;
        return st;
    }

    void end_step(const Step& st, long double& z, long double& v) const
    {
        const long double e = std::exp(-s_ * dt_);
        const long double c = std::cos(wd_ * dt_);
        const long double sn = std::sin(wd_ * dt_);
        const long double w = e * (st.w0 * c + (st.w0d + s_ * st.w0) / wd_ * sn);
        const long double wd = e * (st.w0d * c - (s_ * st.w0d + wn_ * wn_ * st.w0) / wd_ * sn);
        z = w + st.c0 + st.c1 * dt_;
        v = wd + st.c1;
    }

    long double y_at(const Step& st, long double tau) const
    {
        return st.p + st.q * tau +
               std::exp(-s_ * tau) * (st.alpha * std::cos(wd_ * tau) + st.beta * std::sin(wd_ * tau));
    }

    long double slope_at(const Step& st, long double tau) const
    {
        const long double c = std::cos(wd_ * tau), sn = std::sin(wd_ * tau);
        return st.q + std::exp(-s_ * tau) * ((-s_ * st.alpha + wd_ * st.beta) * c +
                                             (-s_ * st.beta - wd_ * st.alpha) * sn);
    }

    // Looks for turning points inside the step on a fine sub-grid, then pins
    // each down by bisection on the slope.
    void scan_between_samples(const Step& st, long double& hi, long double& lo) const
    {
        const int parts = 16;
        long double left = 0.0L;
        long double slope_left = slope_at(st, left);
        for (int j = 1; j <= parts; ++j) {
            const long double right = dt_ * j / parts;
            const long double slope_right = slope_at(st, right);
            if ((slope_left > 0) != (slope_right > 0)) {
                long double a = left, b = right;
                for (int i = 0; i < 80; ++i) {
                    const long double mid = (a + b) / 2;
                    if ((slope_at(st, mid) > 0) == (slope_left > 0))
                        a = mid;
                    else
                        b = mid;
                }
                const long double y = y_at(st, (a + b) / 2);
                hi = std::max(hi, y);
                lo = std::min(lo, y);
            }
            left = right;
            slope_left = slope_right;
        }
    }

    long double wn_, s_, wd_, zeta_, dt_;
};

// A half-sine pulse sampled at whole steps: samples 0 .. steps, the last one
// the pulse's end (exactly zero).
inline std::vector<double> sampled_half_sine(double amplitude, int steps)
{
    std::vector<double> x(steps + 1);
    for (int k = 0; k < steps; ++k)
        x[k] = amplitude * std::sin(std::acos(-1.0) * k / steps);
    x[steps] = 0.0;
    return x;
}

}  // namespace shock_oracle
