#include "Output.h"

#include <QCoreApplication>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Output {

namespace {
bool closed = false;
QString failure;
bool said = false;

// Keeps the first failure's reason; true while there is none.
bool check(bool written) {
    if (!written && failure.isEmpty())
        failure = QString::fromLocal8Bit(std::strerror(errno));
    return failure.isEmpty();
}
} // namespace

void markClosed() {
    closed = true;
}

bool usable() {
    if (closed && failure.isEmpty())
        failure = QCoreApplication::translate("Output", "it is closed");
    return failure.isEmpty();
}

bool print(const QByteArray& text) {
    if (!usable())
        return false;
    const bool written =
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size());
    return check(written && std::fflush(stdout) == 0);
}

bool failed() {
    return !check(failure.isEmpty() && std::fflush(stdout) == 0 && !std::ferror(stdout));
}

void sayFailure() {
    if (said || !failed())
        return;
    said = true;
    std::fprintf(stderr, "ardentix-cli: %s\n",
                 qPrintable(QCoreApplication::translate(
                                "Output", "the results could not be written to standard "
                                          "output: %1.")
                                .arg(failure)));
}

} // namespace Output
