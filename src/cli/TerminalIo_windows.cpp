// Systems without termios: no raw keys; the console is read line by line there.
#include "TerminalIo.h"

#include <io.h>

namespace TerminalIo {

bool isTerminal(std::FILE* stream) {
    return ::_isatty(::_fileno(stream)) != 0;
}

void enterRawMode() {}

void restoreMode() {}

int inputDescriptor() {
    return 0;
}

qint64 readInput(char* into, qint64 size) {
    return ::_read(0, into, unsigned(size));
}

QByteArray readHiddenLine() {
    QByteArray line;
    char c = 0;
    while (::_read(0, &c, 1) == 1 && c != '\n')
        if (c != '\r')
            line += c;
    return line;
}

} // namespace TerminalIo
