#include "input/sample_reader.h"

#include <cstdint>
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

// Powers of ten that a double holds exactly.
constexpr double exact_powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The usual number of a record, read in one sweep: at most 19 digits, an
// exponent of at most three digits, and whitespace after it inside the
// buffer. When its digits fit in 53 bits and its power of ten is within
// 1e22, both are exact doubles, so the one multiplication or division is
// correctly rounded: the value the general converter gives. Returns the
// length read, or 0 to leave the number to the general path (which also has
// the last word on anything this does not take).
std::size_t read_plain_number(const char* p, const char* end, double& value)
{
    const char* q = p;
    bool negative = false;
    if (*q == '-' || *q == '+') negative = *q++ == '-';
    std::uint64_t digits = 0;
    const char* first_digit = q;
    while (q < end && is_digit(*q)) digits = digits * 10 + unsigned(*q++ - '0');
    long count = q - first_digit;
    long fraction = 0;
    if (q < end && *q == '.') {
        const char* after_point = ++q;
        while (q < end && is_digit(*q)) digits = digits * 10 + unsigned(*q++ - '0');
        fraction = q - after_point;
        count += fraction;
    }
    if (count == 0 || count > 19) return 0;
    long exponent = 0;
    if (q < end && (*q == 'e' || *q == 'E')) {
        const char* e = q + 1;
        bool exponent_negative = false;
        if (e < end && (*e == '+' || *e == '-')) exponent_negative = *e++ == '-';
        const char* first = e;
        while (e < end && is_digit(*e) && e - first < 3) exponent = exponent * 10 + (*e++ - '0');
        if (e == first || (e < end && is_digit(*e))) return 0;
        if (exponent_negative) exponent = -exponent;
        q = e;
    }
    if (q == end || !is_space(*q)) return 0;
    long power = exponent - fraction;
    if (digits > (std::uint64_t(1) << 53) || power < -22 || power > 22) return 0;
    double v = static_cast<double>(digits);
    v = power < 0 ? v / exact_powers_of_ten[-power] : v * exact_powers_of_ten[power];
    value = negative ? -v : v;
    return static_cast<std::size_t>(q - p);
}

enum class Value { number, not_number, end };

Value read_value(SampleReader& r, double& value)
{
    if (!skip_space(r)) return Value::end;
    if (std::size_t n = read_plain_number(r.buffer.data() + r.pos, r.buffer.data() + r.len, value)) {
        r.pos += n;
        return Value::number;
    }
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
