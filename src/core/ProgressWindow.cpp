#include "ProgressWindow.h"

#include "SharedState.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

ProgressWindow::ProgressWindow(SharedState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), state_(state) {
    setObjectName("frmProgram");
    setWindowTitle("Downloading Software to the radio...");
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    Command1 = new QPushButton("Cancel", this);
    Command1->setObjectName("Command1");
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(Command1, 0, Qt::AlignCenter);
    resize(380, 120);
    connect(Command1, &QPushButton::clicked, this, &ProgressWindow::onCancel);
}

void ProgressWindow::onCancel() {
    stopWork();
    close();
}

// The work sees the flag at once, not only once the wait it is in has run its time.
void ProgressWindow::stopWork() {
    state_.cancelRequested = true;
    state_.gate.wake();
}

// Esc and the close box (both end here) stop the work as Cancel does; a window that simply
// went away would leave the work running with no way to stop it. Finished work hides the window.
void ProgressWindow::reject() {
    stopWork();
    QDialog::reject();
}

// A window shown anew starts uncancelled. Its activation, which the system may deliver a moment
// later, must not take back a Cancel the user pressed meanwhile.
void ProgressWindow::showEvent(QShowEvent* event) {
    state_.cancelRequested = false;
    QDialog::showEvent(event);
}

void ProgressWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (!isActiveWindow() && state_.cancelRequested)
        close();
    else if (isVisible())
        raise();
}
