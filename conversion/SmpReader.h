#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "ByteSource.h"

namespace quorrel {

// One change of an SMP patch as its text holds it: the bytes stay in the text, where they were
// checked, and are decoded only where they are needed.
struct SmpChangeAt {
    std::uint32_t offset = 0;
    std::uint64_t count = 0;  // bytes of `to`, and of `from` when the change has it
    std::uint32_t line = 0;   // where its element starts, from 1
    bool hasFrom = false;
    std::uint64_t fromAt = 0;  // where the digits of `from` start in the text
    std::uint64_t toAt = 0;
};

// Reads the changes of an SMP patch text front to back through `text` (which must outlive it),
// by the rules of ReadSmpPatch and with its results: each change is handed out only once its
// element was checked whole, and the first refusal ends the walk. Only the document's tail is
// read backwards, to find where the list ends.
class SmpReader {
  public:
    explicit SmpReader(ByteSource& text) : text_(text), end_(text.size()) {}

    // The next change; false at the end of the list, or when the text was refused or could not
    // be read (error() tells).
    bool Next(SmpChangeAt& change);
    // The refusal (Windows-1251, naming the line), or kReadError; empty while there is none.
    const std::string& error() const { return error_; }
    bool readFailed() const { return readFailed_; }

    // Decodes bytes [skip, skip + n) of the value whose digits start at `digitsAt` into `out`;
    // false when the text cannot be read or no longer holds digits there.
    bool Decode(std::uint64_t digitsAt, std::uint64_t skip, std::size_t n, std::uint8_t* out);

    struct Value;

  private:
    bool Start();
    bool FindTail();
    bool EatEndTagBackward(std::string_view name);
    bool FindList();
    std::uint64_t Find(std::string_view needle, std::uint64_t from, std::uint64_t end);
    std::uint64_t PatchdataTagEnd(std::uint64_t at, std::uint64_t end);
    std::uint64_t ChangesTagEnd(std::uint64_t at, std::uint64_t end);
    std::uint64_t FindByte(char c, std::uint64_t from, std::uint64_t end);
    std::uint64_t SkipSpace(std::uint64_t at, std::uint64_t end, bool countLines);
    bool ReadNord(SmpChangeAt& change);
    bool ReadValue(int kind, Value& value);
    std::uint64_t ScanHex(Value& value, char quote);
    std::uint64_t ScanOffset(Value& value, char quote);

    // The bytes at hand from `at` on, at least min(need, size - at); empty on a failed read.
    std::span<const std::uint8_t> At(std::uint64_t at, std::size_t need);
    int CharAt(std::uint64_t at);
    bool Eat(std::string_view s);
    std::uint32_t LineAt(std::uint64_t at);
    bool Fail(std::string_view text, std::uint64_t at);
    bool FailRead();

    ByteSource& text_;
    std::uint64_t end_;  // the text's size, then the start of the closing </changes>
    std::uint64_t at_ = 0;
    std::uint32_t line_ = 1;      // the line at `at_`, counted by the spaces passed
    std::uint64_t lineFrom_ = 0;  // where `lineFromLine_` is known to hold
    std::uint32_t lineFromLine_ = 1;
    bool started_ = false;
    bool ended_ = false;
    bool readFailed_ = false;
    std::string error_;
    // The span last read, valid until text_ is read elsewhere.
    const std::uint8_t* span_ = nullptr;
    std::uint64_t spanAt_ = 0;
    std::size_t spanSize_ = 0;
};

}  // namespace quorrel
