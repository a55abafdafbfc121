// Replays stored inputs through a harness's LLVMFuzzerTestOneInput, for
// builds without a fuzzing engine: each argument is an input file or a folder
// of them. Each input goes in as a heap block of exactly its size, so that a
// sanitizer sees any read past its end. A harness that finds a fault aborts;
// the exit code is 1 when an input cannot be read or none was given.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// The files an argument names, a folder's in name order.
std::vector<fs::path> InputFiles(const fs::path& argument) {
    std::error_code error;
    if (!fs::is_directory(argument, error)) return {argument};
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(argument, error)) {
        if (entry.is_regular_file(error)) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool Replay(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "%s (%zu bytes)\n", file.c_str(), bytes.size());
    // new[] of a zero size still gives a distinct block to point at.
    std::unique_ptr<uint8_t[]> block(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), block.get());
    LLVMFuzzerTestOneInput(block.get(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    bool allRead = true;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& file : InputFiles(argv[i])) {
            if (Replay(file)) {
                ++replayed;
            } else {
                allRead = false;
            }
        }
    }
    std::fprintf(stderr, "%d inputs replayed\n", replayed);
    return allRead && replayed > 0 ? 0 : 1;
}
