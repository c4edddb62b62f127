#pragma once

#include <string>
#include <string_view>

namespace quorrel::bench {

// A scratch directory under $TMPDIR (or /tmp) for files the benchmarks read and write, removed
// with its contents when the process ends.
const std::string& BenchDir();

std::string BenchFile(std::string_view name);

// Writes `bytes` as the whole file; aborts the run on failure, since no figure would be valid.
void WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace quorrel::bench
