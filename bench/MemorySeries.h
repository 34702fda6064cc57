#pragma once

#include <optional>
#include <vector>

// Resident memory through a long run, one sample every so many seconds, and
// how much it grew once the panes had reached their line limits: the figure
// that says whether a long run stays flat.
class MemorySeries {
  public:
    struct Sample {
        double seconds = 0;  // since the run began
        double megabytes = 0;
        bool panesFull = false;
    };

    explicit MemorySeries(double sampleSeconds) : sampleSeconds(sampleSeconds) {}

    // Takes the process's resident memory when a sample is due at this time.
    void sampleIfDue(double seconds, bool panesFull);
    void add(Sample sample);

    const std::vector<Sample>& samples() const { return series; }
    // From the first sample with the panes full to the last; none without
    // two such samples.
    std::optional<double> growthWithPanesFull() const;
    void print() const;

  private:
    const Sample* firstWithPanesFull() const;

    double sampleSeconds;
    double nextSeconds = 0;
    std::vector<Sample> series;
};
