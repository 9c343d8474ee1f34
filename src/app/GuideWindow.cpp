#include "GuideWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

QStringList GuideWindow::folders() {
    const QDir programs(QCoreApplication::applicationDirPath());
    QStringList found;
    for (const char* relative : {"doc", "../share/doc/ardentix", "../doc"})
        found << QDir::cleanPath(programs.filePath(relative));
    return found;
}

QString GuideWindow::installedPath(const QString& fileName) {
    for (const QString& folder : folders()) {
        const QString path = QDir(folder).filePath(fileName);
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

GuideWindow::GuideWindow(const QString& path, QWidget* parent)
    : QMainWindow(parent), text_(new QTextBrowser(this)) {
    setObjectName("frmGuide");
    setAttribute(Qt::WA_DeleteOnClose);
    text_->setObjectName("GuideText");
    text_->setOpenExternalLinks(true);
    // The guides are Markdown; a link to another guide opens it here, by its suffix.
    text_->setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
    setCentralWidget(text_);
    // Titled by the guide's first heading.
    const auto retitle = [this] {
        setWindowTitle(
            tr("%1 - Quenlar Ardentix Configuration").arg(text_->document()->begin().text()));
    };
    connect(text_, &QTextBrowser::sourceChanged, this, retitle);
    retitle();
    resize(fontMetrics().averageCharWidth() * 100, fontMetrics().height() * 40);
}
