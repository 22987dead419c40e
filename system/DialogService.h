#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace tilvano {

// Message, input and file boxes. Programs use the Qt implementation; tests use a
// scripted double that records what was shown and answers as the test says.
// Values follow the classic message-box conventions so that callers and scripts
// can compare them with the usual constants.
class DialogService {
public:
    // Plain int constants (not enums) so that they combine with | as callers expect.
    static constexpr int OkOnly = 0;
    static constexpr int OkCancel = 1;
    static constexpr int AbortRetryIgnore = 2;
    static constexpr int YesNoCancel = 3;
    static constexpr int YesNo = 4;
    static constexpr int RetryCancel = 5;

    static constexpr int NoIcon = 0;
    static constexpr int Critical = 16; // stop sign
    static constexpr int Question = 32;
    static constexpr int Exclamation = 48;
    static constexpr int Information = 64;

    static constexpr int DefaultButton1 = 0;
    static constexpr int DefaultButton2 = 256;
    static constexpr int DefaultButton3 = 512;

    // Answers.
    static constexpr int Ok = 1;
    static constexpr int Cancel = 2;
    static constexpr int Abort = 3;
    static constexpr int Retry = 4;
    static constexpr int Ignore = 5;
    static constexpr int Yes = 6;
    static constexpr int No = 7;

    virtual ~DialogService() = default;

    // The answers of a style's buttons, in the order the box shows them.
    static QList<int> answersOf(int style)
    {
        switch (style & 0x0f) {
        case OkCancel: return {Ok, Cancel};
        case AbortRetryIgnore: return {Abort, Retry, Ignore};
        case YesNoCancel: return {Yes, No, Cancel};
        case YesNo: return {Yes, No};
        case RetryCancel: return {Retry, Cancel};
        default: return {Ok};
        }
    }

    // The answer of the style's default button: what pressing Enter gives, and
    // what a box that cannot be shown answers in its place.
    static int defaultAnswer(int style)
    {
        const QList<int> answers = answersOf(style);
        const qsizetype index = std::min<qsizetype>((style & 0xf00) / DefaultButton2, answers.size() - 1);
        return answers.at(index);
    }

    // style = Buttons | Icon | DefaultButton, as the classic message box takes it.
    virtual int messageBox(const QString &text, const QString &title, int style) = 0;

    // Returns the entered text, or a null QString when the user cancelled.
    virtual QString inputBox(const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;

    // filter in Qt's form ("Wave-Dateien (*.wav)"); returns an empty text on cancel.
    virtual QString openFileName(const QString &title, const QString &filter,
                                 const QString &directory) = 0;

    // A message with an OK button that needs no answer: shown without waiting,
    // so it holds up nothing that runs meanwhile (no nested event loop).
    // icon: one of the icon constants.
    virtual void showNotice(const QString &text, const QString &title, int icon) = 0;
};

} // namespace tilvano
