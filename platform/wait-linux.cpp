#include "platform/wait.h"

#include <poll.h>

namespace platform {

void WaitMs(int ms) {
    if (ms > 0) poll(nullptr, 0, ms);
}

}  // namespace platform
