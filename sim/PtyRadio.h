#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;
class RadioConsole;

// Serves a simulated radio console on a pseudo-terminal. It keeps its own handle on the
// terminal side, so the program may close and reopen the port; it reads the line speed the
// program set, paces both directions at it, and garbles what crosses at another speed than
// the radio's own, as a real line would.
class PtyRadio : public QObject {
    Q_OBJECT
public:
    explicit PtyRadio(RadioConsole& radio, int radioBaud = 19200, QObject* parent = nullptr);
    ~PtyRadio() override;

    bool isReady() const { return master_ >= 0; }
    QString errorString() const { return error_; }
    // The device path the program opens.
    QString devicePath() const { return path_; }
    // The speed the program set on the line, in baud.
    int lineBaud() const;
    // What the program set on the line, as the port settings say it: "19200,N,8,1".
    QString lineSettings() const;
    // Characters the radio has still to send, late replies included.
    qsizetype pendingBytes() const;
    void setRadioBaud(int baud) { radioBaud_ = baud; }

signals:
    // One complete command line arrived at the radio.
    void lineReceived(const QString& line);

private:
    void readMaster();
    void pace();
    void wakePacer();
    QByteArray garbled(const QByteArray& bytes) const;

    RadioConsole& radio_;
    int radioBaud_;
    int master_ = -1;
    int slave_ = -1;
    QString path_;
    QString error_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer pacer_;
    QTimer reports_;
    QElapsedTimer clock_;
    qint64 lastPace_ = 0;
    double inBudget_ = 0;
    double outBudget_ = 0;
    QByteArray incoming_;
    struct Pending {
        qint64 due;
        QByteArray bytes;
    };
    QList<Pending> outgoing_;
    int linesSeen_ = 0;
};
