#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
struct SharedState;

// The shared progress window of long operations; Cancel raises the cancel-requested flag that
// the running operation tests.
class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    explicit ProgressWindow(SharedState& state, QWidget* parent = nullptr);

    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QPushButton* Command1;

public slots:
    void onCancel();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void stopWork();

    SharedState& state_;
};
