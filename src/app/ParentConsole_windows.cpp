// Windows: a window program gets no console of its own and, started from one, no streams
// either; it can still attach to the console of the program that started it.
#include "ParentConsole.h"

#include <cstdio>
#include <windows.h>

namespace ParentConsole {

namespace {

bool attached = false;

// A file, a pipe or a console: a handle that is none of these (none at all, or one the starting
// program's that is not valid here) leads nowhere.
bool leadsSomewhere(DWORD stream) {
    const HANDLE handle = ::GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void attach() {
    const bool output = leadsSomewhere(STD_OUTPUT_HANDLE);
    const bool errors = leadsSomewhere(STD_ERROR_HANDLE);
    if ((output && errors) || !::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    attached = true;
    if (!output)
        std::freopen("CONOUT$", "w", stdout);
    if (!errors)
        std::freopen("CONOUT$", "w", stderr);
}

void release() {
    if (!attached)
        return;
    std::fflush(stdout);
    std::fflush(stderr);
    ::FreeConsole();
    attached = false;
}

} // namespace ParentConsole
