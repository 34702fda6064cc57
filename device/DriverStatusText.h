#pragma once

#include <QString>

#include "HxTypes.h"

// The text that follows an operation's name in a driver error dialog.
QString DriverStatusSuffix(DriverStatus status);
