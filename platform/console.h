#pragma once
#include <cstdio>
#include <string>

// Console output: formatted as format_text does, written to standard output.
void print(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The same, to an open file. Write errors are left in the stream's error
// flag, which the file's owner tests when it closes the file.
void print_to(std::FILE* stream, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// Reads the next whitespace-delimited token of an answer stream. Console output
// is flushed first so the question is visible. False when the stream ends
// before a token starts.
bool read_token(std::FILE* in, std::string& token);
