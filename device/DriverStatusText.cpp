#include "DriverStatusText.h"

#include <array>

QString DriverStatusSuffix(DriverStatus status) {
    static const std::array<const char*, 18> suffixes = {
        "",
        " - Invalid Handle...",
        " - Device Not Found....",
        " - Device Not Opened...",
        " - General IO Error...",
        " - Insufficient Resources...",
        " - Invalid Parameter ...",
        " - Invalid baud rate ...",
        " Device not opened for erase  ...",
        " Device not opened for write ...",
        " - Failed to write ...",
        " - EEPROM read Failed ...",
        " - EEPROM write failed ...",
        " - EEPROM erase failed ...",
        " - EEPROM not present ...",
        " - EEPROM not programmed ...",
        " - invalid Arguments ...",
        " - other error  ...",
    };
    if (status < suffixes.size()) {
        return QString::fromLatin1(suffixes[status]);
    }
    return QStringLiteral(" - unknown error, status %1 ...").arg(status);
}
