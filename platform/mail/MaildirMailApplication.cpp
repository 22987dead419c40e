#include "platform/mail/MaildirMailApplication.h"

#include "platform/mail/MailErrors.h"
#include "platform/mail/MimeMessageReader.h"
#include "platform/mail/SyncCommandRunner.h"

#include <QFileInfo>
#include <QPointer>

#include <algorithm>

namespace tilvano::mail {

namespace {

QSet<QString> keysOf(const QHash<QString, QString> &messages)
{
    return QSet<QString>(messages.keyBegin(), messages.keyEnd());
}

} // namespace

MailResult<std::unique_ptr<MaildirMailApplication>> MaildirMailApplication::open(const MailSettings &settings,
                                                                                const Clock &clock)
{
    using Result = MailResult<std::unique_ptr<MaildirMailApplication>>;
    const ErrorInfo problem = MaildirFolder::check(settings.maildirPath());
    if (problem.isError())
        return Result{nullptr, problem};
    return Result{std::unique_ptr<MaildirMailApplication>(new MaildirMailApplication(settings, clock)), {}};
}

MaildirMailApplication::MaildirMailApplication(const MailSettings &settings, const Clock &clock)
    : m_settings(settings)
    , m_inbox(settings.maildirPath())
    , m_sent(settings.sentFolderPath())
    , m_reminders(settings.calendarPath(), clock)
    , m_parser(QStringLiteral("Mail"))
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &MaildirMailApplication::folderChanged);
    connect(&m_reminders, &ReminderScheduler::reminderDue, this, &MailApplication::reminder);
    // What is there already is not news.
    m_knownNew = keysOf(m_inbox.messagesByUniqueName(false));
    watchFolders();
    m_reminders.start();
    // Raised from the event loop, so whoever created the application has
    // connected to it by then.
    QMetaObject::invokeMethod(this, &MailApplication::startup, Qt::QueuedConnection);
}

MaildirMailApplication::~MaildirMailApplication()
{
    emit quit();
}

void MaildirMailApplication::watchFolders()
{
    const QStringList watched = m_watcher.directories();
    auto watch = [&](const QString &path) {
        if (!watched.contains(path) && QFileInfo(path).isDir())
            m_watcher.addPath(path);
    };
    watch(m_inbox.path());
    watch(m_inbox.newPath());
    // A sent folder being made appears here before its cur/ and new/ exist.
    if (!m_sentWatched && !m_sent.path().isEmpty())
        watch(m_sent.path());
    if (!m_sentWatched && m_sent.exists()) {
        // The sent folder may be created after we started; whatever is in
        // it at that point was sent while we watched.
        const bool appearedLater = !watched.isEmpty();
        if (!appearedLater)
            m_knownSent = keysOf(m_sent.messagesByUniqueName(true));
        watch(m_sent.newPath());
        watch(m_sent.curPath());
        m_sentWatched = true;
        if (appearedLater)
            sentChanged();
    }
}

void MaildirMailApplication::folderChanged(const QString &path)
{
    if (path == m_inbox.newPath()) {
        inboxChanged();
    } else if (path == m_sent.newPath() || path == m_sent.curPath()) {
        sentChanged();
    } else if (path == m_inbox.path() || path == m_sent.path()) {
        // Folders made (or made again) since the last look need watching.
        watchFolders();
    }
}

void MaildirMailApplication::inboxChanged()
{
    const QSet<QString> current = keysOf(m_inbox.messagesByUniqueName(false));
    const bool arrived = !(current - m_knownNew).isEmpty();
    m_knownNew = current;
    if (arrived)
        announceNewMail();
}

MaildirMailApplication::ParsedMessage MaildirMailApplication::parseFile(const QString &path)
{
    ParsedMessage parsed;
    const QFileInfo info(path);
    parsed.path = path;
    parsed.modified = info.lastModified();
    parsed.size = info.size();
    MailResult<MailItem> item = MimeMessageReader::readFile(path);
    if (!item.ok())
        parsed.path.clear();
    parsed.item = std::move(item.value);
    return parsed;
}

bool MaildirMailApplication::isParsedNewest(const QString &path) const
{
    if (m_newest.path.isEmpty() || m_newest.path != path)
        return false;
    const QFileInfo info(path);
    return info.lastModified() == m_newest.modified && info.size() == m_newest.size;
}

void MaildirMailApplication::announceNewMail()
{
    const MailResult<QStringList> files = m_inbox.unreadFiles();
    const QString newest = files.value.value(0);
    if (newest.isEmpty() || isParsedNewest(newest)) {
        emit newMail();
        return;
    }
    m_parser.post([newest] { return parseFile(newest); },
                  [this](ParsedMessage parsed) {
                      if (!parsed.path.isEmpty())
                          m_newest = std::move(parsed);
                      emit newMail();
                  });
}

void MaildirMailApplication::sentChanged()
{
    const QHash<QString, QString> current = m_sent.messagesByUniqueName(true);
    QStringList fresh;
    for (auto it = current.constBegin(); it != current.constEnd(); ++it) {
        if (!m_knownSent.contains(it.key()))
            fresh << it.key();
    }
    m_knownSent = keysOf(current);
    // Many mails at one stroke are a synchronisation bringing in old sent
    // mail (a first mbsync run, a restored backup), not mail being sent:
    // announcing each would have the character talk for hours.
    if (fresh.size() > maxSentAtOnce)
        return;
    // Unique names made by mail tools start with the time, so this is the
    // order in which the mails were sent.
    std::sort(fresh.begin(), fresh.end());
    QStringList paths;
    for (const QString &key : std::as_const(fresh))
        paths << current.value(key);
    if (paths.isEmpty())
        return;
    m_parser.post(
        [paths] {
            QList<MailItem> items;
            for (const QString &path : paths) {
                MailResult<MailItem> item = MimeMessageReader::readFile(path);
                if (item.ok()) // else moved or removed again before it could be read
                    items << std::move(item.value);
            }
            return items;
        },
        [this](QList<MailItem> items) {
            const QPointer<MaildirMailApplication> alive(this);
            for (const MailItem &item : std::as_const(items)) {
                bool cancel = false;
                emit itemSend(item, cancel);
                if (!alive)
                    return;
            }
        });
}

MailResult<int> MaildirMailApplication::unreadCount()
{
    return m_inbox.unreadCount();
}

MailResult<MailItem> MaildirMailApplication::unreadItem(int index)
{
    // Another client may move the message between listing and reading it
    // (new/ to cur/, or a flag change); then the listing is taken again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const MailResult<QStringList> files = m_inbox.unreadFiles();
        if (!files.ok())
            return MailResult<MailItem>::failure(files.error);
        if (index < 1 || index > files.value.size())
            return MailResult<MailItem>::failure(noSuchItem(index, int(files.value.size())));
        if (index == 1 && isParsedNewest(files.value.first()))
            return {m_newest.item, {}};
        // Not parsed ahead (another client changed the inbox since the last
        // announcement): parsed here, within the reader's limits.
        MailResult<MailItem> item = MimeMessageReader::readFile(files.value.at(index - 1));
        if (item.ok() || QFileInfo::exists(files.value.at(index - 1)))
            return item;
    }
    return MailResult<MailItem>::failure(messageUnreadable(m_inbox.path()));
}

MailResult<bool> MaildirMailApplication::sendAndReceive()
{
    const ErrorInfo syncError = SyncCommandRunner(m_syncTimeoutMs).run(m_settings.syncCommand);
    // Re-read the store. Mail the command fetched is taken in without a
    // NewMail event: whoever asked for send-and-receive looks at the inbox next.
    const ErrorInfo storeError = MaildirFolder::check(m_inbox.path());
    watchFolders();
    m_knownNew = keysOf(m_inbox.messagesByUniqueName(false));
    m_reminders.reload();
    if (syncError.isError())
        return MailResult<bool>::failure(syncError);
    if (storeError.isError())
        return MailResult<bool>::failure(storeError);
    return {true, {}};
}

} // namespace tilvano::mail
