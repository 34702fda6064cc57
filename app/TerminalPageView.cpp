#include "TerminalPageView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "Form1Ui.h"
#include "StatusRelay.h"

TerminalPageView::TerminalPageView(Ui::Form1& form, const std::vector<QWidget*>& terminalControls,
                                   StatusRelay& status)
    : f(form), terminalControls(terminalControls), status(status) {}

QString TerminalPageView::chosenBoard() const {
    return f.ComboBox1->currentText();
}

QString TerminalPageView::baudRateText() const {
    return f.ComboBox2->currentText();
}

bool TerminalPageView::commandModeChosen() const {
    return f.RadioButton3->isChecked();
}

void TerminalPageView::showBaudRate(std::uint32_t baudRate) {
    f.ComboBox2->setEditText(QString::number(baudRate));
}

void TerminalPageView::showOpening() {
    f.Button6->setEnabled(false);
    f.Button7->setEnabled(true);
    f.ComboBox1->setEnabled(false);
}

void TerminalPageView::showOpen() {
    f.RadioButton7->setEnabled(true);
    f.Button4->setEnabled(false);
    f.GroupBox1->setEnabled(true);
    f.GroupBox2->setEnabled(true);
    status.linkChanged();
}

void TerminalPageView::showClosed() {
    f.Button6->setEnabled(true);
    f.Button7->setEnabled(false);
    f.ComboBox1->setEnabled(true);
    f.RadioButton7->setEnabled(false);
    f.Button4->setEnabled(false);
    f.GroupBox1->setEnabled(false);
    f.GroupBox2->setEnabled(false);
    status.linkChanged();
}

void TerminalPageView::showSuspended() {
    f.Button4->setEnabled(true);
    f.RadioButton7->setEnabled(false);
}

void TerminalPageView::showResumed() {
    f.RadioButton7->setEnabled(true);
    f.Button4->setEnabled(false);
}

void TerminalPageView::selectRun() {
    f.RadioButton2->setChecked(true);
}

void TerminalPageView::selectRtsEnabled() {
    f.RadioButton5->setChecked(true);
}

bool TerminalPageView::dataModeChosen() const {
    return f.RadioButton4->isChecked();
}

bool TerminalPageView::wholeFileWrites() const {
    return f.CheckBox1->isChecked();
}

QString TerminalPageView::writeBlockText() const {
    return f.Edit2->text();
}

bool TerminalPageView::wholeFileReads() const {
    return f.CheckBox2->isChecked();
}

QString TerminalPageView::readBlockText() const {
    return f.Edit3->text();
}

// The job as the status bar names it, shortly: the two pages' buttons share
// captions.
QString TerminalPageView::jobName(StopButton button) {
    switch (button) {
        case StopButton::SendFile:
            return QStringLiteral("Disk send");
        case StopButton::ReceiveRd:
            return QStringLiteral("Disk receive (RD)");
        case StopButton::ReceiveRdf:
            return QStringLiteral("Disk receive (OPR/RDF)");
        case StopButton::SlaveSend:
            return QStringLiteral("Slave send");
        case StopButton::SlaveReceive:
            break;
    }
    return QStringLiteral("Slave receive");
}

QPushButton& TerminalPageView::buttonOf(StopButton button) const {
    switch (button) {
        case StopButton::SendFile:
            return *f.Button5;
        case StopButton::ReceiveRd:
            return *f.Button8;
        case StopButton::ReceiveRdf:
            return *f.Button9;
        case StopButton::SlaveSend:
            return *f.Button13;
        case StopButton::SlaveReceive:
            break;
    }
    return *f.Button14;
}

void TerminalPageView::lockForTransfer(StopButton button, const QString& caption) {
    savedStates.clear();
    for (QWidget* control : terminalControls) {
        if (qobject_cast<QLabel*>(control) || qobject_cast<QProgressBar*>(control)) {
            continue;
        }
        savedStates.emplace_back(control, control->isEnabled());
        control->setEnabled(false);
    }
    stopButton = &buttonOf(button);
    restingCaption = stopButton->text();
    status.startProgress(jobName(button));
    stopButton->setText(caption);
    stopButton->setEnabled(true);
}

void TerminalPageView::unlockAfterTransfer() {
    status.endProgress();
    if (stopButton != nullptr) {
        stopButton->setText(restingCaption);
        stopButton = nullptr;
    }
    for (const auto& [control, enabled] : savedStates) {
        control->setEnabled(enabled);
    }
    savedStates.clear();
}

void TerminalPageView::showSlaveProgress(int percent) {
    f.ProgressBar2->setValue(percent);
}

void TerminalPageView::showSlaveThroughput(const QString& figure) {
    f.Label22->setText(figure);
}

void TerminalPageView::showSlaveStatus(const QString& text) {
    f.Label23->setText(text);
}

void TerminalPageView::showCopyProgress(std::uint64_t done, std::uint64_t total) {
    status.showProgress(done, total);
}

void TerminalPageView::showSlaveSendProgress(std::uint64_t done, std::uint64_t total) {
    status.showProgress(done, total);
}

void TerminalPageView::showSlaveReceiveProgress(std::uint64_t received) {
    status.showProgress(received, std::nullopt);
}
