#include <QApplication>
#include <memory>

#include "DriverRegistry.h"
#include "QtDialogs.h"
#include "SimBackend.h"
#include "SystemClock.h"
#include "TForm1.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    SystemClock clock;
    DriverRegistry::instance().install(std::make_shared<SimBackend>(clock));
    QtDialogs dialogs;
    TForm1 window(clock, dialogs);
    dialogs.attachWindow(&window);
    window.show();
    return QApplication::exec();
}
