#include "SpyPageView.h"

#include "Form1Ui.h"
#include "StatusRelay.h"

QString SpyPageView::boardName() const {
    return f.ComboBox1->currentText();
}

QString SpyPageView::baudRateText() const {
    return f.ComboBox3->currentText();
}

bool SpyPageView::showTime() const {
    return f.CheckBox3->isChecked();
}

bool SpyPageView::trackCommands() const {
    return f.CheckBox4->isChecked();
}

bool SpyPageView::hexNumberInput() const {
    return f.RadioButton10->isChecked();
}

bool SpyPageView::extendedCommandSet() const {
    return f.RadioButton8->isChecked();
}

void SpyPageView::showCaptureRunning(bool running) {
    f.Button10->setEnabled(!running);
    f.Button11->setEnabled(running);
    status.linkChanged();
}

void SpyPageView::lockBoardChoice(bool locked) {
    f.ComboBox1->setEnabled(!locked);
}

// Checking one button unchecks its partner in the same group.
void SpyPageView::showCommandSet(bool extended) {
    (extended ? f.RadioButton8 : f.RadioButton9)->setChecked(true);
}

void SpyPageView::showNumberInput(bool hex) {
    (hex ? f.RadioButton10 : f.RadioButton11)->setChecked(true);
}

// The box is editable: a rate its list does not offer is shown all the same.
void SpyPageView::showBaudRateText(const QString& text) {
    f.ComboBox3->setCurrentText(text);
    status.linkChanged();
}
