#include "SmpReader.h"

#include <algorithm>
#include <cstring>

#include "HexDecoder.h"
#include "Messages.h"
#include "SmpMessages.h"

namespace quorrel {

namespace {

constexpr std::uint64_t kNone = UINT64_MAX;

bool IsSpace(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int HexDigit(int c) {
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

bool IsNameChar(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == ':' || c == '.';
}

enum Kind { kOther, kOffset, kFrom, kTo, kKinds };

Kind KindOf(std::string_view name) {
    return name == "offset" ? kOffset : name == "from" ? kFrom : name == "to" ? kTo : kOther;
}

const char* Chars(const std::uint8_t* bytes) {
    return reinterpret_cast<const char*>(bytes);
}

}  // namespace

// What the checks of one attribute value need, gathered as it is passed.
struct SmpReader::Value {
    std::uint64_t at = 0;  // where it starts, after the quote
    std::uint64_t size = 0;
    std::uint64_t badAt = kNone;  // from, to: the first character that is no hex digit
    // offset: its first two characters, its number, and the first digit that is no hex digit
    // (badAt) or makes it too large.
    char lead[2] = {};
    std::uint64_t number = 0;
    bool tooLarge = false;
};

std::span<const std::uint8_t> SmpReader::At(std::uint64_t at, std::size_t need) {
    const std::uint64_t size = text_.size();
    if (at >= size) {
        return {};
    }
    const std::size_t needed = static_cast<std::size_t>(std::min<std::uint64_t>(need, size - at));
    if (span_ != nullptr && at >= spanAt_ && at - spanAt_ < spanSize_ &&
        spanSize_ - (at - spanAt_) >= needed) {
        return {span_ + (at - spanAt_), spanSize_ - static_cast<std::size_t>(at - spanAt_)};
    }
    const std::span<const std::uint8_t> got = text_.Read(at, need);
    if (got.size() < needed) {
        span_ = nullptr;
        FailRead();
        return {};
    }
    span_ = got.data();
    spanAt_ = at;
    spanSize_ = got.size();
    return got;
}

int SmpReader::CharAt(std::uint64_t at) {
    const std::span<const std::uint8_t> got = At(at, 1);
    return got.empty() ? -1 : got[0];
}

bool SmpReader::Eat(std::string_view s) {
    if (end_ - at_ < s.size()) {
        return false;
    }
    const std::span<const std::uint8_t> got = At(at_, s.size());
    if (got.size() < s.size() || std::memcmp(got.data(), s.data(), s.size()) != 0) {
        return false;
    }
    at_ += s.size();
    return true;
}

// Lines are counted by LF, so CR LF and LF files number theirs alike. Every position asked for
// lies at or after the last one, or at or after the start of the element being read.
std::uint32_t SmpReader::LineAt(std::uint64_t at) {
    span_ = nullptr;
    while (lineFrom_ < at) {
        const std::span<const std::uint8_t> got = text_.Read(lineFrom_, 1);
        if (got.empty()) {
            FailRead();
            break;
        }
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(got.size(), at - lineFrom_));
        lineFromLine_ += static_cast<std::uint32_t>(std::count(got.data(), got.data() + n, '\n'));
        lineFrom_ += n;
    }
    return lineFromLine_;
}

bool SmpReader::Fail(std::string_view text, std::uint64_t at) {
    ended_ = true;
    std::string error(text);
    if (const auto mark = error.find("%s"); mark != std::string::npos) {
        error.replace(mark, 2, std::to_string(LineAt(at)));
    }
    if (!readFailed_) {
        error_ = std::move(error);
    }
    return false;
}

bool SmpReader::FailRead() {
    ended_ = true;
    readFailed_ = true;
    error_ = msg::kReadError;
    return false;
}

std::uint64_t SmpReader::SkipSpace(std::uint64_t at, std::uint64_t end, bool countLines) {
    while (at < end) {
        const std::span<const std::uint8_t> got = At(at, 1);
        if (got.empty()) {
            return at;
        }
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(got.size(), end - at));
        std::size_t k = 0;
        for (; k < n && IsSpace(got[k]); ++k) {
            line_ += countLines && got[k] == '\n' ? 1u : 0u;
        }
        at += k;
        if (k < n) {
            break;
        }
    }
    return at;
}

std::uint64_t SmpReader::FindByte(char c, std::uint64_t from, std::uint64_t end) {
    while (from < end) {
        const std::span<const std::uint8_t> got = At(from, 1);
        if (got.empty()) {
            return kNone;
        }
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(got.size(), end - from));
        if (const void* hit = std::memchr(got.data(), c, n); hit != nullptr) {
            return from +
                   static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(hit) - got.data());
        }
        from += n;
    }
    return kNone;
}

// Where `needle` first lies whole in [from, end).
std::uint64_t SmpReader::Find(std::string_view needle, std::uint64_t from, std::uint64_t end) {
    while (end >= needle.size() && from <= end - needle.size()) {
        const std::uint64_t at = FindByte(needle[0], from, end - needle.size() + 1);
        if (at == kNone) {
            return kNone;
        }
        const std::span<const std::uint8_t> got = At(at, needle.size());
        if (got.size() < needle.size()) {
            return kNone;
        }
        if (std::memcmp(got.data(), needle.data(), needle.size()) == 0) {
            return at;
        }
        from = at + 1;
    }
    return kNone;
}

bool SmpReader::EatEndTagBackward(std::string_view name) {
    const auto skipSpace = [this] {
        while (end_ > 0) {
            const std::span<const std::uint8_t> got = text_.ReadBefore(end_, 1);
            if (got.empty()) {
                return FailRead();
            }
            std::size_t k = got.size();
            while (k > 0 && IsSpace(got[k - 1])) {
                --k;
            }
            end_ -= got.size() - k;
            if (k > 0) {
                break;
            }
        }
        return true;
    };
    if (!skipSpace() || end_ == 0) {
        return false;
    }
    const std::span<const std::uint8_t> close = text_.ReadBefore(end_, 1);
    if (close.empty() || close.back() != '>') {
        return close.empty() ? FailRead() : false;
    }
    --end_;
    if (!skipSpace()) {
        return false;
    }
    const std::string tag = "</" + std::string(name);
    if (end_ < tag.size()) {
        return false;
    }
    const std::span<const std::uint8_t> got = text_.ReadBefore(end_, tag.size());
    if (got.size() < tag.size()) {
        return FailRead();
    }
    if (std::memcmp(got.data() + got.size() - tag.size(), tag.data(), tag.size()) != 0) {
        return false;
    }
    end_ -= tag.size();
    return true;
}

bool SmpReader::FindTail() {
    span_ = nullptr;
    if (EatEndTagBackward("patch") && EatEndTagBackward("patchdata") &&
        EatEndTagBackward("changes")) {
        return true;
    }
    if (!readFailed_) {
        error_ = msg::kSmpNoChanges;
    }
    span_ = nullptr;
    return false;
}

// The end of a `<patchdata ...>` start tag at `at`, or kNone. Values are taken up to their own
// quote, so a firmware name holding `<`, `>` or "<changes>" still reads.
std::uint64_t SmpReader::PatchdataTagEnd(std::uint64_t at, std::uint64_t end) {
    std::uint64_t p = at + std::string_view("<patchdata").size();
    while (true) {
        const std::uint64_t spaceAt = p;
        p = SkipSpace(p, end, false);
        if (p == end) {
            return kNone;
        }
        const int c = CharAt(p);
        if (c == '>') {
            return p + 1;
        }
        const std::uint64_t nameAt = p;
        while (p < end && IsNameChar(CharAt(p))) {
            ++p;
        }
        if (nameAt == spaceAt || p == nameAt) {
            return kNone;
        }
        p = SkipSpace(p, end, false);
        if (p == end || CharAt(p) != '=') {
            return kNone;
        }
        p = SkipSpace(p + 1, end, false);
        const int quote = p == end ? -1 : CharAt(p);
        if (quote != '"' && quote != '\'') {
            return kNone;
        }
        const std::uint64_t close = FindByte(static_cast<char>(quote), p + 1, end);
        if (close == kNone) {
            return kNone;
        }
        p = close + 1;
    }
}

// `<changes>` at `at`, with any space before its `>`: the position after it, or kNone.
std::uint64_t SmpReader::ChangesTagEnd(std::uint64_t at, std::uint64_t end) {
    constexpr std::string_view kOpen = "<changes";
    if (end - at < kOpen.size()) {
        return kNone;
    }
    const std::span<const std::uint8_t> got = At(at, kOpen.size());
    if (got.size() < kOpen.size() || std::memcmp(got.data(), kOpen.data(), kOpen.size()) != 0) {
        return kNone;
    }
    const std::uint64_t p = SkipSpace(at + kOpen.size(), end, false);
    return p < end && CharAt(p) == '>' ? p + 1 : kNone;
}

// The list opens with the first <changes> that directly follows a <patchdata ...> start tag.
bool SmpReader::FindList() {
    const std::uint64_t end = end_;
    for (std::uint64_t at = Find("<patchdata", 0, end); at != kNone && !readFailed_;
         at = Find("<patchdata", at + 1, end)) {
        std::uint64_t p = PatchdataTagEnd(at, end);
        if (p == kNone) {
            continue;
        }
        p = SkipSpace(p, end, false);
        if (const std::uint64_t list = ChangesTagEnd(p, end); list != kNone) {
            at_ = list;
            line_ = LineAt(at_);
            return !readFailed_;
        }
    }
    for (std::uint64_t at = Find("<changes", 0, end); at != kNone && !readFailed_;
         at = Find("<changes", at + 1, end)) {
        if (ChangesTagEnd(at, end) != kNone) {
            return Fail(msg::kSmpNoPatchdata, at);
        }
    }
    if (!readFailed_) {
        error_ = msg::kSmpNoChanges;
    }
    return false;
}

bool SmpReader::Start() {
    started_ = true;
    return FindTail() && FindList();
}

bool SmpReader::Next(SmpChangeAt& change) {
    if (ended_) {
        return false;
    }
    if (!started_ && !Start()) {
        ended_ = true;
        return false;
    }
    at_ = SkipSpace(at_, end_, true);
    if (readFailed_ || at_ == end_) {
        ended_ = true;
        return false;
    }
    return ReadNord(change);
}

std::uint64_t SmpReader::ScanHex(Value& value, char quote) {
    for (std::uint64_t p = value.at; p < end_;) {
        const std::span<const std::uint8_t> got = At(p, 1);
        if (got.empty()) {
            return kNone;
        }
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(got.size(), end_ - p));
        const std::size_t run = HexDigitRun(Chars(got.data()), n);
        p += run;
        if (run < n) {
            if (got[run] == quote) {
                return p;
            }
            value.badAt = p;
            return FindByte(quote, p + 1, end_);
        }
    }
    return kNone;
}

std::uint64_t SmpReader::ScanOffset(Value& value, char quote) {
    std::uint64_t i = 0;
    for (std::uint64_t p = value.at; p < end_;) {
        const std::span<const std::uint8_t> got = At(p, 1);
        if (got.empty()) {
            return kNone;
        }
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(got.size(), end_ - p));
        for (std::size_t k = 0; k < n; ++k, ++i) {
            const char c = static_cast<char>(got[k]);
            if (c == quote) {
                return p + k;
            }
            if (i < 2) {
                value.lead[i] = c;
            } else if (value.badAt == kNone && !value.tooLarge) {
                const int digit = HexDigit(got[k]);
                if (digit < 0) {
                    value.badAt = p + k;
                } else {
                    value.number = value.number << 4 | static_cast<std::uint64_t>(digit);
                    value.tooLarge = value.number > 0xFFFFFFFFu;
                }
            }
        }
        p += n;
    }
    return kNone;
}

// `= "value"` or `= 'value'`, with any space around the sign.
bool SmpReader::ReadValue(int kind, Value& value) {
    at_ = SkipSpace(at_, end_, true);
    if (!Eat("=")) {
        return false;
    }
    at_ = SkipSpace(at_, end_, true);
    const int quote = at_ == end_ ? -1 : CharAt(at_);
    if (quote != '"' && quote != '\'') {
        return false;
    }
    value.at = ++at_;
    const char q = static_cast<char>(quote);
    const std::uint64_t close = kind == kFrom || kind == kTo ? ScanHex(value, q)
                                : kind == kOffset            ? ScanOffset(value, q)
                                                             : FindByte(q, at_, end_);
    if (close == kNone) {
        return false;
    }
    value.size = close - value.at;
    at_ = close + 1;
    return true;
}

bool SmpReader::ReadNord(SmpChangeAt& change) {
    const std::uint64_t start = at_;
    const std::uint32_t startLine = line_;
    lineFrom_ = start;
    lineFromLine_ = line_;
    // The consumer decodes the values of this element next.
    text_.Retain(start);
    if (!Eat("<nord") || at_ == end_ || !(IsSpace(CharAt(at_)) || CharAt(at_) == '/')) {
        return Fail(msg::kSmpBadElement, start);
    }
    Value values[kKinds];
    bool have[kKinds] = {};
    while (true) {
        const std::uint64_t before = at_;
        at_ = SkipSpace(at_, end_, true);
        if (Eat("/>")) {
            break;
        }
        const std::uint64_t nameAt = at_;
        char name[7] = {};
        while (at_ < end_ && IsNameChar(CharAt(at_))) {
            if (at_ - nameAt < sizeof name) {
                name[at_ - nameAt] = static_cast<char>(CharAt(at_));
            }
            ++at_;
        }
        const std::uint64_t nameSize = at_ - nameAt;
        const Kind kind =
            nameSize < sizeof name ? KindOf({name, static_cast<std::size_t>(nameSize)}) : kOther;
        Value value;
        const bool read = ReadValue(have[kind] ? kOther : kind, value);
        if (readFailed_) {
            return false;
        }
        if (before == nameAt || nameSize == 0 || !read) {
            return Fail(msg::kSmpBadSyntax, nameAt);
        }
        if (kind == kOther || have[kind]) {
            return Fail(msg::kSmpBadAttribute, nameAt);
        }
        have[kind] = true;
        values[kind] = value;
    }
    if (readFailed_) {
        return false;
    }
    if (!have[kOffset] || !have[kTo]) {
        return Fail(msg::kSmpNoOffset, start);
    }
    const Value& offset = values[kOffset];
    if (offset.size < 3 || offset.lead[0] != '0' ||
        (offset.lead[1] != 'x' && offset.lead[1] != 'X')) {
        return Fail(msg::kSmpBadOffset, offset.at);
    }
    if (offset.badAt != kNone) {
        return Fail(msg::kSmpBadOffset, offset.badAt);
    }
    if (offset.tooLarge) {
        return Fail(msg::kSmpOffsetTooLarge, offset.at);
    }
    for (const Kind kind : {kTo, kFrom}) {
        if (!have[kind]) {
            continue;
        }
        if (values[kind].badAt != kNone) {
            return Fail(msg::kSmpNotHex, values[kind].badAt);
        }
        if (values[kind].size % 2 != 0) {
            return Fail(msg::kSmpOddDigits, values[kind].at);
        }
    }
    if (have[kFrom] && values[kFrom].size != values[kTo].size) {
        return Fail(msg::kSmpLengthsDiffer, values[kFrom].at);
    }
    const std::uint64_t count = values[kTo].size / 2;
    if (offset.number + count > 0x100000000u) {
        return Fail(msg::kSmpPast4GiB, start);
    }
    change = {static_cast<std::uint32_t>(offset.number),
              count,
              startLine,
              have[kFrom],
              values[kFrom].at,
              values[kTo].at};
    return true;
}

bool SmpReader::Decode(std::uint64_t digitsAt, std::uint64_t skip, std::size_t n,
                       std::uint8_t* out) {
    span_ = nullptr;
    if (digitsAt + 2 * (skip + n) > text_.size()) {
        return false;
    }
    for (std::uint64_t at = digitsAt + 2 * skip; n > 0;) {
        const std::span<const std::uint8_t> got = text_.Read(at, 2);
        if (got.size() < 2) {
            return false;
        }
        const std::size_t k = std::min(n, got.size() / 2);
        if (!DecodeHex(out, Chars(got.data()), k)) {
            return false;
        }
        out += k;
        n -= k;
        at += 2 * k;
    }
    return true;
}

}  // namespace quorrel
