// A whole programming run with no window and no widgets: the programmer over
// the simulated board, its log kept as lines.
#include <QTemporaryFile>

#include "../sim/SimRig.h"
#include "ControlGroups.h"
#include "DeviceLink.h"
#include "ModeFlags.h"
#include "Programmer.h"
#include "ScriptedDialogs.h"

class LoggedView : public ProgrammerView {
  public:
    QString chosenBoard() const override { return QString::fromLatin1(SimBackend::EvalBoardName); }
    QString sourcePath() const override { return path; }
    void setSourcePath(const QString& chosen) override { path = chosen; }
    void clearLog() override { lines.clear(); }
    void addLogLine(const QString& line) override { lines << line; }
    void startProgress(int, int, const QString&) override {}
    void setProgress(int) override {}
    void hideProgress() override {}
    void setControlEnabled(Control, bool) override {}
    void paintProgressNow() override {}
    void paintAllNow() override {}

    QString path;
    QStringList lines;
};

class HeadlessProgrammerTest : public QObject {
    Q_OBJECT

  private slots:
    void flashesTheImage();
};

void HeadlessProgrammerTest::flashesTheImage() {
    SimRig rig;
    // Three blocks, none of them like another.
    const QByteArray image = QByteArray("Tarvik without a window ").repeated(13);
    QTemporaryFile rom;
    QVERIFY(rom.open() && rom.write(image) == image.size() && rom.flush());
    ScriptedDialogs dialogs;
    const auto link = std::make_unique<DeviceLink>(dialogs);
    ModeFlags flags;
    LoggedView view;
    view.path = rom.fileName();
    NoControlGroups groups;
    Programmer(view, *link, dialogs, rig.clock, flags, groups).Button2Click();
    QCOMPARE(view.lines.last(), QStringLiteral("Complete"));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(rig.eval().flash().data()), image.size()),
             image);
}

QTEST_GUILESS_MAIN(HeadlessProgrammerTest)
#include "tst_programmer_headless.moc"
