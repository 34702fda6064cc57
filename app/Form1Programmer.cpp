// The Programmer Mode page's handlers: thin slots over the programmer.
#include <QPushButton>

#include "Form1Ui.h"
#include "Programmer.h"
#include "TForm1.h"

void TForm1::connectProgrammerHandlers() {
    Ui::Form1& f = *ui;
    ProgrammerWidgets widgets;
    widgets.window = this;
    widgets.ComboBox1 = f.ComboBox1;
    widgets.Memo1 = f.Memo1;
    widgets.Label2 = f.Label2;
    widgets.Edit1 = f.Edit1;
    widgets.Button1 = f.Button1;
    widgets.Button2 = f.Button2;
    widgets.ProgressBar1 = f.ProgressBar1;
    programmer = std::make_unique<Programmer>(widgets, *deviceLink, windowDialogs, windowClock,
                                              modeFlags, *this);
    connect(f.Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(f.Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
}

void TForm1::Button1Click() {
    programmer->Button1Click();
}

void TForm1::Button2Click() {
    programmer->Button2Click();
}
