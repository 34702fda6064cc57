#include "IdleWait.h"

#include "HxDriver.h"

void WaitAfterIdlePass(HxHandle handle) {
    // A handle that has gone away fails the wait at once; the loop's own
    // next call on it reports that.
    WaitForReceive(handle, IdleWaitUs);
}
