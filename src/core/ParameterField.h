#pragma once

#include <QPlainTextEdit>

// A read-only field of a window's (a parameter, a test frequency) that shows a value exactly as
// the radio reported it, line breaks included, and reports clicks. It takes the keyboard focus:
// Enter or Space is its click, F1 asks for its label's help. Its label names it to assistive
// technology, and its text is the value.
class ParameterField : public QPlainTextEdit {
    Q_OBJECT
public:
    ParameterField(const QString& name, int lines, QWidget* parent);

    QString text() const { return text_; }
    void setText(const QString& text);
    // Enabled with the arrow pointer, or disabled with the no-entry pointer.
    void setUsable(bool usable);

signals:
    void clicked();
    void helpRequested();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showPointer();
    QString text_;
};
