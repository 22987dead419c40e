#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tilvano::test {

// Points HOME and the XDG folders at a fresh temporary folder for the lifetime
// of the object, so a test sees no settings, characters or files but its own.
// Also resets the ServiceRegistry, so the next use opens the new settings store
// and no double of an earlier test is left in place.
class IsolatedHome {
public:
    IsolatedHome();
    ~IsolatedHome();
    IsolatedHome(const IsolatedHome &) = delete;
    IsolatedHome &operator=(const IsolatedHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString configHome() const;
    QString dataHome() const;
    QString runtimeDir() const;

private:
    QTemporaryDir m_dir;
};

// Folder holding the test fixtures (tests/fixtures).
QString fixturesDir();

} // namespace tilvano::test
