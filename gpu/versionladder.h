#pragma once

#include "nvapitypes.h"

#include <cstddef>

/// What walking a version ladder came to.
struct LadderResult
{
    NvStatus status = NvApiStatus::Error; ///< the last call's status; Error when nothing was tried
    NvU32 answered = 0; ///< the version word the driver took, 0 when none
    std::size_t tried = 0; ///< how many words were tried

    bool ok() const { return status == NvApiStatus::Ok; }
};

/// The usual rule: any failure moves on to the next older version.
struct StepDownOnAnyFailure
{
    bool operator()(NvStatus, std::size_t) const { return true; }
};

/// Tries the ladder's version words in order, newest first. `call(word)` sets
/// the record up for that word and makes the driver call. The walk ends at the
/// first success, when `stepDown(status, index of the word tried)` declines to
/// go on, or at the end of the ladder.
template <typename Ladder, typename Call, typename StepDown = StepDownOnAnyFailure>
LadderResult tryLadder(const Ladder &ladder, Call &&call, StepDown stepDown = StepDown())
{
    LadderResult result;
    for (NvU32 word : ladder) {
        ++result.tried;
        result.status = call(word);
        if (result.status == NvApiStatus::Ok) {
            result.answered = word;
            return result;
        }
        if (!stepDown(result.status, result.tried - 1))
            return result;
    }
    return result;
}
