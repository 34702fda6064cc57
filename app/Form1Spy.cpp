// The Spy Mode page's handlers: thin slots over the spy capture.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "Form1Ui.h"
#include "PaneTee.h"
#include "PaneWriter.h"
#include "SpyCapture.h"
#include "SpyPageView.h"
#include "StatusRelay.h"
#include "TForm1.h"

void TForm1::connectSpyHandlers() {
    Ui::Form1& f = *ui;
    // At 3,000,000 baud each pane takes its 4000 lines several times a
    // second: its emptying shows with the lines that follow it.
    constexpr auto emptying = PaneWriter::Emptying::WithNextLines;
    spyAsciiPane =
        std::make_unique<PaneWriter>(*f.RichEdit1, windowClock, PaneWriter::Unbounded, emptying);
    spyHexPane =
        std::make_unique<PaneWriter>(*f.RichEdit2, windowClock, PaneWriter::Unbounded, emptying);
    spyAsciiTee = std::make_unique<PaneTee>(*spyAsciiPane);
    spyHexTee = std::make_unique<PaneTee>(*spyHexPane);
    spyView = std::make_unique<SpyPageView>(f, *statusRelay);
    spyCapture = std::make_unique<SpyCapture>(
        SpyCapture::Services{*deviceLink, modeFlags, *this, windowClock}, *spyView, *spyAsciiTee,
        *spyHexTee);

    connect(f.Button10, &QPushButton::clicked, this, &TForm1::Button10Click);
    connect(f.Button11, &QPushButton::clicked, this, &TForm1::Button11Click);
    connect(f.Button12, &QPushButton::clicked, this, &TForm1::Button12Click);
    connect(f.Button15, &QPushButton::clicked, this, &TForm1::Button15Click);
    // The options follow their controls however they change: by the user,
    // or by the command decoder when it sees the link switch.
    connect(f.CheckBox4, &QCheckBox::toggled, this, &TForm1::CheckBox4Click);
    connect(f.RadioButton8, &QRadioButton::toggled, this, &TForm1::RadioButton8Click);
    connect(f.RadioButton9, &QRadioButton::toggled, this, &TForm1::RadioButton9Click);
    connect(f.RadioButton10, &QRadioButton::toggled, this, &TForm1::RadioButton10Click);
    connect(f.RadioButton11, &QRadioButton::toggled, this, &TForm1::RadioButton11Click);
    spyCapture->RefreshSpyOptions();
}

void TForm1::copySpyPanes(PaneLines* ascii, PaneLines* hex) {
    spyAsciiTee->attach(ascii);
    spyHexTee->attach(hex);
}

void TForm1::RefreshSpyOptions() {
    spyCapture->RefreshSpyOptions();
}

void TForm1::Button10Click() {
    spyCapture->open();
}

void TForm1::Button11Click() {
    spyCapture->close();
}

void TForm1::Button12Click() {
    spyCapture->ApplySpyPortSettings();
    statusRelay->linkChanged();
}

void TForm1::Button15Click() {
    spyCapture->clearWindows();
}

void TForm1::CheckBox4Click() {
    RefreshSpyOptions();
}

void TForm1::RadioButton8Click() {
    RefreshSpyOptions();
}

void TForm1::RadioButton9Click() {
    RefreshSpyOptions();
}

void TForm1::RadioButton10Click() {
    RefreshSpyOptions();
}

void TForm1::RadioButton11Click() {
    RefreshSpyOptions();
}
