#include "ProgrammerPageView.h"

#include "Form1Ui.h"
#include "StatusRelay.h"

ProgrammerPageView::ProgrammerPageView(QWidget& window, Ui::Form1& form, StatusRelay& status)
    : window(window), form(form), status(status) {}

QString ProgrammerPageView::chosenBoard() const {
    return form.ComboBox1->currentText();
}

QString ProgrammerPageView::sourcePath() const {
    return form.Edit1->text();
}

void ProgrammerPageView::setSourcePath(const QString& path) {
    form.Edit1->setText(path);
}

void ProgrammerPageView::clearLog() {
    form.Memo1->clear();
}

void ProgrammerPageView::addLogLine(const QString& line) {
    form.Memo1->appendPlainText(line);
}

void ProgrammerPageView::startProgress(int maximum, int runEnd, const QString& caption) {
    form.ProgressBar1->setRange(0, maximum);
    form.ProgressBar1->setValue(0);
    form.ProgressBar1->show();
    form.Label2->setText(caption);
    progressWhole = runEnd;
    status.startProgress(QStringLiteral("Flash"));
    status.showProgress(0, static_cast<std::uint64_t>(runEnd));
    status.linkChanged();
}

void ProgrammerPageView::setProgress(int value) {
    form.ProgressBar1->setValue(value);
    status.showProgress(static_cast<std::uint64_t>(value),
                        static_cast<std::uint64_t>(progressWhole));
}

void ProgrammerPageView::hideProgress() {
    form.ProgressBar1->hide();
    status.endProgress();
    status.linkChanged();
}

void ProgrammerPageView::setControlEnabled(Control control, bool enabled) {
    switch (control) {
        case Control::BoardChoice:
            form.ComboBox1->setEnabled(enabled);
            break;
        case Control::SelectFile:
            form.Button1->setEnabled(enabled);
            break;
        case Control::Program:
            form.Button2->setEnabled(enabled);
            break;
    }
}

void ProgrammerPageView::paintProgressNow() {
    form.ProgressBar1->repaint();
}

void ProgrammerPageView::paintAllNow() {
    window.repaint();
}
