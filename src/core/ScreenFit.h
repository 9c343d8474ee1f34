#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

// A window's first size: what it wants, but no larger than the free area of the screen it opens
// on, title bar and borders included, and no smaller than its layout allows.
// Call it once the window is built and polished (the style's fonts and margins set its sizes).
inline void fitToScreen(QWidget& window, const QSize& wanted) {
    const QWidget* near = window.parentWidget() ? window.parentWidget()->window() : &window;
    const QScreen* screen = near->screen() ? near->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize frame(8, window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    const QSize room = screen->availableGeometry().size() - frame;
    window.resize(wanted.boundedTo(room).expandedTo(window.minimumSizeHint()));
}
