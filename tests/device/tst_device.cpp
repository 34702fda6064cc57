#include <QtTest>

class DeviceTest : public QObject {
    Q_OBJECT
private slots:
    void placeholderBuilds() {}
};

QTEST_GUILESS_MAIN(DeviceTest)
#include "tst_device.moc"
