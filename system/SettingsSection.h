#pragma once

#include <QString>

namespace tilvano {

class Registry;

// The application every deliverable keeps its settings under.
inline QString settingsApplication() { return QStringLiteral("Lorvat"); }

// One section of an application's text settings, kept in the per-user registry
// under HKEY_CURRENT_USER\Software\<application>\<section>. The common settings
// functions and the stand-ins below them (mail, messenger) all read and write
// through this, so that both see the same values in the same form.
class SettingsSection {
public:
    SettingsSection(Registry &registry, const QString &application, const QString &section);
    // A section of settingsApplication().
    SettingsSection(Registry &registry, const QString &section);

    QString keyPath() const { return m_keyPath; }
    static QString keyPathOf(const QString &application, const QString &section);
    static QString keyPathOf(const QString &section) { return keyPathOf(settingsApplication(), section); }

    // The stored text (a number as its decimal text), or fallback when missing.
    QString text(const QString &key, const QString &fallback = QString()) const;
    // Creates what is missing and replaces what is there. False when the store
    // refused, so that a save never reports success with nothing stored.
    bool setText(const QString &key, const QString &value);

private:
    Registry &m_registry;
    QString m_keyPath;
};

} // namespace tilvano
