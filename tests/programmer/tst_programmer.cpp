// Programmer Mode end to end: a user picks the simulated board, selects a ROM
// file and presses Program; the tests look at the board's flash, what each
// channel received, the chip's lines and the window.
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include "DeviceLink.h"
#include "EvalBoard.h"
#include "Form1Ui.h"
#include "SimBackend.h"
#include "TForm1.h"
#include "TestFiles.h"
#include "WindowFixture.h"

namespace {

const QString Reprogrammed = QStringLiteral("TarvikL-1A Flash reprogrammed.");
const QString SyncFailed = QStringLiteral("ERROR : failed to Sync to Tarvik");

// Varies within and between blocks, and holds 0xFF only now and then, so a
// block at a wrong address or an unwritten one shows.
QByteArray patternedImage(int size) {
    return patterned(size, 7, 128);
}

QByteArray flashContent(const EvalBoard& board) {
    return QByteArray(reinterpret_cast<const char*>(board.flash().data()),
                      static_cast<qsizetype>(board.flash().size()));
}

}  // namespace

class ProgrammerTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void selectFileFillsTheSourceField();
    void cancelledSelectionLeavesTheField();

    void flashesTheImage_data();
    void flashesTheImage();
    void bootLoaderEntryAndResetOnChannelB();
    void otherModesAreLockedOutWhileProgramming();

    void syncFailureTouchesNoBlock();
    void missingChoiceIsTheOnlyLine_data();
    void missingChoiceIsTheOnlyLine();
    void openChannelIsUsedWithoutReopening_data();
    void openChannelIsUsedWithoutReopening();
    void unlistedBoardOpensNothing();

    void silentBootLoaderEndsTheRunCleanly();
    void unsendableFilesAreRefusedBeforeTheChipIsTouched_data();
    void unsendableFilesAreRefusedBeforeTheChipIsTouched();

  private:
    QString writeRom(const QByteArray& image, const QString& name = QStringLiteral("image.rom"));
    void selectFile(const QString& path);
    void pressProgram();
    QStringList log() const;
    QStringList runStart(const QString& path) const;
    QList<quint32> blockAddresses() const;
    int dataWrites() const;
    void verifyEndedCleanly();

    std::unique_ptr<WindowFixture> fixture;
    std::unique_ptr<QTemporaryDir> files;
};

void ProgrammerTest::init() {
    fixture = std::make_unique<WindowFixture>();
    files = std::make_unique<QTemporaryDir>();
    QVERIFY(files->isValid());
    fixture->form().PageControl1->setCurrentWidget(fixture->form().TabSheet1);
    QVERIFY(fixture->pickEvalBoard());
}

void ProgrammerTest::cleanup() {
    fixture.reset();
    files.reset();
}

QString ProgrammerTest::writeRom(const QByteArray& image, const QString& name) {
    const QString path = files->filePath(name);
    if (!writeFile(path, image)) {
        qFatal("cannot write the test image");
    }
    return path;
}

void ProgrammerTest::selectFile(const QString& path) {
    fixture->dialogs.answerOpen(path);
    QTest::mouseClick(fixture->form().Button1, Qt::LeftButton);
}

void ProgrammerTest::pressProgram() {
    QTest::mouseClick(fixture->form().Button2, Qt::LeftButton);
}

QStringList ProgrammerTest::log() const {
    return fixture->form().Memo1->toPlainText().split(QLatin1Char('\n'));
}

QStringList ProgrammerTest::runStart(const QString& path) const {
    return {QStringLiteral("Using Device : Tarvik Eval Board"),
            QStringLiteral("Using Source File : ") + path};
}

QList<quint32> ProgrammerTest::blockAddresses() const {
    QList<quint32> addresses;
    for (const QByteArray& write : fixture->evalBoard().writes(ChannelId::A)) {
        if (write.size() == 4 && write[0] == '\x03' && write[3] == '\x80') {
            addresses << (static_cast<quint8>(write[1]) | static_cast<quint8>(write[2]) << 8);
        }
    }
    return addresses;
}

int ProgrammerTest::dataWrites() const {
    int count = 0;
    for (const QByteArray& write : fixture->evalBoard().writes(ChannelId::A)) {
        count += write.size() == 64 ? 1 : 0;
    }
    return count;
}

// Whatever happened, a run gives back the board and the window.
void ProgrammerTest::verifyEndedCleanly() {
    EvalBoard& board = fixture->evalBoard();
    DeviceLink& link = fixture->window().link();
    QVERIFY(!board.isOpen(ChannelId::A));
    QVERIFY(!board.isOpen(ChannelId::B));
    QVERIFY(!link.ChannelAOpen);
    QVERIFY(!link.ChannelBOpen);
    QVERIFY(!fixture->window().flags().ProgrammingBusy);
    Ui::Form1& f = fixture->form();
    QVERIFY(f.Button1->isEnabled());
    QVERIFY(f.Button2->isEnabled());
    QVERIFY(f.ComboBox1->isEnabled());
    QVERIFY(f.Button6->isEnabled());
    QVERIFY(!f.Button7->isEnabled());
    QVERIFY(f.Button10->isEnabled());
    QVERIFY(!f.Button11->isEnabled());
    QVERIFY(!f.ProgressBar1->isVisible());
}

void ProgrammerTest::selectFileFillsTheSourceField() {
    const QString path = writeRom(patternedImage(10));
    selectFile(path);
    QCOMPARE(fixture->form().Edit1->text(), path);
    QCOMPARE(fixture->dialogs.openFilters,
             QStringList{QStringLiteral("*.ROM|*.ROM|Any File (*.*)|*.*")});
}

void ProgrammerTest::cancelledSelectionLeavesTheField() {
    QTest::keyClicks(fixture->form().Edit1, QStringLiteral("/typed/by/hand.rom"));
    QTest::mouseClick(fixture->form().Button1, Qt::LeftButton);
    QCOMPARE(fixture->form().Edit1->text(), QStringLiteral("/typed/by/hand.rom"));
}

void ProgrammerTest::flashesTheImage_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("blocks");
    QTest::newRow("200 bytes") << 200 << 2;
    QTest::newRow("full flash") << 65536 << 512;
    QTest::newRow("empty") << 0 << 0;
}

void ProgrammerTest::flashesTheImage() {
    QFETCH(int, size);
    QFETCH(int, blocks);
    const QByteArray image = patternedImage(size);
    const QString path = writeRom(image);
    selectFile(path);
    EvalBoard& board = fixture->evalBoard();
    QString lastLineAtDialog;
    SimChip::State chipAtDialog = SimChip::State::Monitor;
    fixture->dialogs.whenInformationShown = [&] {
        lastLineAtDialog = log().last();
        chipAtDialog = board.chipState();
    };
    pressProgram();

    QCOMPARE(log(), (runStart(path) + QStringList{"Starting Comms Link", "Synchronised to Tarvik",
                                                  "Now programming Tarvik", "Complete"}));
    QCOMPARE(fixture->dialogs.informations, QStringList{Reprogrammed});
    // The message comes before "Complete", with the chip still in its boot loader.
    QCOMPARE(lastLineAtDialog, QStringLiteral("Now programming Tarvik"));
    QCOMPARE(chipAtDialog, SimChip::State::BootLoader);
    QVERIFY(fixture->dialogs.errors.isEmpty());

    QCOMPARE(flashContent(board), image + QByteArray(65536 - size, '\xFF'));
    QList<quint32> expected;
    for (int b = 0; b < blocks; ++b) {
        expected << static_cast<quint32>(b * 128);
    }
    QCOMPARE(blockAddresses(), expected);
    QCOMPARE(dataWrites(), 2 * blocks);
    QCOMPARE(board.chipBaudRate(), 1'000'000u);

    QProgressBar* bar = fixture->form().ProgressBar1;
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 65536);
    QCOMPARE(bar->value(), blocks * 128);
    QCOMPARE(fixture->form().Label2->text(), QStringLiteral("Flash Programming Progress:"));
    QCOMPARE(board.chipState(), SimChip::State::HeldInReset);
    verifyEndedCleanly();
}

void ProgrammerTest::bootLoaderEntryAndResetOnChannelB() {
    selectFile(writeRom(patternedImage(300)));
    pressProgram();
    EvalBoard& board = fixture->evalBoard();
    QCOMPARE(board.writes(ChannelId::B),
             (std::vector<QByteArray>{QByteArray("\x00", 1), QByteArray("\x04", 1),
                                      QByteArray("\x10", 1)}));
    const std::vector<BitModeCall>& modes = board.bitModeCalls(ChannelId::B);
    QCOMPARE(modes.size(), std::size_t{2});
    for (const BitModeCall& call : modes) {
        QCOMPARE(call.mask, std::uint8_t{0x94});
        QCOMPARE(call.mode, std::uint8_t{4});
    }
    // From power-up (held, program line low): released into the boot loader,
    // then held in reset with the program line high.
    const std::vector<EvalBoard::LineChange>& lines = board.lineHistory();
    QCOMPARE(lines.size(), std::size_t{2});
    QVERIFY(lines[0].reset && !lines[0].program);
    QVERIFY(!lines[1].reset && lines[1].program);
}

void ProgrammerTest::otherModesAreLockedOutWhileProgramming() {
    selectFile(writeRom(patternedImage(1024)));
    Ui::Form1& f = fixture->form();
    int checks = 0;
    connect(f.ProgressBar1, &QProgressBar::valueChanged, this, [&](int value) {
        if (value != 128) {
            return;
        }
        ++checks;
        QVERIFY(fixture->window().flags().ProgrammingBusy);
        QVERIFY(f.ProgressBar1->isVisible());
        QVERIFY(!f.ComboBox1->isEnabled());
        QVERIFY(!f.Button1->isEnabled());
        QVERIFY(!f.Button2->isEnabled());
        QVERIFY(!f.Button6->isEnabled());
        QVERIFY(!f.Button10->isEnabled());
        f.PageControl1->setCurrentWidget(f.TabSheet2);
    });
    pressProgram();
    QCOMPARE(checks, 1);
    QCOMPARE(fixture->dialogs.informations,
             (QStringList{"You must wait for programming to finish.", Reprogrammed}));
    verifyEndedCleanly();
}

// The chip echoes 0xFF but never confirms with 0xFA. (A chip silent from the
// start fails the same way: the fault matrix's programmer rows.)
void ProgrammerTest::syncFailureTouchesNoBlock() {
    EvalBoard& board = fixture->evalBoard();
    board.bootLoaderFaults().confirmSync = false;
    const QString path = writeRom(patternedImage(256));
    selectFile(path);
    const std::int64_t before = fixture->clock.peekNanoseconds();
    pressProgram();
    QVERIFY(fixture->clock.peekNanoseconds() - before >= 2'000'000'000);
    QCOMPARE(log(), (runStart(path) + QStringList{"Starting Comms Link", SyncFailed}));
    QVERIFY(blockAddresses().isEmpty());
    QCOMPARE(flashContent(board), QByteArray(65536, '\xFF'));
    QVERIFY(fixture->dialogs.informations.isEmpty());
    // Left as the boot-loader entry put it.
    QCOMPARE(board.chipState(), SimChip::State::BootLoader);
    verifyEndedCleanly();
}

void ProgrammerTest::missingChoiceIsTheOnlyLine_data() {
    QTest::addColumn<bool>("noDevice");
    QTest::addColumn<QString>("line");
    QTest::newRow("no device") << true << "ERROR : You must select a device";
    QTest::newRow("no source file") << false << "ERROR : You must select a Source File";
}

void ProgrammerTest::missingChoiceIsTheOnlyLine() {
    QFETCH(bool, noDevice);
    QFETCH(QString, line);
    Ui::Form1& f = fixture->form();
    if (noDevice) {
        selectFile(writeRom(patternedImage(10)));
        f.ComboBox1->setEditText(QString());
        // With no board named the Program button is off; the handler still
        // guards itself.
        QVERIFY(!f.Button2->isEnabled());
        fixture->window().Button2Click();
    } else {
        pressProgram();
    }
    QCOMPARE(log(), QStringList{line});
    EvalBoard& board = fixture->evalBoard();
    QVERIFY(board.writes(ChannelId::A).empty());
    QVERIFY(board.writes(ChannelId::B).empty());
    QVERIFY(board.lineHistory().empty());
    QVERIFY(fixture->dialogs.errors.isEmpty());
    QVERIFY(!fixture->window().link().ChannelAOpen);
    QVERIFY(!fixture->window().link().ChannelBOpen);
    QVERIFY(!fixture->window().flags().ProgrammingBusy);
}

void ProgrammerTest::openChannelIsUsedWithoutReopening_data() {
    QTest::addColumn<bool>("channelA");
    QTest::newRow("channel A") << true;
    QTest::newRow("channel B") << false;
}

void ProgrammerTest::openChannelIsUsedWithoutReopening() {
    QFETCH(bool, channelA);
    DeviceLink& link = fixture->window().link();
    const QString name = QString::fromLatin1(SimBackend::EvalBoardName) +
                         (channelA ? QStringLiteral(" A") : QStringLiteral(" B"));
    QVERIFY(link.FindAndOpenChannel(name));
    (channelA ? link.HandleA : link.HandleB) = link.CurrentHandle;
    (channelA ? link.ChannelAOpen : link.ChannelBOpen) = true;

    selectFile(writeRom(patternedImage(128)));
    pressProgram();
    // The board refuses a second open of an open channel, so any attempt to
    // reopen would show here as a dialog and a failed run.
    QVERIFY(fixture->dialogs.errors.isEmpty());
    QCOMPARE(log().last(), QStringLiteral("Complete"));
    QCOMPARE(blockAddresses(), QList<quint32>{0});
    verifyEndedCleanly();
}

void ProgrammerTest::unlistedBoardOpensNothing() {
    const QString path = writeRom(patternedImage(10));
    selectFile(path);
    fixture->form().ComboBox1->setEditText(QStringLiteral("Nowhere"));
    pressProgram();
    QCOMPARE(log(), (QStringList{"Using Device : Nowhere", "Using Source File : " + path,
                                 "Starting Comms Link", "Error : failed to open Nowhere B",
                                 "Error : failed to open Nowhere A"}));
    QVERIFY(fixture->evalBoard().lineHistory().empty());
    verifyEndedCleanly();
}

// The boot loader stops answering after the first block. (A refused block
// ends the run the same way: the fault matrix's "programmer, refused block".)
void ProgrammerTest::silentBootLoaderEndsTheRunCleanly() {
    EvalBoard& board = fixture->evalBoard();
    connect(fixture->form().ProgressBar1, &QProgressBar::valueChanged, this,
            [&board](int value) { board.setChipSilent(value == 128); });
    const QString path = writeRom(patternedImage(1000));
    selectFile(path);
    pressProgram();
    QCOMPARE(log(),
             (runStart(path) + QStringList{"Starting Comms Link", "Synchronised to Tarvik",
                                           "Now programming Tarvik",
                                           "ERROR : no answer from Tarvik for block at 0x0080"}));
    // A failure is never reported as success.
    QVERIFY(fixture->dialogs.informations.isEmpty());
    // A half-written flash is not left to run.
    QCOMPARE(board.chipState(), SimChip::State::HeldInReset);
    QCOMPARE(board.writes(ChannelId::B).back(), QByteArray("\x10", 1));
    verifyEndedCleanly();
}

void ProgrammerTest::unsendableFilesAreRefusedBeforeTheChipIsTouched_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("line");
    QTest::newRow("missing") << "missing"
                             << "ERROR : cannot read Source File %1";
    QTest::newRow("folder") << "folder"
                            << "ERROR : cannot read Source File %1";
    QTest::newRow("one byte over the flash")
        << "oversized"
        << "ERROR : Source File is larger than the 65536 bytes of Tarvik's flash, nothing was sent";
}

void ProgrammerTest::unsendableFilesAreRefusedBeforeTheChipIsTouched() {
    QFETCH(QString, kind);
    QFETCH(QString, line);
    QString path = files->filePath(QStringLiteral("absent.rom"));
    if (kind == QLatin1String("folder")) {
        path = files->path();
    } else if (kind == QLatin1String("oversized")) {
        path = writeRom(patternedImage(65537));
    }
    selectFile(path);
    pressProgram();
    QCOMPARE(log(), (runStart(path) +
                     QStringList{line.contains(QLatin1String("%1")) ? line.arg(path) : line}));
    EvalBoard& board = fixture->evalBoard();
    QVERIFY(board.writes(ChannelId::A).empty());
    QVERIFY(board.writes(ChannelId::B).empty());
    QVERIFY(board.lineHistory().empty());
    QVERIFY(fixture->dialogs.informations.isEmpty());
    verifyEndedCleanly();
}

QTEST_MAIN(ProgrammerTest)
#include "tst_programmer.moc"
