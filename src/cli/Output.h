#pragma once

#include <QByteArray>

// The tool's results on standard output. A write that fails (a full disk, an output the shell
// closed, a pipe whose reader went away) is an error to report, never a result lost in silence.
namespace Output {

// Standard output was closed before the tool began: every result written would be lost.
void markClosed();
// False, as a failed write, when standard output was closed: for a command that would print.
bool usable();
// Writes and flushes; false once standard output has failed, by this write or an earlier one.
bool print(const QByteArray& text);
// Whether standard output has failed so far, what it holds flushed first.
bool failed();
// Why the results could not be written, said on standard error once.
void sayFailure();

} // namespace Output
