#pragma once
#include <cstdio>
#include <string>

// A time history for a test: the bytes go into an anonymous temporary file
// (removed by the system when closed), returned open for reading at its start.
// The readers take real files, so the tests do too rather than memory streams.
inline std::FILE* stream_with(const std::string& bytes)
{
    std::FILE* f = std::tmpfile();
    if (f == nullptr) return nullptr;
    if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        std::fclose(f);
        return nullptr;
    }
    std::rewind(f);
    return f;
}
