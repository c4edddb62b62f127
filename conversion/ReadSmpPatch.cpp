#include "ReadSmpPatch.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "SmpMessages.h"

namespace quorrel {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == ':' || c == '.';
}

struct Attribute {
    std::size_t at = 0;  // where the value starts
    std::string_view value;
};

// One pass over the text; every position stays below `end_`, which starts at the text's size
// and becomes the start of </changes> once the document's tail is known.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text), end_(text.size()) {}

    SmpReadResult Run() {
        if (!FindChanges()) {
            return std::move(result_);
        }
        while (result_.error.empty()) {
            SkipSpace();
            if (at_ == end_) {
                break;
            }
            ReadNord();
        }
        if (!result_.error.empty()) {
            result_.changes.clear();
        }
        return std::move(result_);
    }

  private:
    void Fail(std::string_view text, std::size_t at) {
        std::string error(text);
        if (const auto mark = error.find("%s"); mark != std::string::npos) {
            error.replace(mark, 2, std::to_string(LineAt(at)));
        }
        result_.error = std::move(error);
    }

    // Lines are counted by LF, so CR LF and LF files number theirs alike.
    std::uint32_t LineAt(std::size_t at) {
        if (at < linePos_) {
            linePos_ = 0;
            line_ = 1;
        }
        line_ += static_cast<std::uint32_t>(
            std::count(text_.begin() + static_cast<std::ptrdiff_t>(linePos_),
                       text_.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
        linePos_ = at;
        return line_;
    }

    // Takes `</name>` (with optional space before `>`) off the end of [0, end).
    bool EatEndTagBackward(std::size_t& end, std::string_view name) const {
        while (end > 0 && IsSpace(text_[end - 1])) {
            --end;
        }
        if (end == 0 || text_[end - 1] != '>') {
            return false;
        }
        --end;
        while (end > 0 && IsSpace(text_[end - 1])) {
            --end;
        }
        const std::string tag = "</" + std::string(name);
        if (end < tag.size() || text_.substr(end - tag.size(), tag.size()) != tag) {
            return false;
        }
        end -= tag.size();
        return true;
    }

    // The end of a `<patchdata ...>` start tag at `at`, or npos. Values are taken up to their own
    // quote, so a firmware name holding `<`, `>` or "<changes>" still reads.
    std::size_t PatchdataTagEnd(std::size_t at, std::size_t end) const {
        std::size_t p = at + std::string_view("<patchdata").size();
        while (true) {
            const std::size_t spaceAt = p;
            while (p < end && IsSpace(text_[p])) {
                ++p;
            }
            if (p == end) {
                return std::string_view::npos;
            }
            if (text_[p] == '>') {
                return p + 1;
            }
            const std::size_t nameAt = p;
            while (p < end && IsNameChar(text_[p])) {
                ++p;
            }
            if (nameAt == spaceAt || p == nameAt) {
                return std::string_view::npos;
            }
            while (p < end && IsSpace(text_[p])) {
                ++p;
            }
            if (p == end || text_[p] != '=') {
                return std::string_view::npos;
            }
            do {
                ++p;
            } while (p < end && IsSpace(text_[p]));
            if (p == end || (text_[p] != '"' && text_[p] != '\'')) {
                return std::string_view::npos;
            }
            const std::size_t close = text_.substr(0, end).find(text_[p], p + 1);
            if (close == std::string_view::npos) {
                return std::string_view::npos;
            }
            p = close + 1;
        }
    }

    // `<changes>` at `at`, with any space before its `>`: the position after it, or npos.
    std::size_t ChangesTagEnd(std::size_t at, std::size_t end) const {
        constexpr std::string_view kOpen = "<changes";
        if (text_.substr(0, end).substr(at, kOpen.size()) != kOpen) {
            return std::string_view::npos;
        }
        std::size_t p = at + kOpen.size();
        while (p < end && IsSpace(text_[p])) {
            ++p;
        }
        return p < end && text_[p] == '>' ? p + 1 : std::string_view::npos;
    }

    // The list is anchored at both ends: it opens with the first <changes> that directly follows
    // a <patchdata ...> start tag, and </changes> </patchdata> </patch> close the document. Header
    // fields come before it and may hold anything; inside it nothing but changes is taken, so a
    // stray <changes> cannot hide the changes before it.
    bool FindChanges() {
        std::size_t end = text_.size();
        if (!EatEndTagBackward(end, "patch") || !EatEndTagBackward(end, "patchdata") ||
            !EatEndTagBackward(end, "changes")) {
            result_.error = msg::kSmpNoChanges;
            return false;
        }
        const std::string_view head = text_.substr(0, end);
        for (std::size_t at = head.find("<patchdata"); at != std::string_view::npos;
             at = head.find("<patchdata", at + 1)) {
            std::size_t p = PatchdataTagEnd(at, end);
            if (p == std::string_view::npos) {
                continue;
            }
            while (p < end && IsSpace(text_[p])) {
                ++p;
            }
            if (const std::size_t list = ChangesTagEnd(p, end); list != std::string_view::npos) {
                at_ = list;
                end_ = end;
                return true;
            }
        }
        for (std::size_t at = head.find("<changes"); at != std::string_view::npos;
             at = head.find("<changes", at + 1)) {
            if (ChangesTagEnd(at, end) != std::string_view::npos) {
                Fail(msg::kSmpNoPatchdata, at);
                return false;
            }
        }
        result_.error = msg::kSmpNoChanges;
        return false;
    }

    void SkipSpace() {
        while (at_ < end_ && IsSpace(text_[at_])) {
            ++at_;
        }
    }

    bool Eat(std::string_view s) {
        if (text_.substr(at_, end_ - at_).substr(0, s.size()) != s) {
            return false;
        }
        at_ += s.size();
        return true;
    }

    void ReadNord() {
        const std::size_t start = at_;
        if (!Eat("<nord") || at_ == end_ || !(IsSpace(text_[at_]) || text_[at_] == '/')) {
            Fail(msg::kSmpBadElement, start);
            return;
        }
        std::optional<Attribute> offset;
        std::optional<Attribute> from;
        std::optional<Attribute> to;
        while (true) {
            const std::size_t before = at_;
            SkipSpace();
            if (Eat("/>")) {
                break;
            }
            const std::size_t nameAt = at_;
            while (at_ < end_ && IsNameChar(text_[at_])) {
                ++at_;
            }
            const std::string_view name = text_.substr(nameAt, at_ - nameAt);
            const std::optional<Attribute> attribute = ReadValue();
            if (before == nameAt || name.empty() || !attribute) {
                Fail(msg::kSmpBadSyntax, nameAt);
                return;
            }
            std::optional<Attribute>* slot = name == "offset" ? &offset
                                             : name == "from" ? &from
                                             : name == "to"   ? &to
                                                              : nullptr;
            if (slot == nullptr || slot->has_value()) {
                Fail(msg::kSmpBadAttribute, nameAt);
                return;
            }
            *slot = attribute;
        }
        if (!offset || !to) {
            Fail(msg::kSmpNoOffset, start);
            return;
        }
        AddChange(start, *offset, from, *to);
    }

    // `= "value"` or `= 'value'`, with any space around the sign.
    std::optional<Attribute> ReadValue() {
        SkipSpace();
        if (!Eat("=")) {
            return std::nullopt;
        }
        SkipSpace();
        if (at_ == end_ || (text_[at_] != '"' && text_[at_] != '\'')) {
            return std::nullopt;
        }
        const char quote = text_[at_++];
        const std::size_t close = text_.substr(0, end_).find(quote, at_);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        Attribute attribute{at_, text_.substr(at_, close - at_)};
        at_ = close + 1;
        return attribute;
    }

    std::optional<std::uint32_t> ParseOffset(const Attribute& offset) {
        const std::string_view v = offset.value;
        if (v.size() < 3 || v[0] != '0' || (v[1] != 'x' && v[1] != 'X')) {
            Fail(msg::kSmpBadOffset, offset.at);
            return std::nullopt;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 2; i < v.size(); ++i) {
            const int digit = HexDigit(v[i]);
            if (digit < 0) {
                Fail(msg::kSmpBadOffset, offset.at + i);
                return std::nullopt;
            }
            value = value << 4 | static_cast<std::uint64_t>(digit);
            if (value > 0xFFFFFFFFu) {
                Fail(msg::kSmpOffsetTooLarge, offset.at);
                return std::nullopt;
            }
        }
        return static_cast<std::uint32_t>(value);
    }

    std::optional<std::string> ParseBytes(const Attribute& bytes) {
        const std::string_view v = bytes.value;
        for (std::size_t i = 0; i < v.size(); ++i) {
            if (HexDigit(v[i]) < 0) {
                Fail(msg::kSmpNotHex, bytes.at + i);
                return std::nullopt;
            }
        }
        if (v.size() % 2 != 0) {
            Fail(msg::kSmpOddDigits, bytes.at);
            return std::nullopt;
        }
        std::string out(v.size() / 2, '\0');
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = static_cast<char>(HexDigit(v[2 * i]) << 4 | HexDigit(v[2 * i + 1]));
        }
        return out;
    }

    void AddChange(std::size_t start, const Attribute& offset, const std::optional<Attribute>& from,
                   const Attribute& to) {
        SmpChange change;
        const auto parsedOffset = ParseOffset(offset);
        if (!parsedOffset) {
            return;
        }
        change.offset = *parsedOffset;
        auto toBytes = ParseBytes(to);
        if (!toBytes) {
            return;
        }
        change.to = std::move(*toBytes);
        if (from) {
            change.from = ParseBytes(*from);
            if (!change.from) {
                return;
            }
            if (change.from->size() != change.to.size()) {
                Fail(msg::kSmpLengthsDiffer, from->at);
                return;
            }
        }
        if (change.offset + static_cast<std::uint64_t>(change.to.size()) > 0x100000000u) {
            Fail(msg::kSmpPast4GiB, start);
            return;
        }
        change.line = LineAt(start);
        result_.changes.push_back(std::move(change));
    }

    std::string_view text_;
    std::size_t end_;
    std::size_t at_ = 0;
    std::size_t linePos_ = 0;
    std::uint32_t line_ = 1;
    SmpReadResult result_;
};

}  // namespace

SmpReadResult ReadSmpPatch(std::string_view text) {
    return Reader(text).Run();
}

}  // namespace quorrel
