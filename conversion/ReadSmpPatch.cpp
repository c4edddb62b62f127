#include "ReadSmpPatch.h"

#include "Messages.h"
#include "SmpReader.h"

namespace quorrel {

namespace {

std::uint8_t* Bytes(std::string& s) {
    return reinterpret_cast<std::uint8_t*>(s.data());
}

}  // namespace

SmpReadResult ReadSmpPatch(std::string_view text) {
    MemoryBytes bytes(text);
    return ReadSmpPatch(bytes);
}

SmpReadResult ReadSmpPatch(ByteSource& text) {
    SmpReader reader(text);
    SmpReadResult result;
    for (SmpChangeAt at; reader.Next(at);) {
        SmpChange change;
        change.offset = at.offset;
        change.line = at.line;
        change.to.resize(at.count);
        bool read = reader.Decode(at.toAt, 0, at.count, Bytes(change.to));
        if (at.hasFrom) {
            change.from.emplace(at.count, '\0');
            read = read && reader.Decode(at.fromAt, 0, at.count, Bytes(*change.from));
        }
        if (!read) {
            result.error = msg::kReadError;
            break;
        }
        result.changes.push_back(std::move(change));
    }
    if (result.error.empty()) {
        result.error = reader.error();
    }
    if (!result.error.empty()) {
        result.changes.clear();
    }
    return result;
}

}  // namespace quorrel
