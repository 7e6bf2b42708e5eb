#pragma once
#include <cstdio>
#include <functional>
#include <string>

// Every answer is a whitespace-delimited token of standard input. A token
// that is not a valid answer is reported and the question, shown again by its
// prompt, is asked anew. When standard input ends where an answer is
// expected, the run ends with status 1.
using Prompt = std::function<void()>;

std::string ask_word();
long ask_long(const Prompt& prompt);
int ask_int(const Prompt& prompt);
double ask_real(const Prompt& prompt);

// The answers are read from standard input; tests and fuzzing point them at
// another stream.
void set_answer_stream(std::FILE* stream);
