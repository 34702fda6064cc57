#include "FuzzSupport.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

void fuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, condition);
    std::abort();
}

void makeOffscreenApplication(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Every input runs inside it. It goes at exit after the targets' own
    // widgets, which are made later, so that it leaves nothing behind for
    // the leak check; it keeps a reference to its argument count.
    static int argumentCount = *argc;
    static const auto application = std::make_unique<QApplication>(argumentCount, *argv);
}

// The font configuration library keeps its caches where the leak checker
// cannot see them, and fills them the first time a pane lays out text, in
// whichever input does that first.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
