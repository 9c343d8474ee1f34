#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The communications log: the radio traffic as shown, one byte per character. What the system
// refuses to take (a full disk, a pulled stick) waits here until a retry writes it or the log
// is closed.
class CommLog {
public:
    bool isOpen() const { return file_.isOpen(); }
    QString fileName() const { return file_.fileName(); }
    // Opens for appending after the last byte (creating the file); false with errorString().
    bool open(const QString& path);
    // Writes the text after whatever still waits; false, with errorString(), while some waits.
    bool write(const QString& text);
    // Writes what still waits, exactly once.
    bool retry();
    // Closes the file; what still waits is dropped with it.
    void close();
    QString errorString() const { return error_; }

private:
    QFile file_;
    QByteArray waiting_;
    QString error_;
};
