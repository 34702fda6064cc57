// Listing the attached bridge devices and opening a channel by its exact
// description: the part of DeviceLink that the port chooser and every mode's
// open step rely on.
#include <cstring>

#include "DeviceLink.h"
#include "HxDriver.h"

DriverStatus DeviceLink::ListDescriptionByIndex(std::uint32_t index) {
    const DriverStatus status =
        HX_ListDevices(reinterpret_cast<void*>(static_cast<std::uintptr_t>(index)),
                       DescriptionBuffer.data(), hx::ListByIndex | hx::OpenByDescription);
    if (status == hx::Ok) {
        DescriptionBuffer[DescriptionLength] = '\0';
    }
    return status;
}

QString DeviceLink::ReadDescriptionBuffer() const {
    const std::size_t length = ::strnlen(DescriptionBuffer.data(), DescriptionBuffer.size());
    return QString::fromLatin1(DescriptionBuffer.data(), static_cast<qsizetype>(length));
}

void DeviceLink::StoreOpenDescription(const QString& text) {
    const QByteArray bytes = text.toLatin1().left(DescriptionLength);
    std::memcpy(DescriptionBuffer.data(), bytes.constData(),
                static_cast<std::size_t>(bytes.size()));
    DescriptionBuffer[static_cast<std::size_t>(bytes.size())] = '\0';
}

DriverStatus DeviceLink::Open_USB_Device_By_Device_Description(const QString& description) {
    StoreOpenDescription(description);
    const DriverStatus status =
        HX_OpenEx(DescriptionBuffer.data(), hx::OpenByDescription, &CurrentHandle);
    ReportDriverStatus(QStringLiteral("Open_USB_Device_By_Device_Description"), status);
    return status;
}

bool DeviceLink::countDevices(std::uint32_t& count) {
    count = 0;
    return HX_ListDevices(&count, nullptr, hx::ListNumberOnly) == hx::Ok;
}

void DeviceLink::ListDescriptions(std::array<QString, DeviceListSlots>& list) {
    std::uint32_t count = 0;
    if (!countDevices(count)) {
        return;
    }
    // Only the first DeviceListSlots readable descriptions are kept: ten
    // dual-channel boards fill the list and any further ones are not shown.
    std::size_t slot = 0;
    for (std::uint32_t i = 0; i < count && slot < list.size(); ++i) {
        if (ListDescriptionByIndex(i) == hx::Ok) {
            list[slot++] = ReadDescriptionBuffer();
        }
    }
}

void DeviceLink::ClearDeviceList() {
    for (QString& slot : DeviceList) {
        slot.clear();
    }
}

bool DeviceLink::FindAndOpenChannel(const QString& description) {
    std::uint32_t count = 0;
    if (!countDevices(count)) {
        return false;
    }
    QString candidate;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (ListDescriptionByIndex(i) != hx::Ok) {
            continue;
        }
        candidate = ReadDescriptionBuffer();
        if (candidate == description) {
            break;
        }
    }
    if (candidate != description || description.isEmpty()) {
        return false;
    }
    if (Open_USB_Device_By_Device_Description(candidate) != hx::Ok) {
        return false;
    }
    FetchQueueStatus();
    return true;
}

bool IsChannelADescription(const QString& description) {
    return description.endsWith(QLatin1Char('A'));
}

QString StripChannelSuffix(const QString& description) {
    return description.size() <= 2 ? QString() : description.left(description.size() - 2);
}
