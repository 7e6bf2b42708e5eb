#include "results/output_file.h"

#include "common/run_exit.h"

bool create_output_file(OutputFile& file, const std::string& name)
{
    file.name = name;
    file.stream = std::fopen(name.c_str(), "w");
    return file.stream != nullptr;
}

void create_output_file_or_end(OutputFile& file, const std::string& name)
{
    if (!create_output_file(file, name)) end_run_on_file_failure("create", name.c_str());
}

void close_output_file(OutputFile& file)
{
    if (!file.stream) return;
    bool lost = std::fflush(file.stream) != 0 || std::ferror(file.stream) != 0;
    lost = std::fclose(file.stream) != 0 || lost;
    file.stream = nullptr;
    if (lost) end_run_on_file_failure("write", file.name.c_str());
}
