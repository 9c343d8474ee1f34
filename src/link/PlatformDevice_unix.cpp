// Unix: lock files in the usual lock folders, access rights, and hang-ups seen by poll().
#include "PlatformDevice.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace PlatformDevice {

bool exists(const QString& device) {
    return QFileInfo::exists(device);
}

bool lockedByAnother(const QString& device) {
    static const char* const Folders[] = {"/var/lock",         "/etc/locks", "/var/spool/locks",
                                          "/var/spool/uucp",   "/tmp",       "/var/tmp",
                                          "/var/lock/lockdev", "/run/lock"};
    const QString name = "LCK.." + QFileInfo(QFileInfo(device).canonicalFilePath()).fileName();
    for (const char* folder : Folders) {
        QFile lock(QString::fromLatin1(folder) + u'/' + name);
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        const qint64 pid = lock.readLine(32).trimmed().toLongLong();
        if (pid > 0 && pid != QCoreApplication::applicationPid() &&
            (::kill(pid_t(pid), 0) == 0 || errno == EPERM))
            return true;
    }
    return false;
}

bool mayOpen(const QString& device) {
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
}

bool hungUp(DeviceHandle handle) {
    pollfd line{int(handle), POLLIN, 0};
    return ::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLNVAL));
}

// The terminal's minimum read count: with no read timer, poll() waits for that many characters.
bool setReadMinimum(DeviceHandle handle, int characters) {
    termios line{};
    if (::tcgetattr(int(handle), &line) != 0)
        return false;
    if (line.c_cc[VMIN] == characters && line.c_cc[VTIME] == 0)
        return true;
    line.c_cc[VMIN] = cc_t(characters);
    line.c_cc[VTIME] = 0;
    return ::tcsetattr(int(handle), TCSANOW, &line) == 0;
}

} // namespace PlatformDevice
