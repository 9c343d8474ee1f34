// Preloaded into a program under test: the rename that would put a finished file in place of
// ARDENTIX_FAIL_RENAME fails, as a disk that fails at the very end of a save does.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

extern "C" int rename(const char* from, const char* to) {
    const char* failing = std::getenv("ARDENTIX_FAIL_RENAME");
    if (failing && std::strcmp(to, failing) == 0) {
        errno = EIO;
        return -1;
    }
    using Rename = int (*)(const char*, const char*);
    static const auto real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
    return real(from, to);
}
