#pragma once

#include <cstddef>

namespace quorrel::bench {

// Heap use of the benchmark process, counted by its replacement operator new and delete.
// Single-threaded use only: the benchmarks run one thread.
class HeapMeter {
  public:
    // Starts a measurement: the peak is reset to what is held now.
    HeapMeter();
    // The most bytes held above the starting level since construction.
    std::size_t PeakGrowth() const;

  private:
    std::size_t start_;
};

}  // namespace quorrel::bench
