#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "RadioConsole.h"
#include <functional>
#include <optional>

class QSocketNotifier;

// Turns a running radio's faults on and off, as a failing radio or a bad cable would: lines
// written to a named pipe (or given to apply()), each one fault or a fault held until the radio
// receives a given command line. Every line read is answered on said(), so that whoever writes
// knows it holds. What only the line knows (its settings, what is still on its way, pulling its
// plug) the owner of the line tells.
class FaultControl : public QObject {
    Q_OBJECT
public:
    explicit FaultControl(RadioConsole& radio, QObject* parent = nullptr);
    ~FaultControl() override;

    // Makes the named pipe at path and listens on it; false with errorString() if it cannot.
    bool listen(const QString& path);
    QString errorString() const { return error_; }
    // The line's side: "vanish" pulls the plug, "line" gives its settings ("19200,N,8,1"),
    // "pending" the characters still on their way. A control the line cannot serve is refused.
    std::function<void()> vanish;
    std::function<QString()> lineSettings;
    std::function<qsizetype()> pendingBytes;

    // One control line: "silent on", "latency 6000", "noise 30", "cut on", "cut-line on",
    // "clear", "vanish", "line", "pending", or "after TEXT: FAULT" to start the fault with the
    // first command line that begins with TEXT. The answer says what was done, or why not.
    QString apply(const QString& line);

    struct Fault {
        enum Kind { Silent, Latency, Noise, Cut, CutLine, Clear, Vanish, Line, Pending } kind;
        int value = 0;
    };
    // A fault's line read, or nothing when it is no fault's.
    static std::optional<Fault> faultOf(const QString& line);

signals:
    void said(const QString& text);

private:
    void readPipe();
    void takeLine(const QString& commandLine);
    QString run(const Fault& fault, const QString& line);

    RadioConsole& radio_;
    const RadioOptions started_;
    QString path_;
    QString error_;
    int pipe_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QByteArray partial_;
    struct Armed {
        QString start;
        Fault fault;
        QString line;
    };
    QList<Armed> armed_;
};
