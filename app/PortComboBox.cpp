#include "PortComboBox.h"

void PortComboBox::showPopup() {
    emit aboutToShowPopup();
    QComboBox::showPopup();
}
