#pragma once

#include <QMainWindow>

class QTextBrowser;

// A guide shipped beside the program (the user's guide, the command line's), shown as it is
// written, with its links to the other guides followed in place.
class GuideWindow : public QMainWindow {
    Q_OBJECT
public:
    // The guide's file as installed: beside the programs on Windows, under share/doc on Linux,
    // in the build's doc folder before installing. Empty when it is nowhere.
    static QString installedPath(const QString& fileName);
    // The folders looked in, for a message that says where the guide is missing.
    static QStringList folders();

    GuideWindow(const QString& path, QWidget* parent = nullptr);

private:
    QTextBrowser* text_;
};
