#pragma once

#include <QString>

#include "HxTypes.h"

class DeviceLink;

// Opens one channel of the chosen board by its full name and, on success,
// records its handle and marks it open. A channel that is already open is
// left as it is. Returns whether the channel is open afterwards.
bool OpenChannelIfClosed(DeviceLink& link, const QString& name, HxHandle& handle, bool& isOpen);
