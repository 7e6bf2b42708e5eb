#include "common/run_exit.h"

#include <cstdio>
#include <cstdlib>

#include "platform/console.h"
#include "platform/key_wait.h"

void end_run(int status)
{
    std::fflush(stdout);
    std::exit(status);
}

void end_run_after_key()
{
    print("\n Press any key to exit \n");
    wait_for_key();
    end_run(1);
}

void end_run_on_file_failure(const char* what, const char* name)
{
    print(" Failed to %s file: %s \n", what, name);
    end_run(1);
}
