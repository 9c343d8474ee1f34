#pragma once

#include <QLabel>

// A label that reports clicks: the connection images, the parameter labels and the setup
// window's frequencies. Given the focus, Enter or Space is its click and F1 asks for its help.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();
    void helpRequested();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
