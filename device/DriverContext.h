#pragma once

#include "DriverRegistry.h"

// The driver's state for one run of the program, or one test: the installed
// backends and the open handles. main() makes one and installs its backends
// into it; each test fixture makes its own, so no test sees another's boards
// or handles. The driver operations keep the library's argument lists, so
// they work on the context made last that is still alive; contexts nest, and
// one that ends closes every handle still open in it and gives the driver
// back to the one before.
class DriverContext {
  public:
    DriverContext();
    ~DriverContext();
    DriverContext(const DriverContext&) = delete;
    DriverContext& operator=(const DriverContext&) = delete;

    DriverRegistry& registry() { return own; }

    // The context the driver operations use now. Code run with none made
    // gets a standing one, made at the first call.
    static DriverContext& current();

  private:
    DriverRegistry own;
    DriverContext* previous;
};
