#include "TerminalFilter.h"

FilteredChunk filterChunk(QString chunk) {
    FilteredChunk result;
    for (qsizetype at = chunk.indexOf(QChar(8)); at >= 0; at = chunk.indexOf(QChar(8))) {
        if (at == 0) {
            result.eraseLastShown = true;
            chunk.remove(0, 1);
        } else {
            chunk.remove(at - 1, 2);
        }
    }
    chunk.remove(QChar(10));
    chunk.replace(QChar(13), QStringLiteral("\r\n"));
    result.text = chunk;
    return result;
}
