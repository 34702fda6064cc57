// The window's settings from one run to the next: each remembered control
// comes back as a user left it, through the same handlers as the user's
// choice, and one whose value no longer fits keeps its start value; so do the
// file dialogs' folders.
#include <QMetaProperty>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "DeviceLink.h"
#include "EvalBoard.h"
#include "Form1Ui.h"
#include "QtDialogs.h"
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
        WindowSettings::save(first.window(), dialogs, settings);
    }
    WindowFixture next;
    QWidget& c = *next.window().findChild<QWidget*>(name);
    const QVariant start = c.property(remembered(c));
    QSettings settings(path(), QSettings::IniFormat);
    QtDialogs dialogs;
    WindowSettings::restore(next.window(), dialogs, settings);
    QCOMPARE(c.property(remembered(c)), fits ? value : start);
    QCOMPARE(dialogs.lastFolders(), (QtDialogs::Folders{{open, dir.path()}}));
    // A chosen board switches the modes' controls on, and nothing starts.
    QCOMPARE(next.form().Button6->isEnabled(), !next.form().ComboBox1->currentText().isEmpty());
    const DeviceLink& link = next.window().link();
    QVERIFY(!link.ChannelAOpen && !link.ChannelBOpen && next.evalBoard().lineHistory().empty());
    QCOMPARE(next.dialogs.errors + next.dialogs.informations, QStringList());
}

QTEST_MAIN(WindowSettingsTest)
#include "tst_window_settings.moc"
