#pragma once
// The wait loop the non-Intel controllers share: read the status, and while it does not show
// what is waited for, sleep and read again, giving up when more than the budget of further
// readings would be needed.
#include <cstdint>

#include "platform/Clock.h"

namespace smbus {

// fnRead() gives the status, fnDone(status) tells whether the wait is over. True when it is,
// with the last status in dwStatus; false after nBudget further readings without it.
template <typename FnRead, typename FnDone>
bool bPollStatus(FnRead fnRead, FnDone fnDone, int32_t nBudget, uint32_t dwSleepMs, uint32_t& dwStatus)
{
    dwStatus = fnRead();
    for (int32_t nPolls = 0; !fnDone(dwStatus); ++nPolls) {
        if (nPolls >= nBudget)
            return false;
        platform::Sleep(dwSleepMs);
        dwStatus = fnRead();
    }
    return true;
}

}  // namespace smbus
