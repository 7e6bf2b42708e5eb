#include "engine/bank_kernel.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

// This file is built with -O3 (the loop below vectorises there, not at -O2)
// and still with -ffp-contract=off: a fused multiply-add would change the
// response's last bits.

namespace {

// Gathering the crest lanes of one sample: the indices j with crest[j] >= 0,
// ascending, written to at (which has room for 8 more than n). A branch per
// channel would mispredict on most crests, so both ways work without one.
struct GatherByTable {
    static int run(const double* crest, int n, int* at)
    {
        // For each 4-bit mask, the set lanes in ascending order.
        static constexpr int lanes[16][4] = {
            {0, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {2, 0, 0, 0}, {0, 2, 0, 0},
            {1, 2, 0, 0}, {0, 1, 2, 0}, {3, 0, 0, 0}, {0, 3, 0, 0}, {1, 3, 0, 0}, {0, 1, 3, 0},
            {2, 3, 0, 0}, {0, 2, 3, 0}, {1, 2, 3, 0}, {0, 1, 2, 3}};
        int found = 0;
        int j = 0;
        for (; j + 4 <= n; j += 4) {
            unsigned mask = unsigned(crest[j] >= 0.0) | unsigned(crest[j + 1] >= 0.0) << 1 |
                            unsigned(crest[j + 2] >= 0.0) << 2 | unsigned(crest[j + 3] >= 0.0) << 3;
            for (int i = 0; i < 4; ++i) at[found + i] = j + lanes[mask][i];
            found += __builtin_popcount(mask);
        }
        for (; j < n; ++j) {
            at[found] = j;
            found += crest[j] >= 0.0;
        }
        return found;
    }
};

// With AVX-512 a compare gives the lane mask and a compress packs the
// indices, eight lanes at a time.
struct GatherByCompress {
    [[gnu::target("avx512f,avx512vl")]] static int run(const double* crest, int n, int* at)
    {
        int found = 0;
        int j = 0;
        __m256i index = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
        const __m256i eight = _mm256_set1_epi32(8);
        for (; j + 8 <= n; j += 8) {
            __mmask8 mask = _mm512_cmp_pd_mask(_mm512_loadu_pd(crest + j), _mm512_setzero_pd(), _CMP_GE_OQ);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(at + found), _mm256_maskz_compress_epi32(mask, index));
            found += __builtin_popcount(mask);
            index = _mm256_add_epi32(index, eight);
        }
        for (; j < n; ++j) {
            at[found] = j;
            found += crest[j] >= 0.0;
        }
        return found;
    }
};

// The inner loop runs across channels of one group for one sample. Every
// update is an unconditional select and the tests are combined with & so the
// compiler can turn the loop into vector code; pow is left to a scalar loop
// over the crests found, in channel order, so each channel's fatigue_sum gets
// its terms in sample order exactly as the plain step adds them.
template <class Gather>
[[gnu::always_inline]] inline void step_group(OscillatorBank& bank, int g, int n, const double* xs,
                                              const double* ts, int count, double b)
{
    alignas(64) double crest[group_channels];
    int crest_at[group_channels + 8];
    for (int k = 0; k < count; ++k) {
        const double x0 = xs[k];
        const double t = ts[k];
        for (int j = 0; j < n; ++j) {
            const int m = g + j;
            const double y1 = bank.y1[m];
            const double y2 = bank.y2[m];
            const double x1 = bank.x1[m];
            const double x2 = bank.x2[m];
            // Added left to right in exactly this order, as in step_channel.
            const double y0 =
                bank.b3[m] * x2 + bank.a2[m] * y2 + bank.a1[m] * y1 + bank.b2[m] * x1 + bank.b1[m] * x0;
            const double pos = bank.pos_srs[m];
            const bool up = y0 > pos;
            bank.pos_srs[m] = up ? y0 : pos;
            bank.pos_time[m] = up ? t : bank.pos_time[m];
            const double neg = bank.neg_srs[m];
            const bool down = y0 < neg;
            bank.neg_srs[m] = down ? y0 : neg;
            bank.neg_time[m] = down ? t : bank.neg_time[m];
            // A crest's magnitude is never negative, so -1 marks "no crest".
            const bool is_crest = (y0 < y1) & (y1 > y2);
            crest[j] = is_crest ? std::fabs(y1) : -1.0;
            bank.y2[m] = y1;
            bank.y1[m] = y0;
            bank.x2[m] = x1;
            bank.x1[m] = x0;
        }
        const int found = Gather::run(crest, n, crest_at);
        for (int i = 0; i < found; ++i) {
            const int j = crest_at[i];
            bank.fatigue_sum[g + j] = bank.fatigue_sum[g + j] + std::pow(crest[j], b);
        }
    }
    if (count > 0)
        for (int j = 0; j < n; ++j) bank.y0[g + j] = bank.y1[g + j];
}

template <class Gather>
[[gnu::always_inline]] inline void step_block_body(OscillatorBank& bank, int first, int last,
                                                   const double* x, const double* t, int count,
                                                   double b)
{
    for (int g = first; g < last; g += group_channels)
        step_group<Gather>(bank, g, std::min(group_channels, last - g), x, t, count, b);
}

}  // namespace

void step_block_sse2(OscillatorBank& bank, int first, int last, const double* x, const double* t,
                     int count, double b)
{
    step_block_body<GatherByTable>(bank, first, last, x, t, count, b);
}

[[gnu::target("avx2")]] void step_block_avx2(OscillatorBank& bank, int first, int last,
                                              const double* x, const double* t, int count, double b)
{
    step_block_body<GatherByTable>(bank, first, last, x, t, count, b);
}

[[gnu::target("avx512f,avx512vl,avx512dq,avx512bw,prefer-vector-width=512")]] void step_block_avx512(
    OscillatorBank& bank, int first, int last, const double* x, const double* t, int count, double b)
{
    step_block_body<GatherByCompress>(bank, first, last, x, t, count, b);
}

bool cpu_runs_avx2()
{
    return __builtin_cpu_supports("avx2");
}

bool cpu_runs_avx512()
{
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
           __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
}

BlockStep chosen_block_step()
{
    static const BlockStep chosen = cpu_runs_avx512() ? step_block_avx512
                                    : cpu_runs_avx2() ? step_block_avx2
                                                      : step_block_sse2;
    return chosen;
}
