#include "GatedDialog.h"

#include <QCloseEvent>
#include <utility>

GatedDialog::GatedDialog(LinkGate& gate, QWidget* parent) : QDialog(parent), gate_(gate) {
    connect(&gate_, &LinkGate::ending, this, &GatedDialog::onLinkEnding);
}

GatedDialog::~GatedDialog() {
    gate_.forget(this);
}

void GatedDialog::closing(int) {}

void GatedDialog::actionRunning(bool) {}

QString GatedDialog::closeKey() const {
    return objectName() + QStringLiteral(":close");
}

LinkGate::Outcome GatedDialog::runAction(const QString& key, std::function<void()> action) {
    return gate_.request(objectName() + u':' + key, this, [this, action = std::move(action)] {
        if (closed_)
            return;
        struct Acting {
            GatedDialog& window;
            explicit Acting(GatedDialog& w) : window(w) {
                if (window.acting_++ == 0)
                    window.actionRunning(true);
            }
            ~Acting() {
                if (--window.acting_ == 0)
                    window.actionRunning(false);
            }
        };
        {
            const Acting acting(*this);
            action();
        }
        if (acting_ == 0 && closeAfterAction_)
            finishClose(*std::exchange(closeAfterAction_, std::nullopt));
    });
}

void GatedDialog::done(int result) {
    if (closed_)
        return;
    // The window's own action closes it: once that action has returned.
    if (acting_ > 0 && gate_.waitDepth() == 0) {
        closeAfterAction_ = result;
        return;
    }
    // Closed inside a wait, its own or another action's: that action gives way first.
    if (gate_.busy()) {
        gate_.interrupt(closeKey(), this, [this, result] { finishClose(result); });
        return;
    }
    finishClose(result);
}

void GatedDialog::closeEvent(QCloseEvent* event) {
    if (!closed_)
        reject();
    // Closed now: the close goes on (and deletes the window); a close the window defers until
    // its action has returned is ignored until then.
    event->setAccepted(closed_);
}

void GatedDialog::onLinkEnding() {
    if (closed_)
        return;
    if (acting_ > 0 || gate_.asks(this)) {
        gate_.interrupt(closeKey(), this, [this] { finishClose(QDialog::Rejected); });
        return;
    }
    finishClose(QDialog::Rejected);
}

void GatedDialog::finishClose(int result) {
    if (closed_)
        return;
    closed_ = true;
    gate_.forget(this);
    closing(result);
    QDialog::done(result);
}
