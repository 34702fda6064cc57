// The port chooser's list: each board once, by its channel A's description
// without the channel suffix, in the order the driver lists them.
#include <QSignalBlocker>

#include "DeviceLink.h"
#include "Form1Ui.h"
#include "TForm1.h"

void TForm1::FillPortList() {
    deviceLink->ClearDeviceList();
    PortComboBox* chooser = ui->ComboBox1;
    {
        // Filling an empty box would pick its first entry by itself; the
        // chooser stays empty until the user picks, and says so once below.
        const QSignalBlocker quiet(chooser);
        chooser->clear();
        chooser->clearEditText();
        deviceLink->ListDescriptions(deviceLink->DeviceList);
        for (const QString& description : deviceLink->DeviceList) {
            if (description.isEmpty()) {
                break;
            }
            if (IsChannelADescription(description)) {
                chooser->addItem(StripChannelSuffix(description));
            }
        }
        chooser->setCurrentIndex(-1);
        chooser->clearEditText();
    }
}
