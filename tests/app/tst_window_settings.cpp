// The window's settings from one run to the next: each remembered control
// comes back as a user left it, through the same handlers as the user's
// choice, and one whose value no longer fits keeps its start value; so do the
// file dialogs' folders, and the remote boards while they still read as boards.
#include <QMetaProperty>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "DeviceLink.h"
#include "EvalBoard.h"
#include "Form1Ui.h"
#include "QtDialogs.h"
#include "RemoteBoard.h"
#include "SimBackend.h"
#include "TForm1.h"
#include "TestFiles.h"
#include "WindowFixture.h"
#include "WindowSettings.h"

namespace {

// The property of a control that the window remembers.
const char* remembered(const QWidget& c) {
    return c.inherits("QTabWidget") ? "currentIndex" : c.metaObject()->userProperty().name();
}

}  // namespace

class WindowSettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QFile::remove(path()); }
    void choicesComeBackWhileTheyFit_data();
    void choicesComeBackWhileTheyFit();
    void remoteBoardsComeBackWhileTheyRead_data();
    void remoteBoardsComeBackWhileTheyRead();

  private:
    QString path() const { return dir.filePath(QStringLiteral("settings.conf")); }

    QTemporaryDir dir;
};

void WindowSettingsTest::choicesComeBackWhileTheyFit_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("fits");
    const QString image = dir.filePath(QStringLiteral("image.rom"));
    QVERIFY(writeFile(image, patterned(128)));
    const QList<std::tuple<const char*, QVariant, bool>> rows = {
        {"ComboBox1", QStringLiteral("Tarvik Eval Board"), true},
        {"ComboBox1", QStringLiteral("Gone"), false},
        {"ComboBox2", QStringLiteral("115200"), true},
        {"ComboBox2", QStringLiteral("250000"), true},
        {"ComboBox2", QStringLiteral("fast"), false},
        {"ComboBox3", QStringLiteral("2000000"), true},
        {"ComboBox3", QStringLiteral("3000001"), false},
        {"Edit1", image, true},
        {"Edit1", image + QStringLiteral(".gone"), false},
        {"Edit2", QStringLiteral("1024"), true},
        {"Edit2", QStringLiteral("4097"), false},
        {"Edit3", QStringLiteral("100000"), true},
        {"CheckBox1", false, true},
        {"CheckBox2", false, true},
        {"CheckBox3", false, true},
        {"CheckBox4", false, true},
        {"RadioButton9", true, true},
        {"RadioButton11", true, true},
        {"PageControl1", 0, true},
        {"PageControl2", 2, true},
    };
    for (const auto& [name, value, fits] : rows) {
        QTest::addRow("%s %s", name, qPrintable(value.toString())) << name << value << fits;
    }
}

void WindowSettingsTest::choicesComeBackWhileTheyFit() {
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    QFETCH(bool, fits);
    // Each file dialog's folder comes back too, while it exists.
    const QString open = QStringLiteral("open *.*|*.*");
    {
        // The board "Gone" is attached in this run only.
        WindowFixture first;
        first.addScriptedBackend({"Gone A", "Gone B"});
        QWidget& c = *first.window().findChild<QWidget*>(name);
        QVERIFY(c.objectName() == "ComboBox1" ? first.pickBoard(value.toString())
                                              : c.setProperty(remembered(c), value));
        QtDialogs dialogs;
        dialogs.setLastFolders({{open, dir.path()}, {QStringLiteral("save "), path() + "/gone"}});
        QSettings settings(path(), QSettings::IniFormat);
        WindowSettings::save(first.window(), dialogs, first.remoteBoards(), settings);
    }
    WindowFixture next;
    QWidget& c = *next.window().findChild<QWidget*>(name);
    const QVariant start = c.property(remembered(c));
    QSettings settings(path(), QSettings::IniFormat);
    QtDialogs dialogs;
    WindowSettings::restore(next.window(), dialogs, next.remoteBoards(), settings);
    QCOMPARE(c.property(remembered(c)), fits ? value : start);
    QCOMPARE(dialogs.lastFolders(), (QtDialogs::Folders{{open, dir.path()}}));
    // A chosen board switches the modes' controls on, and nothing starts.
    QCOMPARE(next.form().Button6->isEnabled(), !next.form().ComboBox1->currentText().isEmpty());
    const DeviceLink& link = next.window().link();
    QVERIFY(!link.ChannelAOpen && !link.ChannelBOpen && next.evalBoard().lineHistory().empty());
    QCOMPARE(next.dialogs.errors + next.dialogs.informations, QStringList());
}

void WindowSettingsTest::remoteBoardsComeBackWhileTheyRead_data() {
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("restored");
    const QString rack = QStringLiteral("Rack=rack.invalid:7001,rack.invalid:7002");
    const QString bench = QStringLiteral("Bench=[::1]:7003");
    QTest::newRow("listed") << QStringList{rack, bench} << QString() << QStringList{rack, bench};
    QTest::newRow("chosen") << QStringList{rack} << QStringLiteral("Rack") << QStringList{rack};
    QTest::newRow("bad port dropped") << QStringList{QStringLiteral("Old=rack.invalid:70000"), rack}
                                      << QString() << QStringList{rack};
    QTest::newRow("name taken since dropped")
        << QStringList{QStringLiteral("Tarvik Eval Board=rack.invalid:7001")} << QString()
        << QStringList();
}

// Written as an earlier run left them; restored before the chosen board.
void WindowSettingsTest::remoteBoardsComeBackWhileTheyRead() {
    QFETCH(QStringList, stored);
    QFETCH(QString, chosen);
    QFETCH(QStringList, restored);
    QSettings settings(path(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("remote/boards"), stored);
    settings.setValue(QStringLiteral("window/board"), chosen);
    WindowFixture next;
    QtDialogs dialogs;
    WindowSettings::restore(next.window(), dialogs, next.remoteBoards(), settings);
    QCOMPARE(next.form().ComboBox1->currentText(), chosen);
    QStringList listed = {QLatin1String(SimBackend::EvalBoardName),
                          QLatin1String(SimBackend::SpyBoardName)};
    for (const RemoteBoard& board : ParseRemoteBoards(restored).boards) {
        listed << board.name;
    }
    QCOMPARE(next.listedBoards(), listed);
    WindowSettings::save(next.window(), dialogs, next.remoteBoards(), settings);
    QCOMPARE(settings.value(QStringLiteral("remote/boards")).toStringList(), restored);
    QVERIFY(!next.window().link().ChannelAOpen && !next.window().link().ChannelBOpen);
}

QTEST_MAIN(WindowSettingsTest)
#include "tst_window_settings.moc"
