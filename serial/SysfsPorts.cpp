#include "SysfsPorts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace sysfs {

namespace {

const QString systemRoot = QStringLiteral("/sys");

QString deviceLink(const QString& sysfsRoot, const QString& portName) {
    return sysfsRoot + QStringLiteral("/class/tty/") + portName + QStringLiteral("/device");
}

QString attribute(const QString& directory, const char* name) {
    QFile file(directory + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).trimmed();
}

bool hasAttribute(const QString& directory, const char* name) {
    return QFileInfo::exists(directory + QLatin1Char('/') + QLatin1String(name));
}

// A usb-serial driver hangs its port one level below the USB interface; an
// ACM port is the interface itself.
QString interfaceDirectory(const QString& device) {
    if (hasAttribute(device, "bInterfaceNumber")) {
        return device;
    }
    const QString parent = QFileInfo(device).path();
    return hasAttribute(parent, "bInterfaceNumber") ? parent : QString();
}

std::uint16_t hexAttribute(const QString& directory, const char* name, bool& ok) {
    return attribute(directory, name).toUShort(&ok, 16);
}

}  // namespace

std::optional<UsbFacts> usbFacts(const QString& sysfsRoot, const QString& portName) {
    const QString device = QFileInfo(deviceLink(sysfsRoot, portName)).canonicalFilePath();
    if (device.isEmpty()) {
        return std::nullopt;
    }
    const QString interface = interfaceDirectory(device);
    if (interface.isEmpty()) {
        return std::nullopt;
    }
    const QString usbDevice = QFileInfo(interface).path();
    UsbFacts facts;
    bool vendorOk = false;
    bool productOk = false;
    bool interfaceOk = false;
    facts.vendorId = hexAttribute(usbDevice, "idVendor", vendorOk);
    facts.productId = hexAttribute(usbDevice, "idProduct", productOk);
    facts.interfaceNumber = attribute(interface, "bInterfaceNumber").toInt(&interfaceOk, 16);
    if (!vendorOk || !productOk || !interfaceOk) {
        return std::nullopt;
    }
    facts.serialNumber = attribute(usbDevice, "serial");
    facts.product = attribute(usbDevice, "product");
    facts.busPath = QFileInfo(usbDevice).fileName();
    return facts;
}

std::vector<PortFacts> serialPorts(const QString& sysfsRoot) {
    std::vector<PortFacts> ports;
    // The system's own ports are found as the port library finds them: it
    // knows which of the serial core's many placeholder ttys are real. A
    // tree given by path is taken whole: every tty with a device behind it.
    if (sysfsRoot == systemRoot) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            ports.push_back(
                {info.systemLocation(), info.portName(), usbFacts(sysfsRoot, info.portName())});
        }
        return ports;
    }
    const QDir ttys(sysfsRoot + QStringLiteral("/class/tty"));
    for (const QString& name : ttys.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFileInfo::exists(deviceLink(sysfsRoot, name))) {
            ports.push_back({QStringLiteral("/dev/") + name, name, usbFacts(sysfsRoot, name)});
        }
    }
    return ports;
}

QString latencyTimerPath(const QString& sysfsRoot, const QString& portName) {
    const QString path = deviceLink(sysfsRoot, portName) + QStringLiteral("/latency_timer");
    return QFileInfo(path).isWritable() ? path : QString();
}

}  // namespace sysfs
