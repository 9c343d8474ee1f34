#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <functional>

// The terminal pane: shows what the radio sends; keys go to the radio while the port is open.
class TerminalPane : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TerminalPane(QWidget* parent = nullptr);

    // Takes typed or pasted text; true when it was sent to the radio instead of typed here.
    std::function<bool(const QString& text)> sendKey;

    // The pane's text, line ends as CR LF, including what is about to be shown.
    QString text();
    void setText(const QString& text);
    void appendText(const QString& text);
    int length() const;
    // Drops the first count characters.
    void dropFront(int count);
    // Adds at the end, first erasing the last character when asked; shown within a moment.
    void insertAtEnd(const QString& text, bool eraseLast);
    // Shows now what waits to be shown, with the caret at the end.
    void flush();
    // How long an arrival waits before it is shown: a frame or two while the pane's window is
    // in use, longer behind another window (a diagnostic screen), where it is only glanced at.
    int showDelayMs() const { return isActiveWindow() ? ShowEveryMs : ShowBehindMs; }

    // Boldness and colours, as the preferences set them.
    void setLook(bool bold, const QColor& text, const QColor& back);
    bool bold() const { return font().bold(); }
    QColor textColour() const { return palette().color(QPalette::Text); }
    QColor backColour() const { return palette().color(QPalette::Base); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pasteToRadio();

    // Received text is shown at most this often.
    static constexpr int ShowEveryMs = 40;
    // ... and this often while another window (a diagnostic screen) is the one in use.
    static constexpr int ShowBehindMs = 200;
    // Takes back the last character the pane will show: waiting, or shown already.
    void eraseLastCharacter();

    // What waits to be shown, as one text, and how many characters already shown it takes
    // back first; the pane's length counts both.
    QString pendingText_;
    int pendingErased_ = 0;
    int pendingLength_ = 0;
    QTimer showTimer_;
};
