#include "TerminalPane.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>

TerminalPane::TerminalPane(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("txtTerm");
    setToolTip("Terminal Window to radio.");
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setUndoRedoEnabled(false);
}

// The pane stores lines ended by CR LF; the editor keeps one paragraph break per line, so
// CR LF is folded into it on the way in and restored on the way out.
static QString toEditor(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

void TerminalPane::setText(const QString& text) {
    setPlainText(toEditor(text));
}

void TerminalPane::appendText(const QString& text) {
    insertAtEnd(text, false);
}

int TerminalPane::length() const {
    // Every paragraph break stands for CR LF: two characters.
    const int characters = document()->characterCount() - 1;
    return characters + document()->blockCount() - 1;
}

void TerminalPane::dropFront(int count) {
    QString text = toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    setText(text.mid(count));
}

void TerminalPane::insertAtEnd(const QString& text, bool eraseLast) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (eraseLast && !document()->isEmpty())
        cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
    cursor.insertText(toEditor(text));
    setTextCursor(cursor);
    ensureCursorVisible();
}

// As in a terminal program: characters go to the radio, keys without one move and scroll the
// pane, Ctrl+Shift+C and Ctrl+Shift+V copy and paste, and Ctrl+Tab leaves the pane.
void TerminalPane::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool control = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    if (control && shift && event->key() == Qt::Key_C) {
        copy();
        return;
    }
    if (control && shift && event->key() == Qt::Key_V) {
        pasteToRadio();
        return;
    }
    if (control && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)) {
        QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab && !shift);
        return;
    }
    QString character = event->text();
    // Ctrl with a letter is that letter's control character (Ctrl+C is 3), whatever the
    // platform put into the event's text.
    if (control && !shift && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        character = QChar(event->key() - Qt::Key_A + 1);
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        character = QStringLiteral("\r");
    else if (event->key() == Qt::Key_Backspace)
        character = QString(QChar(8));
    if (!character.isEmpty() && sendKey && sendKey(character)) {
        moveCursor(QTextCursor::End);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// Pasted lines go to the radio ended as typed ones are, by a carriage return.
void TerminalPane::pasteToRadio() {
    QString text = QGuiApplication::clipboard()->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    text.replace(u'\n', u'\r');
    if (text.isEmpty() || !sendKey || !sendKey(text)) {
        paste();
        return;
    }
    moveCursor(QTextCursor::End);
}
