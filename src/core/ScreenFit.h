#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

// The room a window has on the screen it opens on: the screen's free area less a title bar and
// borders. Invalid when there is no screen.
inline QSize screenRoom(const QWidget& window) {
    const QWidget* near = window.parentWidget() ? window.parentWidget()->window() : &window;
    const QScreen* screen = near->screen() ? near->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QSize frame(8, window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    return screen->availableGeometry().size() - frame;
}

// A window's first size: what it wants, but no larger than the free area of the screen it opens
// on, title bar and borders included, and no smaller than its layout allows.
// Call it once the window is built and polished (the style's fonts and margins set its sizes).
inline void fitToScreen(QWidget& window, const QSize& wanted) {
    const QSize room = screenRoom(window);
    if (!room.isValid())
        return;
    window.resize(wanted.boundedTo(room).expandedTo(window.minimumSizeHint()));
}
