#include "common/same_file.h"

#include <sys/stat.h>

#include "common/run_exit.h"
#include "platform/console.h"

#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path normalised(const std::string& name)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(name, ec);
    if (ec) p = name;
    return p.lexically_normal();
}

}  // namespace

bool same_file(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return normalised(a) == normalised(b);
}

void end_run_if_input(const std::string& output, std::initializer_list<std::string> inputs)
{
    for (const std::string& input : inputs) {
        if (same_file(output, input)) {
            print("\n Error:  output file %s is the input file \n", output.c_str());
            end_run(1);
        }
    }
}
