#pragma once

#include "system/DialogService.h"

namespace tilvano {

// Real message, input and file boxes with German button texts.
class QtDialogService final : public DialogService {
public:
    int messageBox(const QString &text, const QString &title, int style) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    QString openFileName(const QString &title, const QString &filter, const QString &directory) override;
    void showNotice(const QString &text, const QString &title, int icon) override;
};

} // namespace tilvano
