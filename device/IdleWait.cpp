#include "IdleWait.h"

#include "HxDriver.h"

namespace {

constexpr std::uint32_t TurnUs = 1000;

// True when the handle has bytes waiting, or fails: either way the loop's
// next pass has something to do (a failure is reported there).
bool needsAPass(HxHandle handle) {
    std::uint32_t waiting = 0;
    return WaitForReceive(handle, TurnUs) != hx::Ok ||
           HX_GetQueueStatus(handle, &waiting) != hx::Ok || waiting > 0;
}

}  // namespace

void WaitAfterIdlePass(HxHandle handle) {
    // A handle that has gone away fails the wait at once; the loop's own
    // next call on it reports that.
    WaitForReceive(handle, IdleWaitUs);
}

void WaitAfterIdlePass(HxHandle first, HxHandle second) {
    for (std::uint32_t waited = 0; waited < IdleWaitUs; waited += 2 * TurnUs) {
        if (needsAPass(first) || needsAPass(second)) {
            return;
        }
    }
}
