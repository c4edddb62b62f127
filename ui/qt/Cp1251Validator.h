#pragma once

#include <QValidator>

namespace quorrel::qt {

// Refuses characters that have no Windows-1251 form, typed or pasted; the rest of a paste is
// taken. Everything the user sees in a control can then be saved as it is.
class Cp1251Validator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

}  // namespace quorrel::qt
