#pragma once

#include "OptionDialog.h"

#include <optional>

class QCheckBox;
class QLabel;

// The extension map: one box per extension address 0 to 31, box k for bit k of the radio's
// 32-bit map (eight hexadecimal digits, most significant first).
class XmapDialog : public OptionDialog {
    Q_OBJECT
public:
    // The map as read from the radio, or nothing when it could not be read.
    XmapDialog(Console& console, const std::optional<QString>& map, QWidget* parent);

    QLabel* Label1;
    QLabel* StatusLabel;
    QList<QCheckBox*> Check1;
    QPushButton* CurrentButton;
    QPushButton* ProgramButton;
    QPushButton* CheckAllButton;
    QPushButton* UnCheckAllButton;
    QPushButton* CloseButton;

    // Runs once the map of the ticked boxes has gone to the radio.
    std::function<void()> programmed;

public slots:
    void showCurrent();
    void programSettings();
    void checkAll(bool ticked);

private:
    QString map_;
};
