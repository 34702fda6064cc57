#include "ProgrammerPageView.h"

#include "Form1Ui.h"

ProgrammerPageView::ProgrammerPageView(QWidget& window, Ui::Form1& form)
    : window(window), form(form) {}

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

void ProgrammerPageView::startProgress(int maximum, const QString& caption) {
    form.ProgressBar1->setRange(0, maximum);
    form.ProgressBar1->setValue(0);
    form.ProgressBar1->show();
    form.Label2->setText(caption);
}

void ProgrammerPageView::setProgress(int value) {
    form.ProgressBar1->setValue(value);
}

void ProgrammerPageView::hideProgress() {
    form.ProgressBar1->hide();
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
