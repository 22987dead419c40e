#pragma once

#include "system/DialogService.h"

#include <functional>

namespace tilvano::host {

// Every box the host's process shows passes through here, so that the host
// decides when a box may wait for the user. It does not:
// - inside a call from the session bus: the box's event loop would let the
//   next call in, and with it the next box, each nested in the one before;
// - once the session ends: nobody is there to answer, and a box would keep
//   the companion from ending.
// A box that may not be shown answers as if its default button had been
// pressed; an input or file box as if it had been cancelled.
// Before a box is shown, the host may answer whoever waits for it (a program
// on the bus whose macro is about to show the box).
// While the host loads its character, a box that only tells something
// (its one button is OK: a character file that is missing or damaged) comes up
// as a notice and is answered at once. A program that had the bus start the
// host waits for the host's name on the bus, which the host takes only at the
// end of its start. Boxes that ask still wait.
class DialogGate final : public DialogService {
public:
    // boxes: the service that shows them; it must outlive the gate.
    explicit DialogGate(DialogService &boxes);

    int messageBox(const QString &text, const QString &title, int style) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    QString openFileName(const QString &title, const QString &filter, const QString &directory) override;
    // A notice waits for nobody, so it may come up during a bus call too.
    void showNotice(const QString &text, const QString &title, int icon) override;

    // While one lives, no box is shown. A null gate is allowed and does nothing.
    class BusCall {
    public:
        explicit BusCall(DialogGate *gate);
        ~BusCall();
        BusCall(const BusCall &) = delete;
        BusCall &operator=(const BusCall &) = delete;

    private:
        DialogGate *m_gate;
    };

    // From now on no box is shown, for the rest of the run.
    void closeForGood() { m_closedForGood = true; }
    // Whether the host is loading its character (see above).
    void setLoadingCharacter(bool loading) { m_loadingCharacter = loading; }
    bool isOpen() const { return m_busCalls == 0 && !m_closedForGood; }

    // Called right before a box is shown; empty for nothing.
    void setBeforeShowing(std::function<void()> hook) { m_beforeShowing = std::move(hook); }

private:
    // False when the box may not be shown; otherwise runs the hook first.
    bool prepareToShow();

    DialogService &m_boxes;
    int m_busCalls = 0;
    bool m_closedForGood = false;
    bool m_loadingCharacter = false;
    std::function<void()> m_beforeShowing;
};

} // namespace tilvano::host
