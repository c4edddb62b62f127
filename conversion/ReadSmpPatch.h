#pragma once

#include <string>
#include <string_view>

#include "ByteSource.h"
#include "SmpPatch.h"

namespace quorrel {

struct SmpReadResult {
    SmpChanges changes;
    std::string error;  // Windows-1251, naming the line; empty when the patch was read
};

// The changes of an SMP patch text: the <nord .../> elements of the first <changes> element that
// directly follows a <patchdata ...> start tag, and which must close the document (</changes>
// </patchdata> </patch>); any other element inside it is refused. Header fields are written
// unescaped and may hold any text but such a pair of tags, so nothing before it is parsed. Within
// the changes: any white space, attributes in any order, either quote, hex digits of either
// case, "0x" offsets with any leading zeros.
SmpReadResult ReadSmpPatch(std::string_view text);
// The same for a text read in pieces, each change's bytes decoded and held; a failed read gives
// kReadError.
SmpReadResult ReadSmpPatch(ByteSource& text);

}  // namespace quorrel
