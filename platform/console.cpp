#include "platform/console.h"

#include <cctype>
#include <cstdarg>

#include "platform/format.h"

void print(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string s = vformat_text(fmt, args);
    va_end(args);
    std::fwrite(s.data(), 1, s.size(), stdout);
}

void print_to(std::FILE* stream, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string s = vformat_text(fmt, args);
    va_end(args);
    std::fwrite(s.data(), 1, s.size(), stream);
}

bool read_token(std::FILE* in, std::string& token)
{
    std::fflush(stdout);
    token.clear();
    int c;
    do {
        c = std::getc(in);
    } while (c != EOF && std::isspace(c));
    while (c != EOF && !std::isspace(c)) {
        token += static_cast<char>(c);
        c = std::getc(in);
    }
    if (c != EOF) std::ungetc(c, in);
    return !token.empty();
}
