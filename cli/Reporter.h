#pragma once

#include <string_view>

namespace quorrel {

// Messages to standard error in UTF-8, every line led by "quorrel-cli: " and, when there is
// one, the subject (a path or an option as typed, passed on as its own bytes).
class Reporter {
  public:
    explicit Reporter(bool quiet) : quiet_(quiet) {}

    // Stands for a path in a text, which is put in as its own bytes, not as Windows-1251; no
    // message text holds this byte otherwise.
    static constexpr char kPathMark = '\x01';

    // `text` is Windows-1251 and may hold several lines.
    void Error(std::string_view subject, std::string_view text) const;
    // The same with `path` in place of the kPathMark in `text`.
    void Error(std::string_view subject, std::string_view text, std::string_view path) const;
    // Nothing is printed when quiet.
    void Warning(std::string_view subject, std::string_view text) const;
    // The file-error text of `cause` with `path` put in as its own bytes, not as Windows-1251.
    void FileError(int cause, std::string_view path) const;

  private:
    bool quiet_;
};

}  // namespace quorrel
