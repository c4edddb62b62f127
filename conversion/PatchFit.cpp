#include "PatchFit.h"

#include <cstring>

#include "FirmwareBytes.h"
#include "PatchFitter.h"

namespace quorrel {

namespace {

class HeldChanges final : public PatchChanges {
  public:
    explicit HeldChanges(const SmpChanges& changes) : changes_(changes) {}

    void Rewind() override { next_ = 0; }
    bool Next(ChangeHead& change) override {
        if (next_ == changes_.size()) {
            return false;
        }
        const SmpChange& c = changes_[next_++];
        change = {c.offset, c.to.size(), c.line, c.from.has_value()};
        return true;
    }
    bool Bytes(bool from, std::uint64_t skip, std::size_t n, std::uint8_t* out) override {
        const SmpChange& c = changes_[next_ - 1];
        std::memcpy(out, (from ? *c.from : c.to).data() + skip, n);
        return true;
    }
    std::string_view error() const override { return {}; }

  private:
    const SmpChanges& changes_;
    std::size_t next_ = 0;
};

class StringSink final : public ImageSink {
  public:
    StringSink(std::string_view image, std::string& out) : image_(image), out_(out) {}

    bool Copy(std::uint64_t offset, std::uint64_t n) override {
        out_.append(image_.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(n)));
        return true;
    }
    bool Write(std::span<const std::uint8_t> bytes) override {
        out_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return true;
    }

  private:
    std::string_view image_;
    std::string& out_;
};

}  // namespace

PatchFit FitPatch(const SmpChanges& changes, std::string_view image, PatchDirection direction) {
    HeldChanges held(changes);
    HeldFirmware firmware(image);
    PatchFitter fitter(held, firmware, direction);
    PatchFit fit = fitter.Fit();
    if (fit.verdict == FitVerdict::Fits) {
        fit.image.reserve(image.size());
        StringSink sink(image, fit.image);
        fitter.Write(sink);
    }
    return fit;
}

}  // namespace quorrel
