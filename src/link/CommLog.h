#pragma once

#include <QFile>
#include <QString>

// The communications log: the radio traffic as shown, one byte per character.
class CommLog {
public:
    bool isOpen() const { return file_.isOpen(); }
    QString fileName() const { return file_.fileName(); }
    // Opens for appending after the last byte (creating the file); false with errorString().
    bool open(const QString& path);
    bool write(const QString& text);
    void close();
    QString errorString() const { return error_; }

private:
    QFile file_;
    QString error_;
};
