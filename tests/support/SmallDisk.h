#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

// A disk that takes only so many bytes more of a file: writes past them fail, as on a full
// disk. Unix only (the file size limit); elsewhere available() is false and the test skips.
class SmallDisk {
public:
    explicit SmallDisk(qint64 bytes) {
#ifdef Q_OS_UNIX
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &before_);
        rlimit small = before_;
        small.rlim_cur = rlim_t(bytes);
        available_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
#else
        Q_UNUSED(bytes);
#endif
    }
    ~SmallDisk() {
        grow();
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool available() const {
        return available_;
    }
    // Room again, as when the user freed some.
    void grow() {
#ifdef Q_OS_UNIX
        if (available_)
            setrlimit(RLIMIT_FSIZE, &before_);
#endif
    }

private:
    bool available_ = false;
#ifdef Q_OS_UNIX
    rlimit before_{};
#endif
};
