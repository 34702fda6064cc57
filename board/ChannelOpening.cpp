#include "ChannelOpening.h"

#include "DeviceLink.h"

bool OpenChannelIfClosed(DeviceLink& link, const QString& name, HxHandle& handle, bool& isOpen) {
    if (isOpen) {
        return true;
    }
    isOpen = link.FindAndOpenChannel(name);
    if (isOpen) {
        handle = link.CurrentHandle;
    }
    return isOpen;
}
