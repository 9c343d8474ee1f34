#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSettings;
class TerminalPane;
struct SharedState;

// The user's preferences: the terminal's colours and boldness, connecting at launch, the
// keep-alive and logging out at exit. OK stores them and they take effect at once.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    PreferencesDialog(TerminalPane& pane, SharedState& state, QSettings& settings, QWidget* parent);

    struct Colour {
        const char* name;
        const char* value; // as the settings store it: "&H" and blue-green-red
    };
    static const Colour Colours[10];

    QCheckBox* ConnectOnLaunchCheck;
    QCheckBox* KeepAliveCheck;
    QCheckBox* LogoutCheck;
    QCheckBox* BoldCheck;
    QComboBox* TextColorList;
    QComboBox* BackgroundColorList;
    QPushButton* OKButton;
    QPushButton* CancelButton;

public slots:
    void onOK();

private:
    QComboBox* colourList(const char* name, const QColor& current);
    static QColor colourAt(const QComboBox* list);

    TerminalPane& pane_;
    SharedState& state_;
    QSettings& settings_;
};
