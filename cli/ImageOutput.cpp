#include "ImageOutput.h"

#include <algorithm>

#include "WriteStream.h"

namespace quorrel {

namespace {

constexpr std::size_t kBuffer = std::size_t{1} << 20;

}  // namespace

bool ImageOutput::Put(std::string_view bytes) {
    if (save_ != nullptr) {
        save_->Write(bytes);
        return save_->result().saved();
    }
    streamCause_ = WriteStream(1, bytes);
    return streamCause_ == 0;
}

bool ImageOutput::Write(std::span<const std::uint8_t> bytes) {
    return Put({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

bool ImageOutput::Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    save_->WriteAt(offset, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    return save_->result().saved();
}

bool ImageOutput::Copy(std::uint64_t offset, std::uint64_t n) {
    if (image_ == nullptr) {
        return Put(held_.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(n)));
    }
    if (save_ != nullptr) {
        // Fewer bytes with the save still sound: the image was cut or could not be read.
        imageFailed_ = save_->CopyFrom(*image_, offset, n) != n && save_->result().saved();
        return save_->result().saved() && !imageFailed_;
    }
    if (buffer_ == nullptr) {
        buffer_.reset(new char[kBuffer]);
    }
    for (std::uint64_t done = 0; done < n;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kBuffer, n - done));
        if (image_->ReadAt(offset + done, buffer_.get(), want) != static_cast<std::int64_t>(want)) {
            imageFailed_ = true;
            return false;
        }
        if (!Put({buffer_.get(), want})) {
            return false;
        }
        done += want;
    }
    return true;
}

}  // namespace quorrel
