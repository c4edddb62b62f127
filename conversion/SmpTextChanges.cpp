#include "SmpTextChanges.h"

namespace quorrel {

bool SmpTextChanges::Next(ChangeHead& change) {
    if (!reader_) {
        Rewind();
    }
    if (!reader_->Next(current_)) {
        return false;
    }
    change = {current_.offset, current_.count, current_.line, current_.hasFrom};
    return true;
}

}  // namespace quorrel
