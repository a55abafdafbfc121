// Starts loading the HTTP library in the background, waits the given number
// of microseconds and ends the process, which must end cleanly however far
// the loading got.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/xmlhttp.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    platform::WarmUpXmlHttp();
    std::this_thread::sleep_for(std::chrono::microseconds(std::atol(argv[1])));
    return 0;
}
