// The answer reader on arbitrary token streams: the tokens read_token cuts
// must be the whitespace-separated words of the bytes, and every token must
// parse as a real or an integer exactly when strtod or strtol say so.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "input/number_text.h"
#include "number_model.h"
#include "platform/console.h"

namespace {

std::vector<std::string> model_tokens(std::string_view bytes)
{
    std::vector<std::string> tokens;
    std::string token;
    for (char c : bytes) {
        if (!model::is_space(c)) {
            token += c;
        } else if (!token.empty()) {
            tokens.push_back(token);
            token.clear();
        }
    }
    if (!token.empty()) tokens.push_back(token);
    return tokens;
}

std::vector<std::string> read_tokens(const char* p, std::size_t size)
{
    std::FILE* stream = size == 0 ? std::tmpfile() : fmemopen(const_cast<char*>(p), size, "rb");
    FUZZ_CHECK(stream != nullptr);
    std::vector<std::string> tokens;
    std::string token;
    while (read_token(stream, token)) tokens.push_back(token);
    FUZZ_CHECK(token.empty());
    FUZZ_CHECK(!read_token(stream, token));  // an ended stream stays ended
    std::fclose(stream);
    return tokens;
}

void check_real(const std::string& token)
{
    double want = 0.0, got = 0.0;
    bool valid = model::is_number(token) && model::value_of(token, want);
    FUZZ_CHECK(parse_real_token(token, got) == valid);
    if (valid) FUZZ_CHECK(model::same_double(got, want));
}

// Only a sign and digits count; strtol then gives the value or reports that
// it does not fit a long.
void check_integer(const std::string& token, long min, long max)
{
    std::string_view digits(token);
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
    bool valid = !digits.empty() && model::all_digits(digits);
    long want = 0;
    if (valid) {
        errno = 0;
        want = std::strtol(token.c_str(), nullptr, 10);
        valid = errno != ERANGE && want >= min && want <= max;
    }
    long got = 0;
    FUZZ_CHECK(parse_integer_token(token, min, max, got) == valid);
    if (valid) FUZZ_CHECK(got == want);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // read_token flushes the console before each read; keep it quiet.
    FUZZ_CHECK(std::freopen("/dev/null", "w", stdout) != nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* p = reinterpret_cast<const char*>(data);
    std::vector<std::string> tokens = read_tokens(p, size);
    FUZZ_CHECK(tokens == model_tokens(std::string_view(p, size)));
    for (const std::string& token : tokens) {
        check_real(token);
        check_integer(token, LONG_MIN, LONG_MAX);
        check_integer(token, INT_MIN, INT_MAX);
        check_integer(token, -7, 12);
    }
    return 0;
}
