#pragma once

#include <array>

#include "Cp1251Literal.h"
#include "DialogTemplate.h"

namespace quorrel::layout {

inline constexpr Cp1251Literal kAboutCaption = "О программе";
inline constexpr Cp1251Literal kAboutVersion = "Quorrel v2.0";
inline constexpr Cp1251Literal kAboutCredits =
    "Переводит DIFF-файлы прошивок телефонов\r\n"
    "в SMP-патчи со старыми и новыми байтами.\r\n"
    "Данные автора и списки берутся из Quorrel.ini.\r\n"
    "Свободная программа, без каких-либо гарантий.";
inline constexpr Cp1251Literal kAboutOk = "OK";

inline constexpr int kAboutOkId = 1;

inline constexpr std::array kAboutControls = {
    ControlTemplate{ControlKind::Icon, 0, {}, {11, 17, 20, 20}, "aboutIcon"},
    ControlTemplate{ControlKind::Label, 0, kAboutVersion, {40, 10, 119, 8}, "aboutVersion"},
    ControlTemplate{
        ControlKind::MultiLineLabel, 0, kAboutCredits, {39, 24, 188, 38}, "aboutCredits"},
    ControlTemplate{
        ControlKind::DefaultPushButton, kAboutOkId, kAboutOk, {177, 7, 50, 14}, "aboutOk"},
};

inline constexpr DialogTemplate kAboutBox{kAboutCaption, 234, 69, kAboutControls};

}  // namespace quorrel::layout
