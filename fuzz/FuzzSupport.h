#pragma once

#include <cstddef>
#include <cstdint>

// What every fuzz target shares: the checks of a piece's rules, which abort
// on a broken one so that libFuzzer (or the corpus replay) stops there and
// keeps the input, and the application that pieces with widgets need.

#define FUZZ_CHECK(condition)                                \
    do {                                                     \
        if (!(condition)) {                                  \
            fuzzCheckFailed(#condition, __FILE__, __LINE__); \
        }                                                    \
    } while (false)

[[noreturn]] void fuzzCheckFailed(const char* condition, const char* file, int line);

// The one QApplication of a target, on the offscreen platform: made once,
// from the target's LLVMFuzzerInitialize. It also turns libFuzzer's leak
// check after each input off (the reason is in FuzzSupport.cpp).
void makeOffscreenApplication(int* argc, char*** argv);

// The targets run no event loop, so the events their widgets post (a scroll
// bar's range change, among others) are delivered at the end of each input:
// left queued, they piled up for the whole run, about 1 MB every thousand
// inputs of the keyboard's target.
void deliverPostedEvents();

// The fuzz entry points, as libFuzzer and the corpus replay call them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
