#pragma once

#include <QKeyEvent>
#include <QPainter>
#include <QWidget>

// The keys that work a clickable field without a mouse, and the frame that shows which field
// has the keyboard.
namespace FieldKeys {

// Enter, Return or Space, with no modifier but the keypad's: what a click does.
inline bool activates(const QKeyEvent& event) {
    if (event.modifiers() & ~Qt::KeypadModifier)
        return false;
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter ||
           event.key() == Qt::Key_Space;
}

// F1: what a click on the field's label does.
inline bool asksHelp(const QKeyEvent& event) {
    return event.key() == Qt::Key_F1 && event.modifiers() == Qt::NoModifier;
}

// A frame in the highlight colour, drawn over the widget's edge while it has the focus: the
// styles draw none around read-only fields.
inline void paintFocusFrame(QWidget& surface, const QWidget& focused) {
    if (!focused.hasFocus())
        return;
    QPainter painter(&surface);
    painter.setPen(QPen(focused.palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(surface.rect()).adjusted(1, 1, -1, -1));
}

} // namespace FieldKeys
