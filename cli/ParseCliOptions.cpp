#include "ParseCliOptions.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string_view>

#include "CliTexts.h"
#include "Cp1251.h"
#include "DiffFormat.h"
#include "MakePatchId.h"
#include "Messages.h"
#include "ParseVersion.h"

namespace quorrel {

namespace {

enum class OptionId {
    Image,
    Output,
    Title,
    Group,
    Revision,
    Description,
    Firmware,
    Id,
    Settings,
    Quiet,
    Help,
    Version,
    Check,
    Apply,
    Revert,
    MakeDiff,
    Compare,
};

struct OptionInfo {
    char shortName;  // 0 when there is only the long form
    std::string_view longName;
    bool takesValue;
    OptionId id;
};

constexpr std::array<OptionInfo, 17> kOptions = {{
    {'i', "image", true, OptionId::Image},
    {'o', "output", true, OptionId::Output},
    {'t', "title", true, OptionId::Title},
    {'g', "group", true, OptionId::Group},
    {'r', "revision", true, OptionId::Revision},
    {'d', "description", true, OptionId::Description},
    {'f', "firmware", true, OptionId::Firmware},
    {0, "id", true, OptionId::Id},
    {0, "settings", true, OptionId::Settings},
    {'q', "quiet", false, OptionId::Quiet},
    {'h', "help", false, OptionId::Help},
    {0, "version", false, OptionId::Version},
    {0, "check", true, OptionId::Check},
    {0, "apply", true, OptionId::Apply},
    {0, "revert", true, OptionId::Revert},
    {0, "make-diff", true, OptionId::MakeDiff},
    {0, "compare", true, OptionId::Compare},
}};

const OptionInfo* FindLong(std::string_view name) {
    for (const OptionInfo& option : kOptions) {
        if (option.longName == name) {
            return &option;
        }
    }
    return nullptr;
}

const OptionInfo* FindShort(char name) {
    for (const OptionInfo& option : kOptions) {
        if (option.shortName != 0 && option.shortName == name) {
            return &option;
        }
    }
    return nullptr;
}

// Why a command-line text cannot become Windows-1251, or nothing when it can.
std::optional<std::string> EncodingFault(const cp1251::Encoded& encoded) {
    if (encoded.invalidUtf8) {
        return std::string(cli::kInvalidUtf8);
    }
    if (encoded.unmappable.empty()) {
        return std::nullopt;
    }
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(encoded.unmappable.front()));
    std::string reason(cli::kUnmappable);
    reason.replace(reason.find("%s"), 2, code);
    return reason;
}

std::string UpperHex(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'f') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

class Parser {
  public:
    explicit Parser(std::span<const std::string> args) : args_(args) {}

    ParsedCommandLine Run() {
        bool operandsOnly = false;
        for (index_ = 0; index_ < args_.size() && !done(); ++index_) {
            const std::string& arg = args_[index_];
            if (operandsOnly || arg == "-" || arg.size() < 2 || arg[0] != '-') {
                result_.options.diffs.push_back(arg);
            } else if (arg == "--") {
                operandsOnly = true;
            } else if (arg[1] == '-') {
                LongOption(std::string_view(arg).substr(2));
            } else {
                ShortOptions(std::string_view(arg).substr(1));
            }
        }
        if (!done()) {
            CheckOperands();
        }
        return std::move(result_);
    }

  private:
    bool done() const { return result_.action != ParsedCommandLine::Action::Convert; }

    void Refuse(std::string_view subject, std::string_view reason, bool showUsage) {
        result_.action = ParsedCommandLine::Action::Refuse;
        result_.subject = subject;
        result_.reason = reason;
        result_.showUsage = showUsage;
    }

    // The value that follows an option as the next argument, or nothing at the end.
    std::optional<std::string_view> NextArgument() {
        if (index_ + 1 >= args_.size()) {
            return std::nullopt;
        }
        return args_[++index_];
    }

    void LongOption(std::string_view body) {
        const auto equals = body.find('=');
        const std::string shown = "--" + std::string(body.substr(0, equals));
        const OptionInfo* option = FindLong(body.substr(0, equals));
        if (option == nullptr) {
            Refuse(shown, cli::kUnknownOption, true);
            return;
        }
        if (!option->takesValue) {
            if (equals != std::string_view::npos) {
                Refuse(shown, cli::kUnexpectedValue, true);
                return;
            }
            Apply(*option, shown, {});
            return;
        }
        const std::optional<std::string_view> value =
            equals != std::string_view::npos ? body.substr(equals + 1) : NextArgument();
        if (!value) {
            Refuse(shown, cli::kMissingValue, true);
            return;
        }
        Apply(*option, shown, *value);
    }

    // A cluster such as "-q", "-qt Title" or "-tTitle": a value option takes the rest.
    void ShortOptions(std::string_view cluster) {
        for (std::size_t at = 0; at < cluster.size() && !done(); ++at) {
            const std::string shown = std::string("-") + cluster[at];
            const OptionInfo* option = FindShort(cluster[at]);
            if (option == nullptr) {
                Refuse(shown, cli::kUnknownOption, true);
                return;
            }
            if (!option->takesValue) {
                Apply(*option, shown, {});
                continue;
            }
            const std::optional<std::string_view> value =
                at + 1 < cluster.size() ? cluster.substr(at + 1) : NextArgument();
            if (!value) {
                Refuse(shown, cli::kMissingValue, true);
                return;
            }
            Apply(*option, shown, *value);
            return;
        }
    }

    // A field text in Windows-1251, or nothing after refusing it.
    std::optional<std::string> FieldText(std::string_view shown, std::string_view value) {
        cp1251::Encoded encoded = cp1251::FromUtf8(value);
        if (const auto fault = EncodingFault(encoded)) {
            Refuse(shown, *fault, false);
            return std::nullopt;
        }
        return std::move(encoded.text);
    }

    std::optional<std::string> PathValue(std::string_view shown, std::string_view value) {
        if (value.empty()) {
            Refuse(shown, cli::kEmptyPath, true);
            return std::nullopt;
        }
        return std::string(value);
    }

    // Each mode names the file it works on, as its value.
    void SetMode(PatchMode patchMode, CompareMode compareMode, std::string_view shown,
                 std::string_view value) {
        CliOptions& options = result_.options;
        if (!modeShown_.empty()) {
            Refuse(shown, cli::kOneMode, true);
            return;
        }
        if (auto path = PathValue(shown, value)) {
            options.patchMode = patchMode;
            options.compareMode = compareMode;
            (patchMode != PatchMode::None ? options.patch : options.newImage) = std::move(*path);
            modeShown_ = shown;
        }
    }

    void Apply(const OptionInfo& option, std::string_view shown, std::string_view value) {
        CliOptions& options = result_.options;
        // Settings stay allowed everywhere: scripts may pass them to every run.
        const bool patchField = option.id == OptionId::Title || option.id == OptionId::Group ||
                                option.id == OptionId::Revision ||
                                option.id == OptionId::Description || option.id == OptionId::Id;
        if (patchField && fieldShown_.empty()) {
            fieldShown_ = shown;
        }
        if ((patchField || option.id == OptionId::Firmware) && conversionShown_.empty()) {
            conversionShown_ = shown;
        }
        switch (option.id) {
            case OptionId::Check:
                SetMode(PatchMode::Check, CompareMode::None, shown, value);
                break;
            case OptionId::Apply:
                SetMode(PatchMode::Apply, CompareMode::None, shown, value);
                break;
            case OptionId::Revert:
                SetMode(PatchMode::Revert, CompareMode::None, shown, value);
                break;
            case OptionId::MakeDiff:
                SetMode(PatchMode::None, CompareMode::MakeDiff, shown, value);
                break;
            case OptionId::Compare:
                SetMode(PatchMode::None, CompareMode::Compare, shown, value);
                break;
            case OptionId::Image:
                options.image = PathValue(shown, value);
                break;
            case OptionId::Output:
                options.output = PathValue(shown, value);
                outputShown_ = shown;
                break;
            case OptionId::Settings:
                options.settings = PathValue(shown, value);
                break;
            case OptionId::Title:
                options.title = FieldText(shown, value).value_or(std::string());
                break;
            case OptionId::Group:
                options.group = FieldText(shown, value).value_or(std::string());
                break;
            case OptionId::Description:
                options.description = FieldText(shown, value).value_or(std::string());
                break;
            case OptionId::Firmware:
                options.firmware = FieldText(shown, value);
                firmwareShown_ = shown;
                break;
            case OptionId::Revision:
                if (const auto text = FieldText(shown, value)) {
                    const std::optional<std::uint32_t> revision = ParseVersion(*text);
                    if (!revision) {
                        Refuse(shown, msg::kBadVersion, false);
                        break;
                    }
                    options.revision = *revision;
                }
                break;
            case OptionId::Id:
                if (const auto text = FieldText(shown, value)) {
                    std::string id = UpperHex(*text);
                    if (!IsPatchId(id)) {
                        Refuse(shown, cli::kBadId, false);
                        break;
                    }
                    options.id = std::move(id);
                }
                break;
            case OptionId::Quiet:
                options.quiet = true;
                break;
            case OptionId::Help:
                result_.action = ParsedCommandLine::Action::Help;
                break;
            case OptionId::Version:
                result_.action = ParsedCommandLine::Action::Version;
                break;
        }
    }

    // The operands are the patches after the first.
    void CheckPatchOperands() {
        CliOptions& options = result_.options;
        const auto stdinReaders = std::count(options.diffs.begin(), options.diffs.end(), "-") +
                                  (options.patch == "-" ? 1 : 0) + (options.image == "-" ? 1 : 0);
        if (!conversionShown_.empty()) {
            Refuse(conversionShown_, cli::kNotInPatchMode, true);
        } else if (!options.image) {
            Refuse(modeShown_, cli::kPatchModeNeedsImage, true);
        } else if (options.patchMode == PatchMode::Check && options.output) {
            Refuse(outputShown_, cli::kNotInPatchMode, true);
        } else if (options.patchMode != PatchMode::Check && !options.output) {
            Refuse(modeShown_, cli::kPatchModeNeedsOutput, true);
        } else if (std::count(options.diffs.begin(), options.diffs.end(), "") > 0) {
            Refuse("SMP", cli::kEmptyPath, true);
        } else if (stdinReaders > 1) {
            Refuse("-", cli::kStdinTwice, true);
        } else {
            options.laterPatches.swap(options.diffs);
            result_.action = ParsedCommandLine::Action::Patch;
        }
    }

    void CheckCompareOperands() {
        const CliOptions& options = result_.options;
        const bool makeDiff = options.compareMode == CompareMode::MakeDiff;
        if (!options.diffs.empty()) {
            Refuse(options.diffs.front(), cli::kExtraOperand, true);
        } else if (makeDiff && !fieldShown_.empty()) {
            Refuse(fieldShown_, cli::kNotInPatchMode, true);
        } else if (!options.image) {
            Refuse(modeShown_, cli::kPatchModeNeedsImage, true);
        } else if (!options.firmware) {
            Refuse(modeShown_, cli::kCompareNeedsFirmware, true);
        } else if (options.firmware->empty()) {
            Refuse(firmwareShown_, msg::kNoFirmware, false);
        } else if (makeDiff && options.firmware->size() > diff::kFirmwareNameSize) {
            Refuse(firmwareShown_, cli::kFirmwareTooLong, false);
        } else if (options.newImage == "-" && options.image == "-") {
            Refuse("-", cli::kStdinTwice, true);
        } else {
            result_.action = ParsedCommandLine::Action::Compare;
        }
    }

    void CheckOperands() {
        const CliOptions& options = result_.options;
        if (options.patchMode != PatchMode::None) {
            CheckPatchOperands();
            return;
        }
        if (options.compareMode != CompareMode::None) {
            CheckCompareOperands();
            return;
        }
        if (options.diffs.empty()) {
            Refuse({}, cli::kNoDiff, true);
            return;
        }
        if (options.output && options.diffs.size() > 1) {
            Refuse(outputShown_, cli::kOutputNeedsOneDiff, true);
            return;
        }
        int stdinReaders = options.image == "-" ? 1 : 0;
        for (const std::string& diff : options.diffs) {
            if (diff.empty()) {
                Refuse("DIFF", cli::kEmptyPath, true);
                return;
            }
            stdinReaders += diff == "-" ? 1 : 0;
        }
        if (stdinReaders > 1) {
            Refuse("-", cli::kStdinTwice, true);
        }
    }

    std::span<const std::string> args_;
    std::size_t index_ = 0;
    std::string outputShown_;
    std::string modeShown_;
    std::string conversionShown_;  // the first option that only a conversion takes
    std::string fieldShown_;       // the same but -f, which a DIFF file holds too
    std::string firmwareShown_;
    ParsedCommandLine result_;
};

}  // namespace

ParsedCommandLine ParseCliOptions(std::span<const std::string> args) {
    return Parser(args).Run();
}

}  // namespace quorrel
