#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <cstdio>

// The terminal the tool runs in; each kind of system has its own small file.
namespace TerminalIo {

bool isTerminal(std::FILE* stream);
// Keys reach the program one by one, unechoed, until restored (for the radio's console).
void enterRawMode();
void restoreMode();
// The descriptor standard input is read from by the event loop.
int inputDescriptor();
// What standard input holds now, up to size bytes; 0 at its end, below 0 on a failure.
qint64 readInput(char* into, qint64 size);
// A line typed on the terminal with its echo off (a password), without its line end.
QByteArray readHiddenLine();

} // namespace TerminalIo
