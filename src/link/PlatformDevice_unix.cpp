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

QString realDevice(const QString& device) {
    const QString real = QFileInfo(device).canonicalFilePath();
    return real.isEmpty() ? device : real;
}

namespace {

// The lock file names of a device: UUCP's, by its name alone (LCK..ttyUSB0), and the serial
// component's, by its path below /dev (LCK..pts_2), which this program's own open takes.
QStringList lockNames(const QString& real) {
    QString below = real;
    if (below.startsWith(QLatin1String("/dev/")))
        below.remove(0, 5);
    below.replace(u'/', u'_');
    QStringList names{"LCK.." + QFileInfo(real).fileName()};
    if (!names.contains("LCK.." + below))
        names << "LCK.." + below;
    return names;
}

bool heldByAnother(const QString& lockPath) {
    QFile lock(lockPath);
    if (!lock.open(QIODevice::ReadOnly))
        return false;
    const qint64 pid = lock.readLine(32).trimmed().toLongLong();
    return pid > 0 && pid != QCoreApplication::applicationPid() &&
           (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace

bool lockedByAnother(const QString& device) {
    static const char* const Folders[] = {"/var/lock",         "/etc/locks", "/var/spool/locks",
                                          "/var/spool/uucp",   "/tmp",       "/var/tmp",
                                          "/var/lock/lockdev", "/run/lock"};
    for (const QString& name : lockNames(realDevice(device)))
        for (const char* folder : Folders)
            if (heldByAnother(QString::fromLatin1(folder) + u'/' + name))
                return true;
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
