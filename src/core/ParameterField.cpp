#include "ParameterField.h"

#include "FieldKeys.h"

#include <QMouseEvent>

ParameterField::ParameterField(const QString& name, int lines, QWidget* parent)
    : QPlainTextEdit(parent) {
    setObjectName(name);
    setReadOnly(true);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    document()->setDocumentMargin(2);
    const int lineHeight = fontMetrics().lineSpacing();
    setFixedHeight(lines * lineHeight + 8);
    setUsable(true);
}

// Every read sets every field; one that shows the value already is not laid out and painted
// again.
void ParameterField::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    setPlainText(shown);
}

void ParameterField::setUsable(bool usable) {
    setEnabled(usable);
    showPointer();
}

// The pointer always tells the truth: no-entry exactly while the field is disabled, however it
// came to be so.
void ParameterField::showPointer() {
    const Qt::CursorShape shape = isEnabled() ? Qt::ArrowCursor : Qt::ForbiddenCursor;
    viewport()->setCursor(shape);
    setCursor(shape);
}

void ParameterField::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        showPointer();
}

void ParameterField::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QPlainTextEdit::mouseReleaseEvent(event);
}

void ParameterField::keyPressEvent(QKeyEvent* event) {
    if (FieldKeys::activates(*event))
        emit clicked();
    else if (FieldKeys::asksHelp(*event))
        emit helpRequested();
    else
        QPlainTextEdit::keyPressEvent(event);
}

void ParameterField::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    FieldKeys::paintFocusFrame(*viewport(), *this);
}

// The editor repaints only its caret on a change of focus; the frame needs the whole field.
void ParameterField::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    viewport()->update();
}

void ParameterField::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    viewport()->update();
}
