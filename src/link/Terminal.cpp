#include "Terminal.h"

#include "LinkControls.h"
#include "TerminalFilter.h"
#include "TerminalPane.h"
#include "core/Prompts.h"
#include "core/SharedState.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>

void Terminal::append(QString chunk) {
    if (discardInput) {
        state_.receiveBuffer = QStringLiteral(" ");
        chunk = QStringLiteral(" ");
    }
    TerminalPane* pane = controls_.txtTerm;
    const int length = pane->length();
    if (length > TerminalLimit)
        pane->dropFront(std::max(TerminalTrim, length - (TerminalLimit + 1 - TerminalTrim)));
    keepReceived(state_.receiveBuffer, chunk);
    const FilteredChunk shown = filterChunk(chunk);
    // More than the pane keeps would be trimmed at once: show only its end.
    if (showData)
        pane->insertAtEnd(shown.text.right(TerminalLimit), shown.eraseLastShown);
    if (log_.isOpen())
        writeLog(shown.text);
}

// One question at a time: what arrives while it is asked waits in the log for its answer.
void Terminal::writeLog(const QString& text) {
    if (log_.write(text) || askingAboutLog_)
        return;
    askingAboutLog_ = true;
    do {
        const auto answer =
            prompts_.message(log_.errorString(), Prompts::applicationTitle(),
                             Prompts::Icon::Critical, Prompts::Buttons::RetryCancel);
        if (answer != Prompts::Retry) {
            closeLog();
            break;
        }
    } while (log_.isOpen() && !log_.retry());
    askingAboutLog_ = false;
}

void Terminal::openLog() {
    const QString title = QStringLiteral("Open a Communications Log File");
    const QString filter =
        QStringLiteral("Log Files (*.LOG)|*.log|Text Files (*.TXT)|*.txt|All Files (*.*)|*.*");
    QString path;
    for (;;) {
        path = prompts_.openFile(title, filter, QString(), true, QStringLiteral("log"));
        if (path.isEmpty())
            return;
        if (!QFileInfo::exists(path))
            break;
        // Replacing loses the log kept so far: Enter appends.
        const auto answer = prompts_.message(
            "Replace existing file - " + path + "?\r\rClick 'NO' to append to the file.",
            Prompts::applicationTitle(), Prompts::Icon::Question, Prompts::Buttons::YesNoCancel,
            Prompts::No);
        if (answer == Prompts::Cancel)
            continue;
        if (answer == Prompts::Yes) {
            QFile existing(path);
            if (!existing.remove()) {
                prompts_.message(existing.errorString(), Prompts::applicationTitle(),
                                 Prompts::Icon::Exclamation);
                return;
            }
        }
        break;
    }
    if (!log_.open(path)) {
        prompts_.message(log_.errorString(), Prompts::applicationTitle(),
                         Prompts::Icon::Exclamation);
        return;
    }
    if (captionBeforeLog_.isEmpty())
        captionBeforeLog_ = controls_.window->windowTitle();
    controls_.window->setWindowTitle(captionPrefix() + QFileInfo(path).fileName());
    setLogControls(true);
}

void Terminal::closeLog() {
    log_.close();
    setLogControls(false);
    // The caption says "Logging to" only while a log is open.
    if (!captionBeforeLog_.isEmpty())
        controls_.window->setWindowTitle(captionBeforeLog_);
    captionBeforeLog_.clear();
}

void Terminal::setLogControls(bool open) {
    controls_.mnuOpenLog->setEnabled(!open);
    controls_.openLogButton->setEnabled(!open);
    controls_.mnuCloseLog->setEnabled(open);
    controls_.closeLogButton->setEnabled(open);
}
