#include "CommLog.h"

bool CommLog::open(const QString& path) {
    close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error_ = file_.errorString();
        file_.setFileName(QString());
        return false;
    }
    return true;
}

bool CommLog::write(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    if (file_.write(bytes) == bytes.size() && file_.flush())
        return true;
    error_ = file_.errorString();
    return false;
}

void CommLog::close() {
    if (file_.isOpen())
        file_.close();
}
