#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "ExitStatus.h"
#include "PatchFit.h"
#include "Reporter.h"

namespace quorrel {

// `text` with each "%s" replaced by the next of `values`.
std::string Fill(std::string_view text, std::initializer_list<std::string_view> values);
// An offset as the patch modes show it: hex digits, at least six.
std::string ShownOffset(std::uint32_t offset);

// How the patch modes report a patch's fit, under its name `shown`: the warnings, then the
// verdict, and for --check (`saysFit`) a fit too. A misfit list is headed by `header` where
// given (Windows-1251, Reporter::kPathMark standing for `path`). InputRefused unless it fits.
ExitStatus ReportFit(const PatchFit& fit, PatchDirection direction, bool saysFit,
                     std::string_view shown, const Reporter& reporter, std::string_view header = {},
                     std::string_view path = {});

}  // namespace quorrel
