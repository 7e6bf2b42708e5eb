// The time history's number reader on arbitrary bytes, against the slow
// model: the longest number at the start of the bytes and its value, then
// every sample of the bytes read as a stream.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "input/number_text.h"
#include "input/sample_reader.h"
#include "number_model.h"

namespace {

// The reader fills a buffer of this size at a time. Whitespace in front of
// the bytes moves a buffer boundary into them, so numbers cut by a refill
// are read too.
constexpr std::size_t reader_chunk = std::size_t{1} << 20;

void check_match_at_start(const char* p, std::size_t size)
{
    std::string_view bytes(p, size);
    std::size_t expected = model::longest_number(bytes);
    FUZZ_CHECK(match_number(p, p + size) == expected);
    if (expected == 0) return;
    double want = 0.0, got = 0.0;
    bool finite = model::value_of(bytes.substr(0, expected), want);
    FUZZ_CHECK(convert_number(p, expected, got) == finite);
    if (finite) FUZZ_CHECK(model::same_double(got, want));
}

// The stream the reader sees: the bytes, after some whitespace when the
// first byte asks for a refill inside them (one input in 32: skipping a
// buffer of blanks is slow).
std::vector<char> stream_text(const char* p, std::size_t size)
{
    std::vector<char> text;
    if (size > 0 && (p[0] & 31) == 1) {
        std::size_t cut = static_cast<unsigned char>(p[size / 2]) % (size + 1);
        text.assign(reader_chunk - cut, ' ');
    }
    text.insert(text.end(), p, p + size);
    return text;
}

void check_samples(const char* p, std::size_t size)
{
    std::vector<char> text = stream_text(p, size);
    std::FILE* stream = text.empty() ? std::tmpfile() : fmemopen(text.data(), text.size(), "rb");
    FUZZ_CHECK(stream != nullptr);
    // One reader for every input, as a run keeps one for its record: its
    // buffer is made once.
    static SampleReader reader;
    attach_reader(reader, stream);
    std::string_view rest(text.data(), text.size());
    double time = -1.0, accel = -2.0, model_time = -1.0, model_accel = -2.0;
    for (int ends_seen = 0; ends_seen < 2;) {
        int want = model::read_sample(rest, model_time, model_accel);
        int got = read_sample(reader, time, accel);
        FUZZ_CHECK(got == want);
        FUZZ_CHECK(model::same_double(time, model_time));
        FUZZ_CHECK(model::same_double(accel, model_accel));
        // A stop is read twice: the token that stopped it stays unread.
        if (got == sample_none || got == sample_end) ++ends_seen;
    }
    FUZZ_CHECK(!reader.failed);
    close_reader(reader);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* p = reinterpret_cast<const char*>(data);
    check_match_at_start(p, size);
    check_samples(p, size);
    return 0;
}
