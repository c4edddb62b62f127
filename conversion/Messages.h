#pragma once

#include "Cp1251Literal.h"

// The system's own texts, in Windows-1251, shared by every front end.
namespace quorrel::msg {

inline constexpr Cp1251Literal kReadError = "Ошибка считывания данных из файла!";
inline constexpr Cp1251Literal kBadDiffFormat = "Неверный формат DIFF-файла!";
// The walk's wording differs from the open check's; stored scripts match on both.
inline constexpr Cp1251Literal kBadDiffBlocks = "Неверный формат файла DIFF-файла!";
// %s stands for the phone class.
inline constexpr Cp1251Literal kUnknownPhoneClass = "Неизвестный класс телефона '%s'!";
inline constexpr Cp1251Literal kBadImage = "Некорректный BIN-файл!";
inline constexpr Cp1251Literal kBadVersion = "Введите целое положительное число.";
inline constexpr Cp1251Literal kNoImageLine1 = "Внимание! BIN File не открыт.";
inline constexpr Cp1251Literal kNoImageLine2 = "Без него smp-patch будет не полным.";
inline constexpr Cp1251Literal kNoFirmware =
    "Укажите прошивку, для которой будет использоваться патч!";
inline constexpr Cp1251Literal kCannotOpenOutput = "Ошибка открытия файла!";
inline constexpr Cp1251Literal kPatchSaved = "SMP-патч успешно создан!";

inline constexpr Cp1251Literal kCaptionError = "Ошибка";
inline constexpr Cp1251Literal kCaptionWarning = "Предупреждение";
inline constexpr Cp1251Literal kCaptionSaved = "Патч создан";

}  // namespace quorrel::msg
