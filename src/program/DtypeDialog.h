#pragma once

#include "OptionDialog.h"

class QLabel;

// The diagnostic type: node or root.
class DtypeDialog : public OptionDialog {
    Q_OBJECT
public:
    DtypeDialog(Console& console, QWidget* parent);

    QLabel* InfoLabel;
    QPushButton* NodeButton;
    QPushButton* RootButton;
    QPushButton* CancelButton;
};
