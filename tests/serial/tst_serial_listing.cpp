// The serial ports as the port chooser sees them: facts read from a sysfs
// tree, a bridge's interfaces paired into one board, names that stay apart
// and fit 49 characters, and the backend's listing with given paths.
#include <QTest>

#include "PortPairing.h"
#include "SerialBackend.h"
#include "SysfsPorts.h"

using PortList = std::vector<PortFacts>;
Q_DECLARE_METATYPE(PortList)

namespace {

PortFacts usbPort(const QString& tty, const QString& serial, const QString& bus, int interface,
                  const QString& product) {
    return {"/dev/" + tty, tty, UsbFacts{0x0403, 0x6010, serial, bus, interface, product}};
}

// The two interfaces of one bridge, on ttyUSB<first> and the next.
PortList bridge(int first, const QString& serial, const QString& bus,
                const QString& product = "Dual Bridge") {
    const auto tty = [&](int n) { return "ttyUSB" + QString::number(first + n); };
    return {usbPort(tty(0), serial, bus, 0, product), usbPort(tty(1), serial, bus, 1, product)};
}

PortList operator+(PortList a, const PortList& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A sysfs tree laid out as the kernel lays it out, in a temporary folder.
class FakeSysfs {
  public:
    QString root() const { return dir.path(); }

    // An ACM port is its USB interface; a usb-serial port hangs below it.
    void addUsbPort(const QString& tty, int interface, bool acm) {
        const QString device = root() + "/devices/pci0000:00/usb1/1-1.2";
        write(device + "/idVendor", "0403");
        write(device + "/idProduct", "6010");
        write(device + "/product", "Dual Bridge");
        write(device + "/serial", "S1");
        const QString usbInterface = device + "/1-1.2:1." + QString::number(interface);
        write(usbInterface + "/bInterfaceNumber", QString::asprintf("%02x", interface));
        if (!acm) {
            write(usbInterface + '/' + tty + "/latency_timer", "16");
        }
        link(tty, acm ? usbInterface : usbInterface + '/' + tty);
    }
    void addPlatformPort(const QString& tty) {
        QDir().mkpath(root() + "/devices/platform/serial8250/" + tty);
        link(tty, root() + "/devices/platform/serial8250/" + tty);
    }
    // A virtual console: a tty with no device behind it.
    void addVirtualTty(const QString& tty) { QDir().mkpath(root() + "/class/tty/" + tty); }

  private:
    static void write(const QString& path, const QString& text) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8() + '\n');
    }
    void link(const QString& tty, const QString& target) {
        QDir().mkpath(root() + "/class/tty/" + tty);
        QVERIFY(QFile::link(target, root() + "/class/tty/" + tty + "/device"));
    }

    QTemporaryDir dir;
};

}  // namespace

class SerialListingTest : public QObject {
    Q_OBJECT

  private slots:
    void sysfsFactsOfUsbSerialAndAcmPorts();
    void pairing_data();
    void pairing();
    void backendListsTreeAndGivenPathsOnce();
};

void SerialListingTest::sysfsFactsOfUsbSerialAndAcmPorts() {
    FakeSysfs tree;
    tree.addUsbPort("ttyUSB0", 1, false);
    tree.addUsbPort("ttyACM0", 2, true);
    QStringList facts;
    for (const PortFacts& port : sysfs::serialPorts(tree.root())) {
        QVERIFY(port.usb);
        facts << QString::asprintf(
            "%s %04x:%04x %s %s %d %s latency:%d", qPrintable(port.systemLocation),
            port.usb->vendorId, port.usb->productId, qPrintable(port.usb->serialNumber),
            qPrintable(port.usb->busPath), port.usb->interfaceNumber, qPrintable(port.usb->product),
            !sysfs::latencyTimerPath(tree.root(), port.portName).isEmpty());
    }
    facts.sort();
    QCOMPARE(facts, QStringList({"/dev/ttyACM0 0403:6010 S1 1-1.2 2 Dual Bridge latency:0",
                                 "/dev/ttyUSB0 0403:6010 S1 1-1.2 1 Dual Bridge latency:1"}));
}

void SerialListingTest::pairing_data() {
    QTest::addColumn<PortList>("ports");
    // "description=port name", in listing order.
    QTest::addColumn<QStringList>("listed");
    const QString long60(60, 'L');
    const QString cut42(42, 'L');
    const QString alike(47, 'N');
    QTest::newRow("one bridge, one board")
        << bridge(0, "S1", "1-1") << QStringList{"Dual Bridge A=ttyUSB0", "Dual Bridge B=ttyUSB1"};
    QTest::newRow("channel A is the lowest interface")
        << PortList{usbPort("ttyUSB0", "S1", "1-1", 1, "X"),
                    usbPort("ttyUSB1", "S1", "1-1", 0, "X")}
        << QStringList{"X A=ttyUSB1", "X B=ttyUSB0"};
    QTest::newRow("two of one model by serial number")
        << bridge(0, "S2", "1-2") + bridge(2, "S1", "1-1")
        << QStringList{"Dual Bridge [S1] A=ttyUSB2", "Dual Bridge [S1] B=ttyUSB3",
                       "Dual Bridge [S2] A=ttyUSB0", "Dual Bridge [S2] B=ttyUSB1"};
    QTest::newRow("serial number shared or missing: by bus path")
        << bridge(0, "S1", "1-1") + bridge(2, "S1", "1-2") + bridge(4, "", "1-3") +
               bridge(6, "", "1-4") + bridge(8, "S3", "1-5")
        << QStringList{"Dual Bridge [1-1] A=ttyUSB0", "Dual Bridge [1-1] B=ttyUSB1",
                       "Dual Bridge [1-2] A=ttyUSB2", "Dual Bridge [1-2] B=ttyUSB3",
                       "Dual Bridge [1-3] A=ttyUSB4", "Dual Bridge [1-3] B=ttyUSB5",
                       "Dual Bridge [1-4] A=ttyUSB6", "Dual Bridge [1-4] B=ttyUSB7",
                       "Dual Bridge [S3] A=ttyUSB8",  "Dual Bridge [S3] B=ttyUSB9"};
    QTest::newRow("sorted by name, then channel")
        << bridge(0, "S1", "1-1", "X 1") + bridge(2, "S2", "1-2", "X")
        << QStringList{"X A=ttyUSB2", "X B=ttyUSB3", "X 1 A=ttyUSB0", "X 1 B=ttyUSB1"};
    QTest::newRow("lone interface and other ports: channel A only")
        << PortList{usbPort("ttyUSB3", "S1", "1-1", 0, "Cable"),
                    {"/dev/ttyS0", "ttyS0", {}},
                    {"/dev/pts/5", "/dev/pts/5", {}}}
        << QStringList{"/dev/pts/5 A=/dev/pts/5", "/dev/ttyS0 A=ttyS0",
                       "Cable [ttyUSB3] A=ttyUSB3"};
    QTest::newRow("nameless device by its ids")
        << bridge(0, "S1", "1-1", "")
        << QStringList{"USB 0403:6010 A=ttyUSB0", "USB 0403:6010 B=ttyUSB1"};
    QTest::newRow("long name cut to 49 with its suffix")
        << bridge(0, "S1", "1-1", long60)
        << QStringList{QString(47, 'L') + " A=ttyUSB0", QString(47, 'L') + " B=ttyUSB1"};
    QTest::newRow("the cut falls on the name, not the tag")
        << bridge(0, "S1", "1-1", long60) + bridge(2, "S2", "1-2", long60)
        << QStringList{cut42 + " [S1] A=ttyUSB0", cut42 + " [S1] B=ttyUSB1",
                       cut42 + " [S2] A=ttyUSB2", cut42 + " [S2] B=ttyUSB3"};
    QTest::newRow("names alike in all that fits are told apart")
        << bridge(0, "S1", "1-1", alike + "1") + bridge(2, "S2", "1-2", alike + "2")
        << QStringList{alike.left(42) + " [S1] A=ttyUSB0", alike.left(42) + " [S1] B=ttyUSB1",
                       alike.left(42) + " [S2] A=ttyUSB2", alike.left(42) + " [S2] B=ttyUSB3"};
}

void SerialListingTest::pairing() {
    QFETCH(PortList, ports);
    QStringList listed;
    for (const ListedChannel& channel : pairPorts(ports)) {
        listed << QString::fromStdString(channel.description) + '=' + channel.port.portName;
    }
    QTEST(listed, "listed");
}

void SerialListingTest::backendListsTreeAndGivenPathsOnce() {
    FakeSysfs tree;
    tree.addUsbPort("ttyUSB0", 1, false);
    tree.addUsbPort("ttyUSB1", 0, false);
    tree.addPlatformPort("ttyS0");
    tree.addVirtualTty("tty1");
    SerialBackend backend({"/dev/pts/77", "/dev/ttyS0", "/dev/pts/77"}, tree.root());
    std::uint32_t count = 0;
    QCOMPARE(backend.deviceCount(count), hx::Ok);
    QStringList descriptions;
    std::string description;
    for (std::uint32_t i = 0; backend.deviceDescription(i, description) == hx::Ok; ++i) {
        descriptions << QString::fromStdString(description);
    }
    QCOMPARE(descriptions,
             QStringList({"/dev/pts/77 A", "/dev/ttyS0 A", "Dual Bridge A", "Dual Bridge B"}));
    QCOMPARE(count, 4u);
    std::unique_ptr<BridgeChannel> channel;
    QCOMPARE(backend.open("Dual Bridge C", channel), hx::DeviceNotFound);
}

QTEST_GUILESS_MAIN(SerialListingTest)
#include "tst_serial_listing.moc"
