#include "MonitorAnswers.h"

namespace {

constexpr MonitorAnswers extendedAnswers{"D:\\>", "Bad Command", "No Disk", "Command Failed",
                                         "Disk Full"};
constexpr MonitorAnswers shortAnswers{">", "BC", "ND", "CF", "DF"};

}  // namespace

const MonitorAnswers& answersFor(bool extendedCommandSet) {
    return extendedCommandSet ? extendedAnswers : shortAnswers;
}
