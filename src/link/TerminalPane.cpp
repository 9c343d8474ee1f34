#include "TerminalPane.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>

TerminalPane::TerminalPane(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("txtTerm");
    setToolTip("Terminal Window to radio.");
    // A console is read in columns: the radio lines up its menus and tables with blanks.
    // Fixed pitch asked for as well: where the system's fixed family is missing, the matcher
    // then takes another fixed one rather than the default proportional font.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    setFont(fixed);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setUndoRedoEnabled(false);
    showTimer_.setSingleShot(true);
    connect(&showTimer_, &QTimer::timeout, this, &TerminalPane::flush);
}

// The pane stores lines ended by CR LF; the editor keeps one paragraph break per line, so
// CR LF is folded into it on the way in and restored on the way out.
static QString toEditor(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

QString TerminalPane::text() {
    flush();
    QString text = toPlainText();
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

void TerminalPane::setText(const QString& text) {
    pendingText_.clear();
    pendingErased_ = 0;
    pendingLength_ = 0;
    setPlainText(toEditor(text));
}

void TerminalPane::appendText(const QString& text) {
    insertAtEnd(text, false);
}

int TerminalPane::length() const {
    // Every paragraph break stands for CR LF: two characters.
    const int characters = document()->characterCount() - 1;
    return characters + document()->blockCount() - 1 + pendingLength_;
}

void TerminalPane::dropFront(int count) {
    setText(text().mid(count));
}

// The radio sends a few characters at a time; laying out and painting each arrival would cost
// more than all the rest of a read, so arrivals are shown together a moment later, as one edit.
void TerminalPane::insertAtEnd(const QString& text, bool eraseLast) {
    if (eraseLast)
        eraseLastCharacter();
    pendingText_ += text;
    pendingLength_ += int(text.size());
    if (!showTimer_.isActive())
        showTimer_.start(showDelayMs());
}

// A line end is one character in the editor and two in the pane's text: it goes whole.
void TerminalPane::eraseLastCharacter() {
    if (pendingText_.endsWith(QStringLiteral("\r\n"))) {
        pendingText_.chop(2);
        pendingLength_ -= 2;
    } else if (!pendingText_.isEmpty()) {
        pendingText_.chop(1);
        pendingLength_ -= 1;
    } else if (const int kept = document()->characterCount() - 1 - pendingErased_; kept > 0) {
        ++pendingErased_;
        pendingLength_ -= document()->characterAt(kept - 1) == QChar::ParagraphSeparator ? 2 : 1;
    }
}

// Placed by position: a cursor move to the end would lay the last line out once more.
void TerminalPane::flush() {
    showTimer_.stop();
    if (pendingText_.isEmpty() && pendingErased_ == 0)
        return;
    const int end = document()->characterCount() - 1;
    // A caret at the end moves on with what is added there; setting it again would lay the
    // last line out a second time.
    const bool caretAtEnd = textCursor().position() == end;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.setPosition(end);
    cursor.setPosition(end - pendingErased_, QTextCursor::KeepAnchor);
    cursor.insertText(toEditor(pendingText_));
    cursor.endEditBlock();
    pendingText_.clear();
    pendingErased_ = 0;
    pendingLength_ = 0;
    if (!caretAtEnd)
        setTextCursor(cursor);
    ensureCursorVisible();
}

void TerminalPane::setLook(bool bold, const QColor& text, const QColor& back) {
    QFont boldness = font();
    boldness.setBold(bold);
    setFont(boldness);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, text);
    colours.setColor(QPalette::Base, back);
    setPalette(colours);
}

// As in a terminal program: characters go to the radio, keys without one move and scroll the
// pane, Ctrl+Shift+C and Ctrl+Shift+V copy and paste, and Ctrl+Tab leaves the pane.
void TerminalPane::keyPressEvent(QKeyEvent* event) {
    flush();
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
