#include "Cp1251Validator.h"

#include "Cp1251Qt.h"

namespace quorrel::qt {

QValidator::State Cp1251Validator::validate(QString& input, int& pos) const {
    const QString kept = KeepCp1251(input);
    if (kept.size() != input.size()) {
        // The cursor stays behind what was taken of the characters before it.
        const qsizetype before = KeepCp1251(input.left(pos)).size();
        input = kept;
        pos = static_cast<int>(before);
    }
    return Acceptable;
}

}  // namespace quorrel::qt
