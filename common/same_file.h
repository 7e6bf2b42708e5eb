#pragma once
#include <initializer_list>
#include <string>

// True when the two names lead to one file: the same device and inode when
// both exist, otherwise the same absolute path after lexical normalisation
// (so a name that does not exist yet still matches its twin).
bool same_file(const std::string& a, const std::string& b);

// Ends the run with "Error:  output file ... is the input file" when the
// output about to be created is one of the inputs; the program never
// overwrites what it reads.
void end_run_if_input(const std::string& output, std::initializer_list<std::string> inputs);
