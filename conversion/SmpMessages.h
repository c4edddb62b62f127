#pragma once

#include "Cp1251Literal.h"

// Why an SMP patch text was refused. %s stands for the line number.
namespace quorrel::msg {

inline constexpr Cp1251Literal kSmpNoChanges =
    "это не SMP-патч: нет списка изменений <changes>, за которым следуют </changes>, "
    "</patchdata> и </patch>";
inline constexpr Cp1251Literal kSmpNoPatchdata =
    "строка %s: перед <changes> нет элемента <patchdata>";
inline constexpr Cp1251Literal kSmpBadElement =
    "строка %s: ожидается элемент <nord .../> или </changes>";
inline constexpr Cp1251Literal kSmpBadAttribute =
    "строка %s: у <nord> допустимы только атрибуты offset, from и to, каждый один раз";
inline constexpr Cp1251Literal kSmpBadSyntax =
    "строка %s: ожидается атрибут вида имя=\"значение\" или конец элемента />";
inline constexpr Cp1251Literal kSmpNoOffset = "строка %s: у <nord> нет атрибута offset или to";
inline constexpr Cp1251Literal kSmpBadOffset =
    "строка %s: смещение должно быть шестнадцатеричным числом вида 0x1234";
inline constexpr Cp1251Literal kSmpOffsetTooLarge = "строка %s: смещение больше 32 бит";
inline constexpr Cp1251Literal kSmpNotHex =
    "строка %s: недопустимый символ в шестнадцатеричных байтах";
inline constexpr Cp1251Literal kSmpOddDigits = "строка %s: нечётное число шестнадцатеричных цифр";
inline constexpr Cp1251Literal kSmpLengthsDiffer = "строка %s: from и to разной длины";
inline constexpr Cp1251Literal kSmpPast4GiB = "строка %s: изменение выходит за границу 4 ГиБ";

}  // namespace quorrel::msg
