#include "common/same_file.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

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

#ifdef _WIN32
// Windows' stat gives no inode number (st_ino is 0 for every file), so a
// file is known by its volume serial number and file index instead.
bool same_existing_file(const std::string& a, const std::string& b, bool& same)
{
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::string* names[2] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        HANDLE h = CreateFileA(names[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        const bool known = GetFileInformationByHandle(h, &info[i]) != 0;
        CloseHandle(h);
        if (!known) return false;
    }
    same = info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
    return true;
}
#else
bool same_existing_file(const std::string& a, const std::string& b, bool& same)
{
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
    same = sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return true;
}
#endif

}  // namespace

bool same_file(const std::string& a, const std::string& b)
{
    bool same;
    if (same_existing_file(a, b, same)) return same;
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
