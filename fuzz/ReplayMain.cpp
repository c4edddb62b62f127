// Runs a fuzz target over saved inputs (files, or directories of them) without libFuzzer, so the
// seed corpus and every input that once broke a property replay in the ordinary test run.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::set<std::filesystem::path> files;  // in name order, so a failure repeats
    for (int i = 1; i < argc; ++i) {
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
                if (entry.is_regular_file()) {
                    files.insert(entry.path());
                }
            }
        } else if (std::filesystem::is_regular_file(argv[i])) {
            files.insert(argv[i]);
        }
    }
    for (const auto& file : files) {
        // Exactly the input's size, so a read past its end is caught by the sanitizers.
        std::vector<std::uint8_t> input(std::filesystem::file_size(file));
        std::ifstream in(file, std::ios::binary);
        if (!in.read(reinterpret_cast<char*>(input.data()),
                     static_cast<std::streamsize>(input.size()))) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 2;
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
    return files.empty() ? 1 : 0;
}
