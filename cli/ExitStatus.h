#pragma once

#include <algorithm>

namespace quorrel {

// Ordered by severity: a run reports the highest status any DIFF file reached.
enum class ExitStatus : int {
    Written = 0,
    InputRefused = 1,  // a DIFF file or image could not be read or was refused
    FieldRefused = 2,  // a usage error or a field text that cannot be used
    NotWritten = 3,    // the patch could not be written
};

inline ExitStatus Worse(ExitStatus a, ExitStatus b) {
    return std::max(a, b);
}

}  // namespace quorrel
