#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// What the system tells about one USB interface that carries a serial port.
// The interfaces of one dual-channel bridge share everything but the
// interface number.
struct UsbFacts {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    QString serialNumber;
    // Where the device sits on the bus ("1-1.2"): two adapters with the same
    // serial number, or none, still differ here.
    QString busPath;
    int interfaceNumber = 0;
    QString product;
};

// One serial port of the computer: a tty device node, with its USB facts
// when it belongs to a USB device.
struct PortFacts {
    QString systemLocation;  // "/dev/ttyUSB0"
    QString portName;        // "ttyUSB0"
    std::optional<UsbFacts> usb;
};
