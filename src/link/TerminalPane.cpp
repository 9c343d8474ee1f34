#include "TerminalPane.h"

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

void TerminalPane::keyPressEvent(QKeyEvent* event) {
    QString character = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        character = QStringLiteral("\r");
    else if (event->key() == Qt::Key_Backspace)
        character = QString(QChar(8));
    if (sendKey && sendKey(character)) {
        moveCursor(QTextCursor::End);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
