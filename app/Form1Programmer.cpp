// The Programmer Mode page's handlers: thin slots over the programmer.
#include <QPushButton>

#include "Form1Ui.h"
#include "Programmer.h"
#include "ProgrammerPageView.h"
#include "StatusRelay.h"
#include "TForm1.h"

void TForm1::connectProgrammerHandlers() {
    Ui::Form1& f = *ui;
    programmerView = std::make_unique<ProgrammerPageView>(*this, f, *statusRelay);
    programmer = std::make_unique<Programmer>(*programmerView, *deviceLink, windowDialogs,
                                              windowClock, modeFlags, *this);
    connect(f.Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(f.Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
}

void TForm1::Button1Click() {
    programmer->Button1Click();
}

void TForm1::Button2Click() {
    programmer->Button2Click();
}
