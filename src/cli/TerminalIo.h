#pragma once

#include <QByteArray>
#include <QObject>
#include <cstdio>
#include <memory>

// The terminal the tool runs in; each kind of system has its own small file
// (TerminalIo_unix.cpp, TerminalIo_windows.cpp).
namespace TerminalIo {

bool isTerminal(std::FILE* stream);
// Readies the standard streams before any port is opened: one the shell closed (`>&-`) is given
// the null device, so that no port ever takes its place and the tool's own lines never go to
// a radio; a pipe whose reader went away fails a write instead of ending the tool, which then
// still leaves the radio as it should. True when standard output was closed.
bool prepareStandardStreams();
// Keys reach the program one by one, unechoed, until restored (for the radio's console).
void enterRawMode();
void restoreMode();
// A line typed on the terminal with its echo off (a password), without its line end.
QByteArray readHiddenLine();

// Standard input as it comes, on the event loop: the keys of a terminal as a terminal sends
// them (Enter as CR, Backspace as DEL), or what a pipe carries; then its end.
class InputWatch : public QObject {
    Q_OBJECT
public:
    explicit InputWatch(QObject* parent = nullptr);
    ~InputWatch() override;

signals:
    void arrived(const QByteArray& bytes);
    void ended();

private:
    struct System;
    std::unique_ptr<System> system_;
};

} // namespace TerminalIo
