#pragma once

#include <QComboBox>

// The port chooser: the board list must be rebuilt before it is shown, so the
// popup announces itself first and only then opens on the fresh list.
class PortComboBox : public QComboBox {
    Q_OBJECT

  public:
    using QComboBox::QComboBox;

    void showPopup() override;

  signals:
    void aboutToShowPopup();
};
