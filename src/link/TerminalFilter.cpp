#include "TerminalFilter.h"

// One pass: a backspace takes back the character before it, or, at the chunk's start, the
// last character already shown.
FilteredChunk filterChunk(const QString& chunk) {
    FilteredChunk result;
    QString kept;
    kept.reserve(chunk.size());
    for (const QChar c : chunk) {
        if (c == QChar(8)) {
            if (kept.isEmpty())
                result.eraseLastShown = true;
            else
                kept.chop(1);
        } else {
            kept += c;
        }
    }
    kept.remove(QChar(10));
    kept.replace(QChar(13), QStringLiteral("\r\n"));
    result.text = kept;
    return result;
}

void keepReceived(QString& buffer, const QString& chunk) {
    buffer += chunk;
    if (buffer.size() > ReceiveBufferLimit)
        buffer.remove(0, buffer.size() - ReceiveBufferLimit / 2);
}
