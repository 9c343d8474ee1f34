#include "OptionDialog.h"

#include "link/Console.h"
#include "link/SerialPort.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>

OptionDialog::OptionDialog(Console& console, const char* name, const QString& caption,
                           QWidget* parent, bool returnOnClose)
    : QDialog(parent), console_(console), closed_(!returnOnClose) {
    setObjectName(name);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
}

bool OptionDialog::send(const QString& command) {
    try {
        console_.sendLine(command);
        return true;
    } catch (const SerialError& error) {
        if (error.endsHandler() && onLinkFailure)
            onLinkFailure();
        return false;
    }
}

void OptionDialog::pause() {
    console_.sleep(100);
}

QList<QRadioButton*> OptionDialog::onOffOptions(const QString& name, const QString& what) {
    auto* group = new QButtonGroup(this);
    QList<QRadioButton*> options;
    for (const char* state : {"Enabled", "Disabled"}) {
        auto* option = new QRadioButton(what + ' ' + state, this);
        option->setObjectName(QString("%1_%2").arg(name).arg(options.size()));
        group->addButton(option);
        options.append(option);
    }
    return options;
}

QPushButton* OptionDialog::button(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    return button;
}

void OptionDialog::done(int result) {
    if (!closed_) {
        closed_ = true;
        send(QString());
    }
    QDialog::done(result);
}
