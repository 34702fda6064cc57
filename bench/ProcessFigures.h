#pragma once

// What the benchmark's own process uses, for the figures beside a rate.
double residentMegabytes();
// The most it has had resident so far.
double peakResidentMegabytes();
// Processor time of the whole process so far, every thread of it.
double processorSeconds();
