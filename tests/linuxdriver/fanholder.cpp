// A process that sets its card's fans to a manual level through the program's
// own GpuController, says so on standard output, and then ends the way its
// argument says: "exit" (exit() with the controller still alive), "return"
// (normal end, the controller unloads), "term" and "kill" (waits for the
// signal), "segv" and "abort" (a fatal signal of its own).

#include "gpucontroller.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

int main(int argc, char *argv[])
{
    const char *mode = argc > 1 ? argv[1] : "return";
    GpuController controller;
    if (!controller.setCoolerLevel(40, FanPolicy::Manual)) {
        std::puts("refused");
        return 3;
    }
    std::puts("manual");
    std::fflush(stdout);
    if (std::strcmp(mode, "exit") == 0)
        std::exit(0);
    if (std::strcmp(mode, "segv") == 0)
        std::raise(SIGSEGV);
    if (std::strcmp(mode, "abort") == 0)
        std::abort();
    if (std::strcmp(mode, "term") == 0 || std::strcmp(mode, "kill") == 0) {
        for (int i = 0; i < 300; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return 4;
    }
    return 0;
}
