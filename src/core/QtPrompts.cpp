#include "QtPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>

namespace {

QMessageBox::StandardButtons standardButtons(Prompts::Buttons buttons) {
    switch (buttons) {
    case Prompts::Buttons::Ok:
        return QMessageBox::Ok;
    case Prompts::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Prompts::Buttons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case Prompts::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Prompts::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Prompts::Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(Prompts::Icon icon) {
    switch (icon) {
    case Prompts::Icon::None:
        return QMessageBox::NoIcon;
    case Prompts::Icon::Critical:
        return QMessageBox::Critical;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    case Prompts::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton standardButtonOf(Prompts::Answer answer) {
    switch (answer) {
    case Prompts::Ok:
        return QMessageBox::Ok;
    case Prompts::Cancel:
        return QMessageBox::Cancel;
    case Prompts::Abort:
        return QMessageBox::Abort;
    case Prompts::Retry:
        return QMessageBox::Retry;
    case Prompts::Ignore:
        return QMessageBox::Ignore;
    case Prompts::Yes:
        return QMessageBox::Yes;
    case Prompts::No:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

Prompts::Answer answerOf(int button) {
    switch (button) {
    case QMessageBox::Ok:
        return Prompts::Ok;
    case QMessageBox::Cancel:
        return Prompts::Cancel;
    case QMessageBox::Abort:
        return Prompts::Abort;
    case QMessageBox::Retry:
        return Prompts::Retry;
    case QMessageBox::Ignore:
        return Prompts::Ignore;
    case QMessageBox::Yes:
        return Prompts::Yes;
    case QMessageBox::No:
        return Prompts::No;
    default:
        return Prompts::Cancel;
    }
}

// The program's texts break lines with carriage returns; the widgets want line feeds.
QString shown(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    return lines;
}

// A modal dialog of the program's: run until answered or dismissed, then the focus goes back
// to the window that asked.
int runModal(QDialog& dialog, Prompts::Question& question, QWidget* owner) {
    const QPointer<QWidget> asked = owner ? owner->window() : nullptr;
    question.dismiss = [&dialog, &question] {
        question.dismissed = true;
        dialog.reject();
    };
    const int result = dialog.exec();
    question.dismiss = nullptr;
    if (asked && asked->isVisible())
        asked->activateWindow();
    return result;
}

const char* const FolderKey = "Files/LastFolder";

// A name typed without an extension gets the one the dialog is for: native dialogs add the
// selected filter's instead, or none.
QString withDefaultSuffix(const QString& path, const QString& suffix) {
    if (suffix.isEmpty() || path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path.endsWith(u'.') ? path + suffix : path + u'.' + suffix;
}

} // namespace

QString QtPrompts::startFolder() const {
    const QString kept = settings_ ? settings_->value(FolderKey).toString() : QString();
    if (!kept.isEmpty() && QFileInfo(kept).isDir())
        return kept;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void QtPrompts::rememberFolderOf(const QString& path) {
    if (settings_ && !path.isEmpty())
        settings_->setValue(FolderKey, QFileInfo(path).absolutePath());
}

QWidget* QtPrompts::ownerOf(const Question& question) const {
    if (auto* widget = qobject_cast<QWidget*>(question.asker))
        return widget->window();
    return parent_;
}

Prompts::Answer QtPrompts::showMessage(Question& question) {
    QWidget* owner = ownerOf(question);
    QMessageBox box(boxIcon(question.icon), question.caption, shown(question.text),
                    standardButtons(question.buttons), owner);
    if (question.defaultAnswer)
        box.setDefaultButton(standardButtonOf(*question.defaultAnswer));
    return answerOf(runModal(box, question, owner));
}

std::optional<QString> QtPrompts::showInput(Question& question) {
    QWidget* owner = ownerOf(question);
    QInputDialog dialog(owner);
    dialog.setWindowTitle(question.caption);
    dialog.setLabelText(shown(question.text));
    dialog.setTextValue(question.initial);
    if (runModal(dialog, question, owner) != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString QtPrompts::showFile(Question& question) {
    QWidget* owner = ownerOf(question);
    return question.kind == Question::Kind::Open ? openFile(question, owner)
                                                 : saveFile(question, owner);
}

QString QtPrompts::openFile(Question& question, QWidget* owner) {
    QFileDialog dialog(owner, question.caption, QDir(startFolder()).filePath(question.initial),
                       dialogFilter(question.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(question.allowCreate ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    while (runModal(dialog, question, owner) == QDialog::Accepted &&
           !dialog.selectedFiles().isEmpty() && !question.dismissed) {
        QString path = dialog.selectedFiles().constFirst();
        if (!QFileInfo::exists(path))
            path = withDefaultSuffix(path, question.defaultSuffix);
        rememberFolderOf(path);
        if (QFileInfo::exists(path))
            return path;
        QMessageBox create(QMessageBox::Question, question.caption,
                           QFileInfo(path).fileName() +
                               "\nThis file does not exist.\nCreate the file?",
                           QMessageBox::Yes | QMessageBox::No, owner);
        if (runModal(create, question, owner) == QMessageBox::Yes)
            return path;
        if (question.dismissed)
            break;
    }
    return QString();
}

QString QtPrompts::saveFile(Question& question, QWidget* owner) {
    QFileDialog dialog(owner, question.caption, QDir(startFolder()).filePath(question.initial),
                       dialogFilter(question.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(question.defaultSuffix);
    if (runModal(dialog, question, owner) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString path =
        withDefaultSuffix(dialog.selectedFiles().constFirst(), question.defaultSuffix);
    rememberFolderOf(path);
    return path;
}

void QtPrompts::soundBeep() {
    QApplication::beep();
}
