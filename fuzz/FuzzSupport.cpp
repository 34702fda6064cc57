#include "FuzzSupport.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

void fuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, condition);
    std::abort();
}

namespace {

// libFuzzer checks for a leak after every input that made more allocations
// than it freed, by running it again and scanning the heap. Qt's text layout
// and event machinery keep caches from one input to the next, so with panes
// that check would run on nearly every input and cost most of the time;
// LeakSanitizer still checks the whole run when it ends. The flag goes first,
// so that one given on the command line wins.
void noLeakCheckPerInput(int* argc, char*** argv) {
    static char flag[] = "-detect_leaks=0";
    static std::vector<char*> arguments;
    arguments.assign(*argv, *argv + *argc);
    arguments.insert(arguments.begin() + 1, flag);
    arguments.push_back(nullptr);
    *argc = static_cast<int>(arguments.size()) - 1;
    *argv = arguments.data();
}

}  // namespace

void makeOffscreenApplication(int* argc, char*** argv) {
    noLeakCheckPerInput(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Every input runs inside it. It goes at exit after the targets' own
    // widgets, which are made later, so that it leaves nothing behind for
    // the leak check; it keeps a reference to its argument count.
    static int argumentCount = *argc;
    static const auto application = std::make_unique<QApplication>(argumentCount, *argv);
}

void deliverPostedEvents() {
    QCoreApplication::sendPostedEvents();
}

// The font configuration library keeps its caches where the leak checker
// cannot see them, and fills them the first time a pane lays out text, in
// whichever input does that first.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
