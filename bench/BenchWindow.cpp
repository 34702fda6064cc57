#include "BenchWindow.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "Form1Ui.h"

void useOffscreenUnlessPlatformChosen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

BenchWindow::BenchWindow(const char* boardName, std::shared_ptr<DriverBackend> listedFirst)
    : backend(std::make_shared<SimBackend>(clock)),
      meter(std::make_shared<MeteredBackend>(backend)) {
    if (listedFirst) {
        drivers.registry().install(std::move(listedFirst));
    }
    drivers.registry().install(meter);
    window = std::make_unique<TForm1>(clock, dialogs);
    window->show();
    choose(boardName);
}

void BenchWindow::choose(const char* boardName) {
    QComboBox& chooser = *form().ComboBox1;
    chooser.showPopup();
    chooser.setCurrentIndex(chooser.findText(QString::fromLatin1(boardName)));
    chooser.hidePopup();
}

void BenchWindow::setTerminalRate(std::uint32_t baudRate) {
    form().ComboBox2->setEditText(QString::number(baudRate));
    QTest::mouseClick(form().Button3, Qt::LeftButton);
}
