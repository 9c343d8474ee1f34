#pragma once

#include <QDialog>

class QTimer;

// The splash window: about 4 seconds at start-up, about 16 as the About window; any click or
// key closes it at once.
class SplashWindow : public QDialog {
    Q_OBJECT
public:
    enum Use { StartUp, About };
    explicit SplashWindow(Use use, QWidget* parent = nullptr);

    int tickLimit() const { return limit_; }
    int tickCount() const { return count_; }

public slots:
    void onTick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimer* timer_;
    int count_ = 1;
    int limit_;
};
