#pragma once

#include <QDialog>

namespace tilvano::charinspect {

// The modal about box: program name, version and where to find more.
class AboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit AboutBox(QWidget *parent = nullptr);

    static QString versionText() { return QStringLiteral("Version 3.1"); }
};

} // namespace tilvano::charinspect
