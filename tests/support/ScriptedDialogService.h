#pragma once

#include "system/DialogService.h"

#include <QList>
#include <QQueue>
#include <QString>

namespace tilvano::test {

// A dialog service for tests: records every box that was asked for and answers
// from queues the test fills. A box asked for with nothing queued answers as
// Enter would (its default button, the default text; no file), so a test that
// does not care about a box need not script it.
class ScriptedDialogService : public DialogService {
public:
    enum class Kind { Message, Input, OpenFile, Notice };
    struct Shown {
        Kind kind;
        QString text;   // message or prompt
        QString title;
        int style = 0;  // buttons | icon | default button (message boxes)
        QString defaultText; // input boxes; filter for file boxes
        int buttons() const { return style & 0x0f; }
        int icon() const { return style & 0xf0; }
    };

    int messageBox(const QString &text, const QString &title, int style) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    QString openFileName(const QString &title, const QString &filter, const QString &directory) override;
    void showNotice(const QString &text, const QString &title, int icon) override;

    void queueAnswer(int result) { m_answers.enqueue(result); }
    void queueInput(const QString &text) { m_inputs.enqueue(text); } // null QString = cancel
    void queueFile(const QString &path) { m_files.enqueue(path); }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList texts() const;
    void clear() { m_shown.clear(); m_answers.clear(); m_inputs.clear(); m_files.clear(); }

private:
    QList<Shown> m_shown;
    QQueue<int> m_answers;
    QQueue<QString> m_inputs;
    QQueue<QString> m_files;
};

} // namespace tilvano::test
