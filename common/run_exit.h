#pragma once

// The one way a run ends early: console output is flushed, then the process
// exits with the status given.
[[noreturn]] void end_run(int status);

// The fatal ends of the record checks: the key prompt, one key, status 1.
[[noreturn]] void end_run_after_key();

// " Failed to ...: name" and status 1, for files the run cannot do without.
[[noreturn]] void end_run_on_file_failure(const char* what, const char* name);
