#pragma once

#include "LinkGate.h"

#include <QDialog>
#include <functional>
#include <optional>

// A window that talks to the radio. Its exchanges run as its actions on the link. Closing it
// (its buttons, Esc, the close box, quitting) while one of its actions waits cancels that
// action, and the window closes once it has returned: it is never deleted under its own wait.
// When the link ends (disconnect, reconnect, quit) it closes, leaving the radio as it found it.
// A question it asked is a wait of its own: the window closes once the question has returned.
class GatedDialog : public QDialog {
    Q_OBJECT
public:
    GatedDialog(LinkGate& gate, QWidget* parent);
    ~GatedDialog() override;

    // Runs one of the window's actions on the link; held while another action holds it.
    LinkGate::Outcome runAction(const QString& key, std::function<void()> action);
    // One of the window's actions is on the stack.
    bool acting() const { return acting_ > 0; }

public slots:
    void done(int result) override;

protected:
    // Every close goes through done(), even one of a window hidden behind its own display,
    // which Qt would otherwise accept (and delete) at once.
    void closeEvent(QCloseEvent* event) override;
    // The window really closes now: it sends what leaves the radio as the window found it.
    // These commands go out even after an interruption.
    virtual void closing(int result);
    // The first of the window's actions starts (true), or the last one ends.
    virtual void actionRunning(bool running);

    LinkGate& gate_;

private:
    void finishClose(int result);
    void onLinkEnding();
    QString closeKey() const;

    int acting_ = 0;
    std::optional<int> closeAfterAction_;
    bool closed_ = false;
};
