#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quorrel::qt {

// Windows-1251 text to Qt; every byte has a character.
QString FromCp1251(std::string_view text);
// Qt text to Windows-1251; characters with no Windows-1251 form are left out.
std::string ToCp1251(const QString& text);
// The same, with '?' standing for each character that has no form (for names shown as text).
std::string ToCp1251Marked(const QString& text);
// `text` without the characters that have no Windows-1251 form.
QString KeepCp1251(const QString& text);

// File-system names pass through the file system's own encoding, never through the codec.
QString FromFileName(std::string_view name);
std::string ToFileName(const QString& name);

// Message texts join their lines with CR LF; Qt's labels break lines at LF alone.
QString ForDisplay(std::string_view text);

}  // namespace quorrel::qt
