#include "QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

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

} // namespace

Prompts::Answer QtPrompts::message(const QString& text, const QString& caption, Icon icon,
                                   Buttons buttons, std::optional<Answer> defaultAnswer) {
    QMessageBox box(boxIcon(icon), caption, shown(text), standardButtons(buttons), parent_);
    if (defaultAnswer)
        box.setDefaultButton(standardButtonOf(*defaultAnswer));
    return answerOf(box.exec());
}

std::optional<QString> QtPrompts::input(const QString& prompt, const QString& title,
                                        const QString& initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, title, shown(prompt), QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtPrompts::openFile(const QString& title, const QString& filter, const QString& fileName,
                            bool allowCreate) {
    QFileDialog dialog(parent_, title, fileName, dialogFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(allowCreate ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString path = dialog.selectedFiles().constFirst();
        if (QFileInfo::exists(path))
            return path;
        const auto create = QMessageBox::question(
            parent_, title,
            QFileInfo(path).fileName() + "\nThis file does not exist.\nCreate the file?");
        if (create == QMessageBox::Yes)
            return path;
    }
    return QString();
}

QString QtPrompts::saveFile(const QString& title, const QString& filter, const QString& fileName,
                            const QString& defaultSuffix) {
    QFileDialog dialog(parent_, title, fileName, dialogFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void QtPrompts::beep() {
    QApplication::beep();
}
