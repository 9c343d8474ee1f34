#pragma once

#include <QHBoxLayout>
#include <QPushButton>
#include <initializer_list>

// Small parts every dialog of the program is built from.
namespace DialogParts {

// A push button that tests and assistive technology find by its name.
inline QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* made = new QPushButton(caption, parent);
    made->setObjectName(name);
    return made;
}

// The row of a dialog's buttons, at its right edge.
inline QHBoxLayout* buttonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* each : buttons)
        row->addWidget(each);
    return row;
}

} // namespace DialogParts
