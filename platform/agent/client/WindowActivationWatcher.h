#pragma once

#include <QObject>

class QWindow;

namespace tilvano::agent {

// Tells when the user turns to one of this program's windows. Only windows a user works in
// count: a click on the character, a balloon or a pop-up menu activates nothing, so that the
// program whose menu the character shows does not change under the user's mouse.
class WindowActivationWatcher : public QObject
{
    Q_OBJECT

public:
    explicit WindowActivationWatcher(QObject *parent = nullptr);

    static bool isWorkWindow(const QWindow *window);

signals:
    void activated();
};

} // namespace tilvano::agent
