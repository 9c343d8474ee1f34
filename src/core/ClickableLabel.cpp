#include "ClickableLabel.h"

#include "FieldKeys.h"

#include <QMouseEvent>

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
    if (FieldKeys::activates(*event))
        emit clicked();
    else if (FieldKeys::asksHelp(*event))
        emit helpRequested();
    else
        QLabel::keyPressEvent(event);
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    FieldKeys::paintFocusFrame(*this, *this);
}
