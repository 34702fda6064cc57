#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "PortFacts.h"

// The computer's serial ports as the kernel describes them under a sysfs
// tree (normally "/sys"; tests give a tree of their own).
namespace sysfs {

// The USB facts of a tty, or none when it is not on a USB interface.
std::optional<UsbFacts> usbFacts(const QString& sysfsRoot, const QString& portName);

// Every serial port with its facts, in no particular order.
std::vector<PortFacts> serialPorts(const QString& sysfsRoot);

// The port's writable receive latency timer, when its driver has one.
QString latencyTimerPath(const QString& sysfsRoot, const QString& portName);

}  // namespace sysfs
