#include "input/sample_reader.h"

#include <cstring>

#include "input/number_text.h"

namespace {

constexpr std::size_t chunk_size = 1 << 20;

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Characters a number can be made of; any other ends every possible match.
bool may_continue_number(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
}

// Moves the unread bytes to the front and reads more behind them, growing the
// buffer only when the unread bytes already fill it. False when nothing more
// could be read.
bool refill(SampleReader& r)
{
    if (r.at_eof) return false;
    std::size_t unread = r.len - r.pos;
    if (r.pos > 0 && unread > 0) std::memmove(r.buffer.data(), r.buffer.data() + r.pos, unread);
    r.pos = 0;
    r.len = unread;
    if (r.len == r.buffer.size()) r.buffer.resize(r.buffer.size() * 2);
    std::size_t got = std::fread(r.buffer.data() + r.len, 1, r.buffer.size() - r.len, r.stream);
    r.len += got;
    if (got == 0) {
        r.at_eof = true;
        r.failed = std::ferror(r.stream) != 0;
    }
    return got > 0;
}

// Skips whitespace; false at the end of the input.
bool skip_space(SampleReader& r)
{
    for (;;) {
        while (r.pos < r.len && is_space(r.buffer[r.pos])) ++r.pos;
        if (r.pos < r.len) return true;
        if (!refill(r)) return false;
    }
}

// Makes sure the buffer holds every byte a number starting at pos could use.
void hold_number_run(SampleReader& r)
{
    std::size_t scanned = r.pos;
    for (;;) {
        while (scanned < r.len && may_continue_number(r.buffer[scanned])) ++scanned;
        if (scanned < r.len) return;
        std::size_t offset = scanned - r.pos;
        if (!refill(r)) return;
        scanned = r.pos + offset;
    }
}

enum class Value { number, not_number, end };

Value read_value(SampleReader& r, double& value)
{
    if (!skip_space(r)) return Value::end;
    hold_number_run(r);
    const char* p = r.buffer.data() + r.pos;
    std::size_t n = match_number(p, r.buffer.data() + r.len);
    if (n == 0 || !convert_number(p, n, value)) return Value::not_number;
    r.pos += n;
    return Value::number;
}

}  // namespace

void attach_reader(SampleReader& reader, std::FILE* stream)
{
    reader.stream = stream;
    if (reader.buffer.size() < chunk_size) reader.buffer.resize(chunk_size);
    reader.pos = reader.len = 0;
    reader.at_eof = reader.failed = false;
}

void rewind_reader(SampleReader& reader)
{
    std::rewind(reader.stream);
    attach_reader(reader, reader.stream);
}

void close_reader(SampleReader& reader)
{
    if (reader.stream) std::fclose(reader.stream);
    reader.stream = nullptr;
}

int read_sample(SampleReader& reader, double& time, double& accel)
{
    double t;
    Value first = read_value(reader, t);
    if (first == Value::end) return sample_end;
    if (first == Value::not_number) return sample_none;
    time = t;
    double a;
    if (read_value(reader, a) != Value::number) return sample_time_only;
    accel = a;
    return sample_complete;
}
