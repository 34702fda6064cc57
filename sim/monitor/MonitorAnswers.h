#pragma once

#include <string_view>

// The status lines of one command set, each sent with a CR after it.
struct MonitorAnswers {
    std::string_view prompt;
    std::string_view badCommand;
    std::string_view noDisk;
    std::string_view commandFailed;
    std::string_view diskFull;
};

const MonitorAnswers& answersFor(bool extendedCommandSet);
