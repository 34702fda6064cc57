#include "MemorySeries.h"

#include <algorithm>
#include <cstdio>

#include "ProcessFigures.h"

namespace {

constexpr int SamplesPerLine = 6;

}  // namespace

void MemorySeries::sampleIfDue(double seconds, bool panesFull) {
    if (seconds >= nextSeconds) {
        add({seconds, residentMegabytes(), panesFull});
        nextSeconds += sampleSeconds;
    }
}

void MemorySeries::add(Sample sample) {
    series.push_back(sample);
}

const MemorySeries::Sample* MemorySeries::firstWithPanesFull() const {
    const auto first =
        std::find_if(series.begin(), series.end(), [](const Sample& s) { return s.panesFull; });
    return first == series.end() ? nullptr : &*first;
}

std::optional<double> MemorySeries::growthWithPanesFull() const {
    const Sample* first = firstWithPanesFull();
    if (first == nullptr || first == &series.back()) {
        return std::nullopt;
    }
    return series.back().megabytes - first->megabytes;
}

void MemorySeries::print() const {
    std::printf("  resident memory every %.0f s, MiB (* the panes at their line limits):",
                sampleSeconds);
    for (std::size_t i = 0; i < series.size(); ++i) {
        std::printf("%s%6.0f s %6.1f%s", i % SamplesPerLine == 0 ? "\n   " : "", series[i].seconds,
                    series[i].megabytes, series[i].panesFull ? "*" : " ");
    }
    std::printf("\n");
    const std::optional<double> growth = growthWithPanesFull();
    if (!growth) {
        std::printf("  flatness: fewer than two samples with the panes at their line limits\n");
        return;
    }
    const Sample* first = firstWithPanesFull();
    const Sample& last = series.back();
    const double minutes = (last.seconds - first->seconds) / 60.0;
    std::printf(
        "  flatness: %+.1f MiB from %.0f s (%.1f MiB, the panes first at their line limits) to "
        "%.0f s (%.1f MiB), %+.2f MiB a minute\n",
        *growth, first->seconds, first->megabytes, last.seconds, last.megabytes,
        minutes > 0 ? *growth / minutes : 0.0);
}
