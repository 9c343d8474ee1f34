#pragma once

// A window program started from a console writes its --help, --version and complaints there.
// Each kind of system has its own file (ParentConsole_unix.cpp, ParentConsole_windows.cpp).
namespace ParentConsole {

// Before anything is written: the standard streams that lead nowhere are given the console of
// the program that started this one, when it has one. Streams redirected elsewhere are kept.
void attach();
// Before the window opens: the console is let go, so that a Ctrl+C typed there later is not
// taken for the window's quit.
void release();

} // namespace ParentConsole
