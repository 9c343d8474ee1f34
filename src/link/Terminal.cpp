#include "Terminal.h"

#include "LinkControls.h"
#include "TerminalFilter.h"
#include "TerminalPane.h"
#include "app/Prompts.h"
#include "app/SharedState.h"

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
    if (pane->length() > TerminalLimit)
        pane->dropFront(TerminalTrim);
    state_.receiveBuffer += chunk;
    const FilteredChunk shown = filterChunk(chunk);
    if (showData)
        pane->insertAtEnd(shown.text, shown.eraseLastShown);
    if (log_.isOpen())
        writeLog(shown.text);
    pane->moveCursor(QTextCursor::End);
}

void Terminal::writeLog(const QString& text) {
    while (!log_.write(text)) {
        const auto answer =
            prompts_.message(log_.errorString(), Prompts::applicationTitle(),
                             Prompts::Icon::Critical, Prompts::Buttons::RetryCancel);
        if (answer != Prompts::Retry) {
            closeLog();
            return;
        }
    }
}

void Terminal::openLog() {
    const QString title = QStringLiteral("Open a Communications Log File");
    const QString filter =
        QStringLiteral("Log Files (*.LOG)|*.log|Text Files (*.TXT)|*.txt|All Files (*.*)|*.*");
    QString path;
    for (;;) {
        path = prompts_.openFile(title, filter, QString(), true);
        if (path.isEmpty())
            return;
        if (!QFileInfo::exists(path))
            break;
        const auto answer = prompts_.message(
            "Replace existing file - " + path + "?\r\rClick 'NO' to append to the file.",
            Prompts::applicationTitle(), Prompts::Icon::Question, Prompts::Buttons::YesNoCancel);
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
    controls_.window->setWindowTitle(captionPrefix() + QFileInfo(path).fileName());
    setLogControls(true);
}

void Terminal::closeLog() {
    log_.close();
    setLogControls(false);
}

void Terminal::setLogControls(bool open) {
    controls_.mnuOpenLog->setEnabled(!open);
    controls_.openLogButton->setEnabled(!open);
    controls_.mnuCloseLog->setEnabled(open);
    controls_.closeLogButton->setEnabled(open);
}
