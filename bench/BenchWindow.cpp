#include "BenchWindow.h"

#include <QComboBox>

#include "DriverRegistry.h"
#include "Form1Ui.h"

BenchWindow::BenchWindow(const char* boardName) : backend(std::make_shared<SimBackend>(clock)) {
    DriverRegistry::instance().install(backend);
    window = std::make_unique<TForm1>(clock, dialogs);
    window->show();
    QComboBox& chooser = *form().ComboBox1;
    chooser.showPopup();
    chooser.setCurrentIndex(chooser.findText(QString::fromLatin1(boardName)));
    chooser.hidePopup();
}
