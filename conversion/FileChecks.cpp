#include "FileChecks.h"

#include "DiffFormat.h"
#include "Messages.h"

namespace quorrel {

namespace {

// `header` holds the first kHeaderSize bytes, or is null for a shorter file.
DiffCheck CheckDiffHeader(const std::uint8_t* header) {
    DiffCheck check;
    if (header == nullptr || !diff::FieldIs(header, diff::kMagic)) {
        check.message = msg::kBadDiffFormat;
        return check;
    }
    if (!diff::FieldIs(header + 4, diff::kPhoneClass)) {
        const std::string_view pattern = msg::kUnknownPhoneClass;
        const auto at = pattern.find("%s");
        check.message = std::string(pattern.substr(0, at));
        check.message += diff::FieldText(header + 4, 4);
        check.message += pattern.substr(at + 2);
        return check;
    }
    check.accepted = true;
    check.firmwareName =
        diff::FieldText(header + diff::kFirmwareNameOffset, diff::kFirmwareNameSize);
    return check;
}

}  // namespace

DiffCheck CheckDiffFile(const LoadedFile& file) {
    if (file.failed()) {
        return {false, std::string(msg::kReadError), {}};
    }
    return CheckDiffHeader(file.size() < diff::kHeaderSize ? nullptr : file.data());
}

DiffCheck CheckDiffFile(ByteSource& file) {
    if (file.size() < diff::kHeaderSize) {
        return CheckDiffHeader(nullptr);
    }
    const std::span<const std::uint8_t> header = file.Read(0, diff::kHeaderSize);
    if (header.empty()) {
        return {false, std::string(msg::kReadError), {}};
    }
    return CheckDiffHeader(header.data());
}

ImageCheck CheckFirmwareImage(const LoadedFile& file) {
    return CheckFirmwareImage(file.size());
}

ImageCheck CheckFirmwareImage(std::uint32_t size) {
    ImageCheck check;
    if (size == LoadedFile::kFailedRead || size < kMinimumImageSize) {
        check.message = msg::kBadImage;
        return check;
    }
    check.accepted = true;
    return check;
}

}  // namespace quorrel
