#include "PtyRadio.h"

#include "RadioConsole.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t speedCode(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B19200;
    }
}

int baudOf(speed_t code) {
    switch (code) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return 0;
    }
}

constexpr int PaceIntervalMs = 2;
constexpr int BitsPerCharacter = 10; // 8N1: start, eight data bits, stop
constexpr qsizetype InputBuffer = 1024;

} // namespace

PtyRadio::PtyRadio(RadioConsole& radio, int radioBaud, QObject* parent)
    : QObject(parent), radio_(radio), radioBaud_(radioBaud) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
        return;
    }
    path_ = QString::fromLocal8Bit(ptsname(master_));
    slave_ = ::open(ptsname(master_), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios line{};
    if (slave_ >= 0 && tcgetattr(slave_, &line) == 0) {
        cfmakeraw(&line);
        cfsetispeed(&line, speedCode(radioBaud_));
        cfsetospeed(&line, speedCode(radioBaud_));
        tcsetattr(slave_, TCSANOW, &line);
    }
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PtyRadio::readMaster);
    clock_.start();
    radio_.setClock([this] { return clock_.elapsed(); });
    reports_.setInterval(RadioConsole::ReportMs);
    connect(&reports_, &QTimer::timeout, this, [this] {
        if (!radio_.reporting()) {
            reports_.stop();
            return;
        }
        // A silent radio's report is nothing, and nothing to write would hold up what follows.
        const QByteArray line = radio_.report();
        if (line.isEmpty())
            return;
        outgoing_.append({clock_.elapsed(), line});
        wakePacer();
    });
    pacer_.setInterval(PaceIntervalMs);
    connect(&pacer_, &QTimer::timeout, this, &PtyRadio::pace);
}

PtyRadio::~PtyRadio() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

int PtyRadio::lineBaud() const {
    termios line{};
    if (slave_ < 0 || tcgetattr(slave_, &line) != 0)
        return radioBaud_;
    return baudOf(cfgetospeed(&line));
}

QString PtyRadio::lineSettings() const {
    termios line{};
    if (slave_ < 0 || tcgetattr(slave_, &line) != 0)
        return QString();
    const char parity = !(line.c_cflag & PARENB) ? 'N' : (line.c_cflag & PARODD) ? 'O' : 'E';
    int bits = 8;
    switch (line.c_cflag & CSIZE) {
    case CS5:
        bits = 5;
        break;
    case CS6:
        bits = 6;
        break;
    case CS7:
        bits = 7;
        break;
    default:
        break;
    }
    return QString("%1,%2,%3,%4")
        .arg(lineBaud())
        .arg(QChar(parity))
        .arg(bits)
        .arg((line.c_cflag & CSTOPB) ? 2 : 1);
}

qsizetype PtyRadio::pendingBytes() const {
    qsizetype total = 0;
    for (const Pending& piece : outgoing_)
        total += piece.bytes.size();
    return total;
}

// Takes no more from the line than a radio's input buffer holds, so that a program sending
// faster than the line speed is held back by the system, as on a real line.
void PtyRadio::readMaster() {
    char chunk[InputBuffer];
    while (incoming_.size() < InputBuffer) {
        const ssize_t n = ::read(master_, chunk, size_t(InputBuffer - incoming_.size()));
        if (n <= 0)
            break;
        incoming_.append(chunk, n);
    }
    notifier_->setEnabled(incoming_.size() < InputBuffer);
    wakePacer();
}

// The pacer runs only while characters are on their way, so an idle radio costs nothing.
void PtyRadio::wakePacer() {
    if (pacer_.isActive() || (incoming_.isEmpty() && outgoing_.isEmpty()))
        return;
    lastPace_ = clock_.elapsed();
    pacer_.start();
}

QByteArray PtyRadio::garbled(const QByteArray& bytes) const {
    QByteArray noise = bytes;
    for (char& c : noise)
        c = char((uchar(c) * 7 + 0x55) | 0x80);
    return noise;
}

// Moves as many characters each way as the line speed allows since the last pass.
void PtyRadio::pace() {
    const qint64 now = clock_.elapsed();
    const int baud = lineBaud() > 0 ? lineBaud() : radioBaud_;
    const double earned = double(now - lastPace_) * baud / BitsPerCharacter / 1000.0;
    const double cap = double(baud) / BitsPerCharacter / 10.0; // a tenth of a second
    lastPace_ = now;
    // The loader follows whatever speed the program sets.
    const bool matched = baud == radioBaud_ || radio_.inLoader();

    // Unused time does not bank: an idle line cannot burst later.
    inBudget_ = incoming_.isEmpty() ? 0 : std::min(inBudget_ + earned, cap);
    const int arriving = std::min<int>(int(inBudget_), int(incoming_.size()));
    if (arriving > 0) {
        inBudget_ -= arriving;
        const QByteArray taken = incoming_.left(arriving);
        incoming_.remove(0, arriving);
        if (!notifier_->isEnabled())
            readMaster();
        const auto pieces = radio_.respond(matched ? taken : garbled(taken));
        for (; linesSeen_ < radio_.lines().size(); ++linesSeen_)
            emit lineReceived(radio_.lines().at(linesSeen_));
        for (const RadioConsole::ReplyPiece& piece : pieces)
            if (!piece.bytes.isEmpty()) // nothing to write would hold up what follows
                outgoing_.append({now + radio_.options().latencyMs + piece.delayMs, piece.bytes});
        if (radio_.reporting() && !reports_.isActive())
            reports_.start();
    }

    const bool due = !outgoing_.isEmpty() && outgoing_.first().due <= now;
    outBudget_ = due ? std::min(outBudget_ + earned, cap) : 0;
    while (!outgoing_.isEmpty() && outgoing_.first().due <= now && outBudget_ >= 1) {
        Pending& next = outgoing_.first();
        const QByteArray part = next.bytes.left(int(outBudget_));
        const QByteArray onLine = matched ? part : garbled(part);
        const ssize_t written = ::write(master_, onLine.constData(), onLine.size());
        if (written <= 0)
            break;
        next.bytes.remove(0, written);
        outBudget_ -= double(written);
        if (next.bytes.isEmpty())
            outgoing_.removeFirst();
    }
    if (incoming_.isEmpty() && outgoing_.isEmpty())
        pacer_.stop();
}
