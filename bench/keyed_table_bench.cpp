// Times filling a keyed table the way a header table from the network fills
// it: distinct names, in descending, ascending and shuffled order, at three
// sizes. Each doubling of the size should roughly double the time; four times
// as much means inserting is quadratic.
//
//   build/bench/keyed_table_bench
//
// Not a test: never registered with CTest.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "foundation/keyed_table.h"

namespace {

std::vector<std::string> Names(int count) {
    std::vector<std::string> names;
    names.reserve(count);
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "X-Header-%08d", i);
        names.push_back(name);
    }
    return names;
}

double FillMs(const std::vector<std::string>& names) {
    auto start = std::chrono::steady_clock::now();
    KeyedTable table;
    for (const std::string& name : names) table.Set(name, "v");
    std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return table.Count() == static_cast<int>(names.size()) ? elapsed.count() : -1;
}

}  // namespace

int main() {
    std::printf("%-10s %10s %10s %10s\n", "names", "descending", "ascending", "shuffled");
    for (int count : {25000, 50000, 100000}) {
        std::vector<std::string> names = Names(count);
        std::vector<std::string> descending(names.rbegin(), names.rend());
        std::vector<std::string> shuffled = names;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(1));
        std::printf("%-10d %8.1f ms %7.1f ms %7.1f ms\n", count, FillMs(descending), FillMs(names),
                    FillMs(shuffled));
    }
    return 0;
}
