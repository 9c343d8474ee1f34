#pragma once

#include "CommLog.h"

#include <QString>

class Prompts;
struct LinkControls;
struct SharedState;

// The receive path into the pane and the log, and the log's opening and closing.
class Terminal {
public:
    Terminal(LinkControls& controls, SharedState& state, Prompts& prompts)
        : controls_(controls), state_(state), prompts_(prompts) {}

    // Flags of the link that decide what happens to received text.
    bool showData = true;
    bool discardInput = false;

    void append(QString chunk);
    void openLog();
    void closeLog();
    CommLog& log() { return log_; }

    static QString captionPrefix() { return QStringLiteral("Quenlar Ardentix - Logging to "); }

private:
    void writeLog(const QString& text);
    void setLogControls(bool open);

    LinkControls& controls_;
    SharedState& state_;
    Prompts& prompts_;
    CommLog log_;
    bool askingAboutLog_ = false;
    QString captionBeforeLog_;
};
