#pragma once
#include <cstddef>
#include <cstdio>
#include <vector>

// Results of read_sample, as formatted input reports them.
inline constexpr int sample_complete = 2;   // time and acceleration
inline constexpr int sample_time_only = 1;  // a time, then the end or a non-number
inline constexpr int sample_none = 0;       // the next token is not a number
inline constexpr int sample_end = -1;       // nothing left but whitespace

// A time history stream read in large chunks. Memory is fixed whatever the
// record's length; it grows only to hold one overlong number.
struct SampleReader {
    std::FILE* stream = nullptr;
    std::vector<char> buffer;
    std::size_t pos = 0;
    std::size_t len = 0;
    bool at_eof = false;
    bool failed = false;  // a read error, not the end of the file
};

void attach_reader(SampleReader& reader, std::FILE* stream);
void rewind_reader(SampleReader& reader);
void close_reader(SampleReader& reader);

// Reads the next sample, time then acceleration, and returns one of the
// results above. Every reader of a time history takes 1 or 2 as a sample and
// stops at the first 0 or end. With result 1 the acceleration keeps the value
// it had.
int read_sample(SampleReader& reader, double& time, double& accel);

// The rule every reader shares: a time, with or without its acceleration,
// makes a sample; anything else ends the record.
inline bool holds_sample(int result)
{
    return result == sample_complete || result == sample_time_only;
}
