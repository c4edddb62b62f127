#include "DiffBuilder.h"

namespace quorrel::test {

namespace {

std::string Fixed(std::string_view text, std::size_t width) {
    std::string field(text.substr(0, width));
    field.resize(width, '\0');
    return field;
}

}  // namespace

DiffBuilder::DiffBuilder(std::string_view firmware, std::string_view phoneClass,
                         std::string_view magic)
    : bytes_(Fixed(magic, 4) + Fixed(phoneClass, 4) + Fixed(firmware, 16) + std::string(8, '\0')) {}

DiffBuilder& DiffBuilder::Le32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes_.push_back(static_cast<char>((value >> shift) & 0xFFu));
    }
    return *this;
}

DiffBuilder& DiffBuilder::Raw(std::string_view bytes) {
    bytes_.append(bytes);
    return *this;
}

DiffBuilder& DiffBuilder::Block(std::string_view tag, std::string_view type, std::uint32_t count,
                                std::string_view payload) {
    return Raw(Fixed(tag, 4) + Fixed(type, 4)).Le32(count).Raw(payload);
}

DiffBuilder& DiffBuilder::Nord(std::uint32_t offset, std::string_view bytes) {
    return Block("FBLK", "NORD", static_cast<std::uint32_t>(bytes.size() + 4))
        .Le32(offset)
        .Raw(bytes);
}

std::string CountingBytes(std::size_t n, std::uint8_t first) {
    std::string out(n, '\0');
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<char>(first + i);
    }
    return out;
}

std::string Hex(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += "0123456789abcdef"[b >> 4];
        out += "0123456789abcdef"[b & 0xFu];
    }
    return out;
}

}  // namespace quorrel::test
