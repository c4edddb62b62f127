#include "FileChecks.h"

#include "DiffFormat.h"
#include "Messages.h"

namespace quorrel {

DiffCheck CheckDiffFile(const LoadedFile& file) {
    DiffCheck check;
    if (file.failed()) {
        check.message = msg::kReadError;
        return check;
    }
    if (file.size() < diff::kHeaderSize || !diff::FieldIs(file.data(), diff::kMagic)) {
        check.message = msg::kBadDiffFormat;
        return check;
    }
    if (!diff::FieldIs(file.data() + 4, diff::kPhoneClass)) {
        const std::string_view pattern = msg::kUnknownPhoneClass;
        const auto at = pattern.find("%s");
        check.message = std::string(pattern.substr(0, at));
        check.message += diff::FieldText(file.data() + 4, 4);
        check.message += pattern.substr(at + 2);
        return check;
    }
    check.accepted = true;
    check.firmwareName =
        diff::FieldText(file.data() + diff::kFirmwareNameOffset, diff::kFirmwareNameSize);
    return check;
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
