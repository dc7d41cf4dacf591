// The one symbol the driver library for real cards exports, as NVIDIA's own
// library does: everything else is reached through it by interface id.

#include "bridgeentries.h"

extern "C" __attribute__((visibility("default"))) void *nvapi_QueryInterface(NvU32 id)
{
    return BridgeEntries::entryFor(id);
}
