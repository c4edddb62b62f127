#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "BlockSource.h"
#include "FirmwareBytes.h"
#include "InputFile.h"
#include "LoadedFile.h"

namespace quorrel {

// The blocks where two images of one size differ, in offset order, found piece by piece: each
// starts and ends with a changed byte; changed bytes closer than kBlockGap unchanged bytes share a
// block, so no block holds kBlockGap unchanged bytes in a row (a NORD block costs that much in a
// DIFF file). A block is cut only at `maxBlock` bytes, the most a NORD block's count can hold.
//
// A file is read piece by piece into buffers reused throughout; an image held in memory is read
// where it lies. A block's bytes in both images are still held while it is the current block,
// unless it outgrew a piece; those are read again.
class ImageComparison final : public BlockSource {
  public:
    // Exactly one of the two: a file read in pieces, or the whole image in memory.
    struct Image {
        const InputFile* file = nullptr;
        const LoadedFile* whole = nullptr;
        std::uint64_t size() const { return file != nullptr ? file->size() : whole->size(); }
    };

    static constexpr std::uint32_t kBlockGap = 16;
    static constexpr std::uint32_t kMaxBlock = 0xFFFFFFFFu - 4;
    // Small enough for both images' pieces to stay in the processor's cache between the read
    // and the comparison: larger ones measured slower.
    static constexpr std::size_t kDefaultPiece = std::size_t{32} << 10;

    // Both images must have the same size, below 4 GiB; `piece` and `maxBlock` are not 0.
    ImageComparison(Image oldImage, Image newImage, std::size_t piece = kDefaultPiece,
                    std::uint32_t maxBlock = kMaxBlock);

    std::uint32_t size() const { return size_; }

    // Whether any byte differs, reading as far as the first block (all of both images when none
    // does); false too when a read fails. Next() then starts at that block.
    bool AnyChange();

    // The current block's bytes are its new bytes.
    bool Next(BlockStart& block) override;
    std::span<const std::uint8_t> Take(std::size_t max) override;
    // kReadError once an image could not be read to its end (it was cut meanwhile).
    std::string_view error() const override { return error_; }
    bool oldImageFailed() const { return oldFailed_; }

    // The old image, read where the comparison holds it: the current block's old bytes come
    // without a second read.
    FirmwareBytes& oldImage() { return oldView_; }

  private:
    struct Side {
        Image image;
        std::vector<std::uint8_t> buffer;  // the window, for a file
        std::vector<std::uint8_t> again;   // bytes read again, outside the window
        const std::uint8_t* window = nullptr;
    };

    class OldView final : public FirmwareBytes {
      public:
        explicit OldView(ImageComparison& owner) : owner_(owner) {}
        std::uint32_t size() const override { return owner_.size_; }
        const std::uint8_t* Read(std::uint32_t offset, std::size_t n) override;

      private:
        ImageComparison& owner_;
    };

    void ScanPiece();
    bool Fill(Side& side, std::uint64_t keepFrom, std::uint64_t at, std::size_t n);
    const std::uint8_t* Bytes(Side& side, std::uint64_t offset, std::size_t n);
    void AddRun(std::uint64_t at, std::uint64_t length);
    void Close();

    Side old_;
    Side new_;
    OldView oldView_{*this};
    std::uint32_t size_;
    std::size_t piece_;
    std::uint32_t maxBlock_;
    std::vector<std::uint64_t> masks_;
    std::uint64_t scanned_ = 0;  // where the next piece starts
    std::uint64_t windowStart_ = 0;
    std::uint64_t windowEnd_ = 0;
    // The block being gathered: from `start_` to the changed byte before `next_`.
    bool open_ = false;
    std::uint64_t start_ = 0;
    std::uint64_t next_ = 0;
    // Blocks found in the piece held, handed out in turn.
    std::vector<BlockStart> found_;
    std::size_t handed_ = 0;
    BlockStart current_;
    std::uint32_t taken_ = 0;
    std::string_view error_;
    bool oldFailed_ = false;
};

}  // namespace quorrel
