#pragma once

#include "ConfigSession.h"
#include "core/GatedDialog.h"
#include "core/Prompts.h"

#include <memory>

class Clock;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class SerialPort;
struct SharedState;

// The store and restore window: for every programmable setting the radio's value beside a
// file's, with check boxes for the settings to program. It talks to the radio through a port
// of its own while the main window's port is closed. Its toolbar rests while one of its
// actions (a read, a load, a save, a programming run) holds the link.
class RestoreWindow : public GatedDialog {
    Q_OBJECT
public:
    RestoreWindow(std::unique_ptr<SerialPort> port, int portNumber, const QString& settings,
                  SharedState& state, Clock& clock, Prompts& prompts, QWidget* parent);
    ~RestoreWindow() override;

    ConfigSession& session() { return *session_; }
    // Opens the port, wakes the console and reads the radio.
    void start();

    QTabWidget* TabStrip;
    QList<QWidget*> RadSet;
    QWidget* Toolbar;
    QLabel* FileSettingsLabel;
    QLabel* DiagWarnLabel;
    QLabel* ProgressLabel;
    // One line under the rows: what the last save wrote.
    QLabel* StatusLabel;
    QList<QFrame*> ProgressBlock;
    QPushButton* CheckAllButton;
    QPushButton* UncheckAllButton;
    QPushButton* CloseButton;
    QAction* toolbarButton(const QString& key) const;
    QLineEdit* currentField(const QString& query) const;
    QLineEdit* fileField(const QString& query) const;
    QCheckBox* checkBox(const QString& query) const;

    bool idle() const { return !acting(); }
    bool fileLoaded() const { return fileLoaded_; }

    // A programming run that a lost device cut short: what it could not tell while the link
    // went, and the file and ticks to take up again once the radio is connected.
    struct Unfinished {
        QString report;
        QString path;
        QStringList ticked;
    };
    Unfinished unfinished() const { return unfinished_; }
    // The file and ticks of an unfinished run, loaded and ticked again after the first read.
    void resume(const Unfinished& unfinished) { resume_ = unfinished; }

public slots:
    void requestRead();
    void openConfig();
    void saveConfig();
    void programRadio();
    void checkAll(bool ticked);
    void closeWindow();

protected:
    void closing(int result) override;
    void actionRunning(bool running) override;

private:
    struct RowControls {
        QLineEdit* current;
        QLineEdit* file;
        QCheckBox* check;
    };
    void buildRows();
    void buildToolbar();
    // One row of buttons where the window is wide enough, else two.
    void placeToolbarButtons();
    void layOutForVersion();
    void runRead();
    void showProgress(int percent);
    void applyModeRule();
    void setRowUsable(const QString& query, bool usable);
    void loadFile(const QString& path);
    void showFileRow(const QString& query, const ConfigFormat::Loaded& sofar);
    void sayWhatTheFileLacked(const QString& name, const ConfigFormat::Loaded& loaded);
    void save();
    void showSavedDisplay();
    void program();
    void reportCutShort(const ConfigSession::Programmed& run, const QStringList& ticked);
    void reportNotTaken();
    void sayProgrammed(int verified, int programmed);
    void resumeUnfinished();
    // Why a programmed row is not as the file has it, or nothing when it is.
    std::optional<QString> refusalOf(const QString& query, const QStringList& differing) const;
    void markChanges();
    QMap<QString, QString> fileValues() const;
    QLabel* infoLabel(const QString& text);

    std::unique_ptr<SerialPort> port_;
    int portNumber_;
    QString settings_;
    SharedState& state_;
    Prompts prompts_;
    std::unique_ptr<ConfigSession> session_;
    QMap<QString, RowControls> rows_;
    QList<QToolButton*> toolbarButtons_;
    bool readDone_ = false;
    bool fileLoaded_ = false;
    QString filePath_;
    ConfigSession::Programmed programmed_;
    Unfinished unfinished_;
    Unfinished resume_;
};
