#pragma once

#include "AgentCtl/Agent.h"
#include "common/ErrorInfo.h"

#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QRect;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tilvano {

class MacroBox;

// What sets one settings page apart from the others.
struct PageIdentity {
    QString caption;      // PluginCaption: the page's node in the host's tree
    QString treeParent;   // TreeParent: "Einstellungen" or "Module"
    QString description;  // PluginDescription
    QString heading;      // the bold caption label at the top left
    int headingWidth = 2415; // twips
    QString closingTitle; // title of the "save changes?" box
    QString section;      // the page's own section of the settings store
    bool hasHelpButton = true;
    // The library's own version, e.g. "1.03.0135"; pages built here pass
    // TILVANO_PAGE_VERSION, which the build sets from the project version.
    QString version;
};

// The help button's message box.
struct PageHelp {
    QStringList lines; // each shown followed by CR LF
    int icon = 0;      // a DialogService icon constant
    QString title;
};

// A settings page: the widget the host places in its settings window, which
// also does its page's background work for as long as it exists (reacting to
// mail or chat, rewriting spoken text, keeping a template installed).
//
// The members up to Init are what every host relies on, in this order.
// Everything pages share lives here: the frame (caption, save and help
// buttons and where they go on resize, and room for every text with the
// user's fonts), the changed flag and its closing prompt, the common steps of
// Init and of saving, the macro pickers, and the focus arriving at the page.
//
// A page class derived from this must be final and call closePage() in its
// destructor, so that its own save and teardown still run as that class.
class PluginPage : public QWidget {
    Q_OBJECT
public:
    ~PluginPage() override;

    ErrorInfo LastError() const { return m_lastError; }
    void setLastError(const ErrorInfo &error) { m_lastError = error; }
    QString PluginVersion() const;
    QString PluginDescription() const { return m_identity.description; }
    QString PluginAuthor() const;
    // Called once when the host starts; true unless the page says otherwise.
    virtual bool PluginStart();
    QString TreeParent() const { return m_identity.treeParent; }
    QString PluginCaption() const { return m_identity.caption; }
    // Connects the page to the character and loads its settings: keeps the
    // reference, subscribes to its events (connectKibo), fills each macro
    // picker and selects its stored macro, loads the page's own controls
    // (loadSettings) and clears PageChanged, which the loading may have set.
    void Init(Agent *fri);

    // Unsaved user edits.
    bool PageChanged() const { return m_pageChanged; }
    // The save button: what the page hands the character first, the
    // character's own settings, then the pickers' and the page's keys; clears
    // PageChanged. False when the save failed: the failure is in LastError,
    // the edits still count as unsaved, and a failure of the character's own
    // save ends the save before the page's keys.
    bool savePage();
    // Asks "save changes?" when there are unsaved edits, then undoes what
    // the page installed (teardown). Runs once; later calls do nothing.
    void closePage();

    // "1.03.0135" gives "1.3.135": each part in plain decimal.
    static QString formatVersion(const QString &version);

    static constexpr int designWidthTwips = 7215;
    static constexpr int designHeightTwips = 6765;

    // The page is laid out in twips for the fonts of its time. Each label,
    // check box and button whose text its size would cut with the fonts in
    // use gets more room: wider, as far as the free space to its right
    // allows, or else (a label) on more lines where there is room above or
    // below; left edges stay. Runs by itself whenever the page is shown, its
    // fonts or style change, or a control's text changes while shown.
    void fitTexts();

    QLabel *captionLabel() const { return m_caption; }
    QPushButton *saveButton() const { return m_save; }
    QToolButton *helpButton() const { return m_help; } // null on pages without one

protected:
    PluginPage(const PageIdentity &identity, QWidget *parent);

    Agent *kibo() const { return m_kibo; }
    const PageIdentity &identity() const { return m_identity; }

    // A label on the page, under the name the page's form gives it, at its
    // place in pixels.
    QLabel *addLabel(const QString &name, const QString &text, const QRect &geometry);

    // A macro picker of the page and the key (in the page's section) that
    // stores its macro name. Register in the page's order: Init fills them in
    // that order, saving writes them in that order, before saveSettings.
    void addMacroPicker(MacroBox *picker, const QString &key);
    const QList<MacroBox *> &macroPickers() const { return m_pickers; }

    // User edits that count as changes: a picker's Click (registered
    // automatically), a check box click, a text field edit.
    void watchForEdits(QCheckBox *box);
    void watchForEdits(QLineEdit *field);
    void markChanged() { m_pageChanged = true; }
    // Called by saveSettings when the save did not complete: the edits stay
    // unsaved, so closing still asks about them.
    void saveFailed() { m_saveFailed = true; }
    // The settings store refused a value: the page's LastError says so (error
    // 75) and the save counts as failed.
    void storeRefused();
    void setPageChanged(bool changed) { m_pageChanged = changed; }

    // The page's own parts of Init, saving and closing. beforeSaving runs
    // ahead of the character's own SaveAll, for pages that hand it values to
    // store; false stops the save there (the page reported why). saveSettings
    // writes the page's keys and may call saveFailed().
    virtual void connectKibo(Agent *fri);
    virtual void loadSettings();
    virtual bool beforeSaving();
    virtual void saveSettings();
    virtual void teardown();
    virtual PageHelp help() const;
    // The user moved the focus into the page from another control of its
    // window. The focus coming back with the window (after a box, a menu or
    // another program) is no such move: what the user changed on the page
    // meanwhile must not be overwritten then.
    virtual void focusArrived();


    // The page's section of the settings store, application Lorvat. A value
    // the store refuses fails the save (LastError, saveFailed) and gives false.
    QString readSetting(const QString &key, const QString &defaultValue = {}) const;
    bool writeSetting(const QString &key, const QString &value);
    static QString checkBoxValue(const QCheckBox *box); // "1" ticked, "0" cleared

    // The error state after a failed start of the page's background work:
    // pickers, the given controls and the save button are disabled and the
    // (hidden until then) label shows the text in red.
    void showErrorState(QLabel *errorLabel, const QString &text, const QList<QWidget *> &alsoDisable);

    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    void showHelp();
    void focusMoved(QWidget *old, QWidget *now);

    PageIdentity m_identity;
    ErrorInfo m_lastError;
    QPointer<Agent> m_kibo;
    bool m_pageChanged = false;
    bool m_closed = false;
    bool m_saveFailed = false;
    bool m_fittingTexts = false;
    QMetaObject::Connection m_focusWatch;
    QList<MacroBox *> m_pickers;
    QStringList m_pickerKeys;
    QLabel *m_caption = nullptr;
    QPushButton *m_save = nullptr;
    QToolButton *m_help = nullptr;
};

} // namespace tilvano
