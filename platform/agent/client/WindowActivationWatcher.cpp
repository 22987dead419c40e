#include "WindowActivationWatcher.h"

#include <QGuiApplication>
#include <QWindow>

namespace tilvano::agent {

WindowActivationWatcher::WindowActivationWatcher(QObject *parent) : QObject(parent)
{
    if (!qGuiApp)
        return; // a program without windows
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *window) {
        if (isWorkWindow(window))
            emit activated();
    });
}

bool WindowActivationWatcher::isWorkWindow(const QWindow *window)
{
    if (!window)
        return false;
    const Qt::WindowType type = window->type();
    return type == Qt::Window || type == Qt::Dialog;
}

} // namespace tilvano::agent
