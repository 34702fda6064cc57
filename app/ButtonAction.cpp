#include "ButtonAction.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QTabWidget>

ButtonAction::ButtonAction(QAction& action, QAbstractButton& button)
    : QObject(&action), action(action), button(button) {
    action.setEnabled(button.isEnabled());
    button.installEventFilter(this);
    connect(&action, &QAction::triggered, this, &ButtonAction::trigger);
}

bool ButtonAction::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        action.setEnabled(button.isEnabled());
    }
    return QObject::eventFilter(watched, event);
}

void ButtonAction::trigger() {
    // A page sits in its tab widget's stack, whose parent is the tab widget.
    for (QWidget* w = &button; w->parentWidget() != nullptr; w = w->parentWidget()) {
        QWidget* stack = w->parentWidget();
        if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget())) {
            tabs->setCurrentWidget(w);
        }
    }
    button.click();
}
