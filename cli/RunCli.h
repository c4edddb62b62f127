#pragma once

#include <span>
#include <string>

#include "ExitStatus.h"

namespace quorrel {

// The whole run of quorrel-cli for the arguments after the program name.
ExitStatus RunCli(std::span<const std::string> args);

}  // namespace quorrel
