#include "dialogue/run_dialogue.h"

namespace {

// Both are large and live for the whole run; static storage keeps them off
// the stack, and untouched pages of the resampling buffers cost no memory.
OscillatorBank bank;
ResampleBuffers resample_buffers;

}  // namespace

int main()
{
    return run_dialogue(bank, resample_buffers);
}
