// Runs a fuzz target over files instead of under libFuzzer, so that the normal
// build replays every seed and every input that once broke something. Each
// argument is a file or a folder of files; a missing one is skipped, but a run
// that finds no input at all fails, lest a wrong path pass unnoticed.

#include "FuzzTarget.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Exactly the file's bytes in a buffer of their own size, so that a sanitizer
// sees any read past the end.
std::vector<std::uint8_t> contents(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            std::vector<std::filesystem::path> files;
            for (const auto &entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin(), files.end());
            inputs.insert(inputs.end(), files.begin(), files.end());
        } else if (std::filesystem::is_regular_file(path, error)) {
            inputs.push_back(path);
        } else {
            std::printf("no inputs at %s\n", path.c_str());
        }
    }
    for (const auto &path : inputs) {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
        const std::vector<std::uint8_t> bytes = contents(path);
        // An empty vector may have no storage; the target still gets a valid pointer.
        static const std::uint8_t nothing = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &nothing : bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
