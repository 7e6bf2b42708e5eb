#include "dialogue/answers.h"

#include <climits>

#include "common/run_exit.h"
#include "input/number_text.h"
#include "platform/console.h"

namespace {

std::FILE* answer_stream = stdin;

std::string next_token()
{
    std::string token;
    if (!read_token(answer_stream, token)) {
        print("\n Input ended before the run was complete. \n");
        end_run(1);
    }
    return token;
}

// Shows the prompt and reads tokens until one parses.
template <typename Parse>
void ask_until_valid(const Prompt& prompt, Parse parse)
{
    prompt();
    for (;;) {
        std::string token = next_token();
        if (parse(token)) return;
        print("\n Not a valid number: %s \n", token.c_str());
        prompt();
    }
}

}  // namespace

void set_answer_stream(std::FILE* stream)
{
    answer_stream = stream;
}

std::string ask_word()
{
    // The system takes a name as a C string, so a typed NUL ends it there;
    // every check of the name must see the name the system will open.
    std::string word = next_token();
    return word.substr(0, word.find('\0'));
}

long ask_long(const Prompt& prompt)
{
    long value = 0;
    ask_until_valid(prompt, [&](const std::string& t) { return parse_integer_token(t, LONG_MIN, LONG_MAX, value); });
    return value;
}

int ask_int(const Prompt& prompt)
{
    long value = 0;
    ask_until_valid(prompt, [&](const std::string& t) { return parse_integer_token(t, INT_MIN, INT_MAX, value); });
    return static_cast<int>(value);
}

double ask_real(const Prompt& prompt)
{
    double value = 0.0;
    ask_until_valid(prompt, [&](const std::string& t) { return parse_real_token(t, value); });
    return value;
}
