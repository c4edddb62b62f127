#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "FileSave.h"
#include "ImageSink.h"
#include "InputFile.h"

namespace quorrel {

// Where --apply and --revert put the image: a save, or standard output (`save` null). The
// stretches no change touches come from the input image: the file `image`, copied by the kernel
// where it can, or the bytes `held` from standard input.
class ImageOutput final : public ImageSink {
  public:
    ImageOutput(FileSave* save, const InputFile* image, std::string_view held)
        : save_(save), image_(image), held_(held) {}

    bool Copy(std::uint64_t offset, std::uint64_t n) override;
    bool Write(std::span<const std::uint8_t> bytes) override;
    bool CanOverwrite() const override { return save_ != nullptr && save_->CanWriteAt(); }
    bool Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;

    // Why it stopped: the image could not be read; otherwise the save's result, or for standard
    // output the FileErrorText cause.
    bool imageFailed() const { return imageFailed_; }
    int streamCause() const { return streamCause_; }

  private:
    bool Put(std::string_view bytes);

    FileSave* const save_;
    const InputFile* const image_;
    const std::string_view held_;
    std::unique_ptr<char[]> buffer_;
    bool imageFailed_ = false;
    int streamCause_ = 0;
};

}  // namespace quorrel
