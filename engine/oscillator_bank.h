#pragma once

inline constexpr int max_channels = 20000;

// One single-degree-of-freedom oscillator per natural frequency, each field
// held as its own array so a pass can work across channels. Large (about
// 2.5 MB): static storage in the program, heap in tests.
struct OscillatorBank {
    alignas(64) double fn[max_channels];
    // Filter coefficients: y0 = b3*x2 + a2*y2 + a1*y1 + b2*x1 + b1*x0.
    alignas(64) double a1[max_channels];
    alignas(64) double a2[max_channels];
    alignas(64) double b1[max_channels];
    alignas(64) double b2[max_channels];
    alignas(64) double b3[max_channels];
    // Response and input histories.
    alignas(64) double y0[max_channels];
    alignas(64) double y1[max_channels];
    alignas(64) double y2[max_channels];
    alignas(64) double x1[max_channels];
    alignas(64) double x2[max_channels];
    // Results gathered over the run.
    alignas(64) double pos_srs[max_channels];
    alignas(64) double neg_srs[max_channels];
    alignas(64) double pos_time[max_channels];
    alignas(64) double neg_time[max_channels];
    alignas(64) double fatigue_sum[max_channels];
    int channel_count = 0;
};

// Zeroes the state and results of every channel, in use or not; fn and the
// coefficients are left as they are.
void reset_bank(OscillatorBank& bank);

// Advances channel m by one time step with input x0 at time t, tracking its
// extremes and adding |crest|^b for every crest of the response.
void step_channel(OscillatorBank& bank, int m, double x0, double t, double b);
