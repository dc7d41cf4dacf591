#pragma once

#include "nvapitypes.h"

/// A status the driver answers instead of doing its work. A fault matches an
/// entry id, optionally only one card and one version word; it lets `skip`
/// matching calls pass first and then fires `count` times (-1: for ever).
struct SimFault
{
    NvU32 id = 0;
    NvStatus status = NvApiStatus::Error;
    int card = -1; ///< -1: any card
    NvU32 version = 0; ///< 0: any version word
    int skip = 0;
    int count = -1;
};
