#pragma once

#include <QPlainTextEdit>
#include <functional>

// The terminal pane: shows what the radio sends; keys go to the radio while the port is open.
class TerminalPane : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TerminalPane(QWidget* parent = nullptr);

    // Takes typed or pasted text; true when it was sent to the radio instead of typed here.
    std::function<bool(const QString& text)> sendKey;

    void setText(const QString& text);
    void appendText(const QString& text);
    int length() const;
    // Drops the first count characters.
    void dropFront(int count);
    // Inserts at the end, first erasing the last character when asked.
    void insertAtEnd(const QString& text, bool eraseLast);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pasteToRadio();
};
