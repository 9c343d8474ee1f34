#include "FaultControl.h"

#include "RadioConsole.h"

#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype LongestControlLine = 512;
constexpr int LongestLatencyMs = 600000;

// "on" or "off"; anything else is no answer.
std::optional<bool> switchOf(const QString& word) {
    if (word == u"on")
        return true;
    if (word == u"off")
        return false;
    return std::nullopt;
}

std::optional<int> numberIn(const QString& word, int lowest, int highest) {
    bool ok = false;
    const int n = word.toInt(&ok);
    if (!ok || n < lowest || n > highest)
        return std::nullopt;
    return n;
}

} // namespace

FaultControl::FaultControl(RadioConsole& radio, QObject* parent)
    : QObject(parent), radio_(radio), started_(radio.options()) {
    radio_.setLineHook([this](const QString& line) { takeLine(line); });
}

FaultControl::~FaultControl() {
    radio_.setLineHook(nullptr);
    if (pipe_ >= 0) {
        ::close(pipe_);
        ::unlink(QFile::encodeName(path_).constData());
    }
}

bool FaultControl::listen(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    ::unlink(name.constData());
    // Opened for writing too, so that the pipe never reads as ended between two writers.
    if (::mkfifo(name.constData(), 0600) != 0 ||
        (pipe_ = ::open(name.constData(), O_RDWR | O_NONBLOCK)) < 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    path_ = path;
    notifier_ = new QSocketNotifier(pipe_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &FaultControl::readPipe);
    return true;
}

// Whole lines only; a line longer than any control line is dropped whole.
void FaultControl::readPipe() {
    char chunk[256];
    ssize_t n = 0;
    while ((n = ::read(pipe_, chunk, sizeof chunk)) > 0) {
        partial_.append(chunk, n);
        qsizetype end = -1;
        while ((end = partial_.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(partial_.left(end)).trimmed();
            partial_.remove(0, end + 1);
            if (!line.isEmpty())
                emit said(apply(line));
        }
        if (partial_.size() > LongestControlLine)
            partial_.clear();
    }
}

QString FaultControl::apply(const QString& line) {
    if (!line.startsWith(u"after ")) {
        const std::optional<Fault> now = faultOf(line);
        return now ? run(*now, line) : QStringLiteral("refused: ") + line;
    }
    const qsizetype colon = line.indexOf(u':');
    const QString start = colon < 0 ? QString() : line.mid(6, colon - 6).trimmed();
    const QString then = colon < 0 ? QString() : line.mid(colon + 1).trimmed();
    const std::optional<Fault> later = faultOf(then);
    if (start.isEmpty() || !later)
        return QStringLiteral("refused: ") + line;
    armed_.append({start, *later, then});
    return QStringLiteral("armed: ") + line;
}

std::optional<FaultControl::Fault> FaultControl::faultOf(const QString& line) {
    const QStringList words = line.simplified().toLower().split(u' ');
    const QString word = words.value(0);
    const QString value = words.value(1);
    if (words.size() > 2)
        return std::nullopt;
    if (words.size() == 1) {
        if (word == u"clear")
            return Fault{Fault::Clear};
        if (word == u"vanish")
            return Fault{Fault::Vanish};
        if (word == u"line")
            return Fault{Fault::Line};
        if (word == u"pending")
            return Fault{Fault::Pending};
        return std::nullopt;
    }
    std::optional<int> n;
    Fault::Kind kind = Fault::Silent;
    if (word == u"silent" || word == u"cut" || word == u"cut-line") {
        const std::optional<bool> on = switchOf(value);
        n = on ? std::optional<int>(*on ? 1 : 0) : std::nullopt;
        kind = word == u"silent" ? Fault::Silent : word == u"cut" ? Fault::Cut : Fault::CutLine;
    } else if (word == u"latency") {
        n = numberIn(value, 0, LongestLatencyMs);
        kind = Fault::Latency;
    } else if (word == u"noise") {
        n = numberIn(value, 0, 100);
        kind = Fault::Noise;
    }
    if (!n)
        return std::nullopt;
    return Fault{kind, *n};
}

QString FaultControl::run(const Fault& fault, const QString& line) {
    switch (fault.kind) {
    case Fault::Silent:
        radio_.setSilent(fault.value != 0);
        break;
    case Fault::Latency:
        radio_.setLatency(fault.value);
        break;
    case Fault::Noise:
        radio_.setNoise(fault.value);
        break;
    case Fault::Cut:
        radio_.setCutReplies(fault.value != 0);
        break;
    case Fault::CutLine:
        radio_.setCutMidLine(fault.value != 0);
        break;
    case Fault::Clear:
        // Back to the faults the radio was started with.
        armed_.clear();
        radio_.setSilent(started_.silent);
        radio_.setLatency(started_.latencyMs);
        radio_.setNoise(started_.noisePercent);
        radio_.setCutReplies(started_.cutReplies);
        radio_.setCutMidLine(started_.cutMidLine);
        break;
    case Fault::Vanish:
        if (!vanish)
            return QStringLiteral("refused: ") + line;
        vanish();
        break;
    case Fault::Line:
        if (!lineSettings)
            return QStringLiteral("refused: ") + line;
        return QStringLiteral("line ") + lineSettings();
    case Fault::Pending:
        if (!pendingBytes)
            return QStringLiteral("refused: ") + line;
        return QStringLiteral("pending %1").arg(pendingBytes());
    }
    return QStringLiteral("done: ") + line;
}

// An armed fault starts with the command line it waits for, before the radio answers it.
void FaultControl::takeLine(const QString& commandLine) {
    for (qsizetype i = 0; i < armed_.size(); ++i) {
        if (!commandLine.startsWith(armed_.at(i).start, Qt::CaseInsensitive))
            continue;
        const Armed armed = armed_.takeAt(i);
        emit said(run(armed.fault, armed.line));
        return;
    }
}
