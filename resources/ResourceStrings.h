#pragma once

#include "Cp1251Literal.h"

namespace quorrel::layout {

// The window system menu's entry for the About box, where the platform has such a menu.
inline constexpr Cp1251Literal kSystemMenuAbout = "&О программе...";
inline constexpr unsigned kSystemMenuAboutCommand = 0x0010;

// Texts of the file choosers.
inline constexpr Cp1251Literal kDiffFiles = "DIFF файлы";
inline constexpr Cp1251Literal kBinFiles = "BIN файлы";
inline constexpr Cp1251Literal kSmpFiles = "SMP файлы";
inline constexpr Cp1251Literal kAllFiles = "Все файлы (*.*)";
inline constexpr Cp1251Literal kDiffPattern = "*.dif";
inline constexpr Cp1251Literal kBinPattern = "*.bin";
inline constexpr Cp1251Literal kSmpPattern = "*.smp";
inline constexpr Cp1251Literal kAllPattern = "*.*";

}  // namespace quorrel::layout
