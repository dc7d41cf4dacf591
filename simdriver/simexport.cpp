// The one symbol the simulated driver library exports, as the real driver
// library does: everything else is reached through it by interface id.

#include "simdriver.h"

extern "C" __attribute__((visibility("default"))) void *nvapi_QueryInterface(NvU32 id)
{
    return SimDriver::queryInterface(id);
}
