#pragma once

#include <array>

#include "ControlId.h"
#include "Cp1251Literal.h"
#include "DialogTemplate.h"

namespace quorrel::layout {

inline constexpr Cp1251Literal kMainCaption = "Quorrel";
inline constexpr Cp1251Literal kDiffLabel = "DIF файл";
inline constexpr Cp1251Literal kOpenDiff = "Открыть &DIFF файл...";
inline constexpr Cp1251Literal kImageLabel = "BIN файл";
inline constexpr Cp1251Literal kOpenImage = "Открыть &BIN файл...";
inline constexpr Cp1251Literal kPatchFrame = "Информация о патче";
inline constexpr Cp1251Literal kTitleLabel = "Название";
inline constexpr Cp1251Literal kGroupLabel = "Группа";
inline constexpr Cp1251Literal kVersionLabel = "Версия";
inline constexpr Cp1251Literal kDescriptionLabel = "Описание";
inline constexpr Cp1251Literal kFirmwareLabel = "Прошивка";
inline constexpr Cp1251Literal kAboutButton = "О программе...";
inline constexpr Cp1251Literal kSaveButton = "Сохранить &SMP-патч";

constexpr int Id(ControlId id) {
    return static_cast<int>(id);
}

// The firmware combo box comes last, after the bottom buttons, so it is last in Tab order too;
// its label moves down with it to keep naming it.
inline constexpr std::array kMainControls = {
    ControlTemplate{ControlKind::Label, 0, kDiffLabel, {7, 7, 156, 10}, "diffLabel"},
    ControlTemplate{
        ControlKind::ReadOnlyEdit, Id(ControlId::DiffPath), {}, {7, 17, 155, 13}, "diffPath"},
    ControlTemplate{
        ControlKind::PushButton, Id(ControlId::OpenDiff), kOpenDiff, {168, 17, 84, 13}, "openDiff"},
    ControlTemplate{ControlKind::Label, 0, kImageLabel, {7, 32, 156, 10}, "imageLabel"},
    ControlTemplate{
        ControlKind::ReadOnlyEdit, Id(ControlId::ImagePath), {}, {7, 42, 155, 13}, "imagePath"},
    ControlTemplate{ControlKind::PushButton,
                    Id(ControlId::OpenImage),
                    kOpenImage,
                    {168, 42, 84, 13},
                    "openImage"},
    ControlTemplate{ControlKind::GroupFrame, 0, kPatchFrame, {7, 59, 245, 77}, "patchFrame"},
    ControlTemplate{ControlKind::Label, 0, kTitleLabel, {13, 72, 44, 10}, "titleLabel"},
    ControlTemplate{ControlKind::Edit, Id(ControlId::Title), {}, {58, 70, 188, 13}, "title"},
    ControlTemplate{ControlKind::Label, 0, kGroupLabel, {13, 88, 42, 11}, "groupLabel"},
    ControlTemplate{ControlKind::ComboBox, Id(ControlId::Group), {}, {58, 86, 92, 12}, "group"},
    ControlTemplate{ControlKind::Label, 0, kVersionLabel, {155, 88, 29, 10}, "versionLabel"},
    ControlTemplate{ControlKind::Edit, Id(ControlId::Version), {}, {186, 86, 59, 13}, "version"},
    ControlTemplate{
        ControlKind::Label, 0, kDescriptionLabel, {13, 104, 44, 10}, "descriptionLabel"},
    ControlTemplate{
        ControlKind::Edit, Id(ControlId::Description), {}, {58, 102, 188, 13}, "description"},
    ControlTemplate{
        ControlKind::PushButton, Id(ControlId::About), kAboutButton, {7, 141, 61, 13}, "about"},
    ControlTemplate{
        ControlKind::PushButton, Id(ControlId::Save), kSaveButton, {169, 141, 83, 13}, "save"},
    ControlTemplate{ControlKind::Label, 0, kFirmwareLabel, {14, 121, 42, 10}, "firmwareLabel"},
    ControlTemplate{
        ControlKind::ComboBox, Id(ControlId::Firmware), {}, {58, 118, 92, 12}, "firmware"},
};

static_assert(EveryFieldFollowsItsLabel(kMainControls));

inline constexpr DialogTemplate kMainWindow{kMainCaption, 259, 161, kMainControls};

}  // namespace quorrel::layout
