#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorrel {

// One change as a walk of a patch meets it; its bytes are read only when asked for.
struct ChangeHead {
    std::uint32_t offset = 0;
    std::uint64_t count = 0;  // bytes of `to`, and of `from` when the change has it
    std::uint32_t line = 0;
    bool hasFrom = false;
};

// The changes of a patch, walked front to back as often as a fit needs: a patch text read in
// pieces, or changes held in memory.
class PatchChanges {
  public:
    virtual ~PatchChanges() = default;
    // Starts a walk from the first change.
    virtual void Rewind() = 0;
    // The next change; false at the end, and when the patch was refused or could not be read
    // (error() tells which).
    virtual bool Next(ChangeHead& change) = 0;
    // Bytes [skip, skip + n) of the current change's `from` (which it must have) or `to`; false
    // when they cannot be read.
    virtual bool Bytes(bool from, std::uint64_t skip, std::size_t n, std::uint8_t* out) = 0;
    // Why the walk ended early (Windows-1251): a refusal naming the line, or kReadError.
    virtual std::string_view error() const = 0;
};

}  // namespace quorrel
