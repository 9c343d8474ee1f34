#pragma once

#include <QDialog>

class QTimer;

// The splash window that opens the program: about 4 seconds, or until any click or key.
class SplashWindow : public QDialog {
    Q_OBJECT
public:
    enum Use { StartUp };
    explicit SplashWindow(Use = StartUp, QWidget* parent = nullptr);

    int tickLimit() const { return Limit; }
    int tickCount() const { return count_; }

public slots:
    void onTick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int Limit = 2;
    QTimer* timer_;
    int count_ = 1;
};

// The About window: the splash's logo and lines in a dialog that stays until OK or Esc.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};
