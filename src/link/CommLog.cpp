#include "CommLog.h"

bool CommLog::open(const QString& path) {
    close();
    file_.setFileName(path);
    // Unbuffered: what write() reports taken is on its way to the file, so a retry after a
    // partial write repeats nothing.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        error_ = file_.errorString();
        file_.setFileName(QString());
        return false;
    }
    return true;
}

bool CommLog::write(const QString& text) {
    waiting_ += text.toLatin1();
    return retry();
}

bool CommLog::retry() {
    while (!waiting_.isEmpty()) {
        const qint64 taken = file_.write(waiting_);
        if (taken <= 0) {
            error_ = file_.errorString();
            return false;
        }
        waiting_.remove(0, taken);
    }
    return true;
}

void CommLog::close() {
    waiting_.clear();
    if (file_.isOpen())
        file_.close();
}
