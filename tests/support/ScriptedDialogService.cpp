#include "support/ScriptedDialogService.h"

namespace tilvano::test {

int ScriptedDialogService::messageBox(const QString &text, const QString &title, int style)
{
    m_shown.append({Kind::Message, text, title, style, {}});
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    return defaultAnswer(style);
}

QString ScriptedDialogService::inputBox(const QString &prompt, const QString &title,
                                        const QString &defaultText)
{
    m_shown.append({Kind::Input, prompt, title, 0, defaultText});
    return m_inputs.isEmpty() ? defaultText : m_inputs.dequeue();
}

QString ScriptedDialogService::openFileName(const QString &title, const QString &filter,
                                            const QString &)
{
    m_shown.append({Kind::OpenFile, {}, title, 0, filter});
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

void ScriptedDialogService::showNotice(const QString &text, const QString &title, int icon)
{
    m_shown.append({Kind::Notice, text, title, icon, {}});
}

QStringList ScriptedDialogService::texts() const
{
    QStringList result;
    for (const Shown &s : m_shown)
        result << s.text;
    return result;
}

} // namespace tilvano::test
