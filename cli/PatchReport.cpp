#include "PatchReport.h"

#include "CliTexts.h"

namespace quorrel {

namespace {

// More would only bury the offset; the line number leads to the rest.
constexpr std::size_t kShownBytes = 16;

std::string Hex(std::string_view bytes) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < kShownBytes; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out += kDigits[b >> 4];
        out += kDigits[b & 0xFu];
    }
    if (bytes.size() > kShownBytes) {
        out += "...";
    }
    return out.empty() ? "-" : out;
}

std::string MisfitReport(const PatchFit& fit, std::string_view header) {
    std::string text(header);
    for (const Misfit& misfit : fit.misfits) {
        text += '\n';
        text += Fill(cli::kMisfitLine, {std::to_string(misfit.line), ShownOffset(misfit.offset)});
        switch (misfit.reason) {
            case Misfit::Reason::Differs:
                text += Fill(cli::kMisfitDiffers, {Hex(misfit.expected), Hex(misfit.found)});
                break;
            case Misfit::Reason::Outside:
                text += cli::kMisfitOutside;
                break;
            case Misfit::Reason::NoFrom:
                text += cli::kMisfitNoFrom;
                break;
        }
    }
    if (fit.misfitCount > fit.misfits.size()) {
        text += '\n';
        text += Fill(cli::kMoreMisfits, {std::to_string(fit.misfitCount - fit.misfits.size())});
    }
    return text;
}

}  // namespace

std::string Fill(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string out(text);
    std::size_t from = 0;
    for (const std::string_view value : values) {
        const std::size_t at = out.find("%s", from);
        out.replace(at, 2, value);
        from = at + value.size();
    }
    return out;
}

std::string ShownOffset(std::uint32_t offset) {
    std::string digits;
    for (int shift = 28; shift >= 0; shift -= 4) {
        digits += "0123456789abcdef"[(offset >> shift) & 0xFu];
    }
    return digits.substr(std::min(digits.find_first_not_of('0'), std::size_t{2}));
}

ExitStatus ReportFit(const PatchFit& fit, PatchDirection direction, bool saysFit,
                     std::string_view shown, const Reporter& reporter, std::string_view header,
                     std::string_view path) {
    const bool apply = direction == PatchDirection::Apply;
    if (fit.overlaps) {
        reporter.Warning(shown, cli::kOverlaps);
    }
    if (fit.someWithoutFrom && apply) {
        reporter.Warning(shown, cli::kNoFromChecked);
    }
    switch (fit.verdict) {
        case FitVerdict::AlreadyDone:
            reporter.Error(shown, apply ? cli::kPatchApplied.view() : cli::kPatchReverted.view());
            return ExitStatus::InputRefused;
        case FitVerdict::DoesNotFit:
            if (header.empty()) {
                header = apply ? cli::kPatchDoesNotFit.view() : cli::kPatchCannotRevert.view();
            }
            reporter.Error(shown, MisfitReport(fit, header), path);
            return ExitStatus::InputRefused;
        case FitVerdict::Fits:
            break;
    }
    if (saysFit) {
        reporter.Error(shown, cli::kPatchFits);
    }
    return ExitStatus::Written;
}

}  // namespace quorrel
