#pragma once
#include <cstdio>
#include <string>

// A result file and the name its messages give.
struct OutputFile {
    std::FILE* stream = nullptr;
    std::string name;
};

// Creates (or replaces) the file with mode "w"; false if it cannot be created.
bool create_output_file(OutputFile& file, const std::string& name);

// Creates the file or ends the run with " Failed to create file: name".
void create_output_file_or_end(OutputFile& file, const std::string& name);

// Closes the file. A write that failed at any time since its creation, or a
// failed close, ends the run with " Failed to write file: name": a lost write
// is never reported as a result.
void close_output_file(OutputFile& file);
