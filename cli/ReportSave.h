#pragma once

#include <string_view>

#include "ExitStatus.h"
#include "FileSave.h"
#include "Reporter.h"

namespace quorrel {

// The status of a save of `output`, its failure reported as the window would say it.
ExitStatus ReportSave(const SaveResult& result, std::string_view output, const Reporter& reporter);

}  // namespace quorrel
