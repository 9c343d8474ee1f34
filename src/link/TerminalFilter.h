#pragma once

#include <QString>

// How a received chunk is turned into what the terminal pane shows and the log keeps.
struct FilteredChunk {
    QString text;
    // A backspace at the chunk's start erases the last character already shown.
    bool eraseLastShown = false;
};

FilteredChunk filterChunk(const QString& chunk);

// The pane keeps a little over this many characters ...
constexpr int TerminalLimit = 16000;
// ... and drops this many from its front once it passes the limit (more, when a large chunk
// took it further past).
constexpr int TerminalTrim = 4096;
// The receive buffer keeps at most this many characters, the most recent; every reply the
// program waits for is far shorter.
constexpr qsizetype ReceiveBufferLimit = 1 << 20;

// Adds a received chunk to the receive buffer, keeping it within its limit.
void keepReceived(QString& buffer, const QString& chunk);
