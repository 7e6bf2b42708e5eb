// Replays fuzz inputs without libFuzzer: every file of the folders given (or
// every file given) goes through the target's property checks once, so the
// corpus and every fault the fuzzer found stay tested in ordinary CI.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

struct Input {
    std::string name;
    std::string bytes;
};

void add_file(std::vector<Input>& inputs, const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    inputs.push_back({path.string(), std::string(std::istreambuf_iterator<char>(in), {})});
}

}  // namespace

int main(int argc, char** argv)
{
    // Everything is read first: a target may change the working directory.
    std::vector<Input> inputs;
    for (int i = 1; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            for (const auto& entry : fs::directory_iterator(argv[i]))
                if (entry.is_regular_file()) add_file(inputs, entry.path());
        } else {
            add_file(inputs, argv[i]);
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    LLVMFuzzerInitialize(&argc, &argv);
    for (const Input& input : inputs) {
        std::fprintf(stderr, "%s\n", input.name.c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.bytes.data()), input.bytes.size());
    }
    std::fprintf(stderr, "replayed %zu inputs\n", inputs.size());
    return 0;
}
