#include "host/DialogGate.h"

namespace tilvano::host {

DialogGate::DialogGate(DialogService &boxes) : m_boxes(boxes) {}

DialogGate::BusCall::BusCall(DialogGate *gate) : m_gate(gate)
{
    if (m_gate)
        ++m_gate->m_busCalls;
}

DialogGate::BusCall::~BusCall()
{
    if (m_gate)
        --m_gate->m_busCalls;
}

bool DialogGate::prepareToShow()
{
    if (!isOpen())
        return false;
    if (m_beforeShowing)
        m_beforeShowing();
    return true;
}

int DialogGate::messageBox(const QString &text, const QString &title, int style)
{
    if (m_loadingCharacter && answersOf(style).size() == 1) {
        showNotice(text, title, style & 0xf0);
        return Ok;
    }
    return prepareToShow() ? m_boxes.messageBox(text, title, style) : defaultAnswer(style);
}

QString DialogGate::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    return prepareToShow() ? m_boxes.inputBox(prompt, title, defaultText) : QString();
}

QString DialogGate::openFileName(const QString &title, const QString &filter, const QString &directory)
{
    return prepareToShow() ? m_boxes.openFileName(title, filter, directory) : QString();
}

void DialogGate::showNotice(const QString &text, const QString &title, int icon)
{
    if (!m_closedForGood)
        m_boxes.showNotice(text, title, icon);
}

} // namespace tilvano::host
