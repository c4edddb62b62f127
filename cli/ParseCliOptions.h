#pragma once

#include <span>
#include <string>

#include "CliOptions.h"

namespace quorrel {

struct ParsedCommandLine {
    enum class Action { Convert, Patch, Compare, Help, Version, Refuse };
    Action action = Action::Convert;
    CliOptions options;  // complete only for Convert, Patch and Compare
    // For Refuse: the option or argument at fault as typed, and why (Windows-1251).
    std::string subject;
    std::string reason;
    bool showUsage = false;  // false when a value was refused rather than the command line's form
};

// `args` are the arguments after the program name. Options may follow operands; "--" ends them.
ParsedCommandLine ParseCliOptions(std::span<const std::string> args);

}  // namespace quorrel
