#include "SerialBackend.h"

#include <QFileInfo>
#include <algorithm>

#include "QtSerialPortIo.h"
#include "SerialChannel.h"
#include "SysfsPorts.h"

namespace {

QString canonical(const QString& path) {
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

DriverStatus openFailure(QSerialPort::SerialPortError error) {
    return error == QSerialPort::DeviceNotFoundError ? hx::DeviceNotFound : hx::DeviceNotOpened;
}

}  // namespace

SerialBackend::SerialBackend(QStringList extraPaths, QString sysfsRoot)
    : extraPaths(std::move(extraPaths)), sysfsRoot(std::move(sysfsRoot)) {}

void SerialBackend::refresh() {
    std::vector<PortFacts> ports = sysfs::serialPorts(sysfsRoot);
    // A path given that the system lists too, or given twice, is listed once:
    // a second name for a port would open it twice.
    QStringList known;
    for (const PortFacts& port : ports) {
        known.append(canonical(port.systemLocation));
    }
    for (const QString& path : extraPaths) {
        if (!known.contains(canonical(path))) {
            known.append(canonical(path));
            ports.push_back({path, path, std::nullopt});
        }
    }
    listed = pairPorts(ports);
}

DriverStatus SerialBackend::deviceCount(std::uint32_t& count) {
    refresh();
    count = static_cast<std::uint32_t>(listed.size());
    return hx::Ok;
}

DriverStatus SerialBackend::deviceDescription(std::uint32_t index, std::string& description) {
    if (index >= listed.size()) {
        return hx::DeviceNotFound;
    }
    description = listed[index].description;
    return hx::Ok;
}

const ListedChannel* SerialBackend::find(const std::string& description) const {
    const auto found = std::find_if(listed.begin(), listed.end(), [&](const ListedChannel& c) {
        return c.description == description;
    });
    return found == listed.end() ? nullptr : &*found;
}

DriverStatus SerialBackend::open(const std::string& description,
                                 std::unique_ptr<BridgeChannel>& channel) {
    if (find(description) == nullptr) {
        refresh();
    }
    const ListedChannel* listedChannel = find(description);
    if (listedChannel == nullptr) {
        return hx::DeviceNotFound;
    }
    const PortFacts& port = listedChannel->port;
    auto io = std::make_unique<QtSerialPortIo>(port.systemLocation);
    if (const QSerialPort::SerialPortError error = io->open(); error != QSerialPort::NoError) {
        return openFailure(error);
    }
    const QString latencyTimer =
        port.usb ? sysfs::latencyTimerPath(sysfsRoot, port.portName) : QString();
    channel = std::make_unique<SerialChannel>(std::move(io), latencyTimer);
    return hx::Ok;
}
