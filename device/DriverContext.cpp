#include "DriverContext.h"

namespace {
DriverContext* innermost = nullptr;
}  // namespace

DriverContext::DriverContext() : previous(innermost) {
    innermost = this;
}

DriverContext::~DriverContext() {
    own.reset();
    // Contexts end in the reverse order they were made; one that ends out of
    // turn is only taken out of the chain.
    if (innermost == this) {
        innermost = previous;
        return;
    }
    for (DriverContext* c = innermost; c != nullptr; c = c->previous) {
        if (c->previous == this) {
            c->previous = previous;
            return;
        }
    }
}

DriverContext& DriverContext::current() {
    if (innermost == nullptr) {
        static DriverContext standing;
        // The standing context has ended (the program is exiting) and none
        // is left: make it current again rather than use a dangling one.
        if (innermost == nullptr) {
            innermost = &standing;
        }
    }
    return *innermost;
}
