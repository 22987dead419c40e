#include "platform/mail/MaildirMailApplication.h"

#include "platform/mail/MailErrors.h"
#include "platform/mail/MimeMessageReader.h"

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

std::unique_ptr<MaildirMailApplication> MaildirMailApplication::open(const MailSettings &settings, const Clock &clock)
{
    return std::unique_ptr<MaildirMailApplication>(new MaildirMailApplication(settings, clock));
}

MaildirMailApplication::MaildirMailApplication(const MailSettings &settings, const Clock &clock)
    : m_settings(settings)
    , m_inbox(settings.maildirPath())
    , m_sent(settings.sentFolderPath())
    , m_problem(MaildirFolder::check(m_inbox.path()))
    , m_reminders(settings.calendarPath(), clock)
    , m_parser(QStringLiteral("Mail"))
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &MaildirMailApplication::folderChanged);
    connect(&m_reminders, &ReminderScheduler::reminderDue, this, &MailApplication::reminder);
    connect(&m_reminders, &ReminderScheduler::noteForLog, this, &MailApplication::noteForLog);
    connect(&m_sync, &SyncCommandRunner::finished, this, &MaildirMailApplication::syncFinished);
    // What is there already is not news.
    m_knownNew = keysOf(m_inbox.messagesByUniqueName(false));
    watchFolders();
    m_reminders.start();
}

MaildirMailApplication::~MaildirMailApplication() = default;

void MaildirMailApplication::watchFolders(SentFolderContent content)
{
    const QStringList watched = m_watcher.directories();
    auto watch = [&](const QString &path) {
        if (!path.isEmpty() && !watched.contains(path) && QFileInfo(path).isDir())
            m_watcher.addPath(path);
    };
    // The folder holding the Maildir tells when it is made or removed.
    watch(QFileInfo(m_inbox.path()).absolutePath());
    watch(m_inbox.path());
    watch(m_inbox.newPath());
    // A sent folder being made appears here before its cur/ and new/ exist.
    if (!m_sentWatched && !m_sent.path().isEmpty())
        watch(m_sent.path());
    if (!m_sentWatched && m_sent.exists()) {
        // The sent folder may be created after we started; whatever is in
        // it at that point was sent while we watched (a sync command's
        // folder is judged when the command is done).
        const bool appearedLater = !watched.isEmpty() && content == SentFolderContent::Announce;
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
    } else {
        // The Maildir, its parent or the sent folder: folders made (or made
        // again) since the last look need watching.
        checkReachable();
        watchFolders();
    }
}

void MaildirMailApplication::checkReachable()
{
    const ErrorInfo now = MaildirFolder::check(m_inbox.path());
    if (now.isError() == m_problem.isError()) {
        m_problem = now;
        return;
    }
    m_problem = now;
    const QPointer<MaildirMailApplication> alive(this);
    if (!now.isError()) {
        // A Maildir made (or put back) now: what it holds is not news.
        m_knownNew = keysOf(m_inbox.messagesByUniqueName(false));
        emit problemChanged();
        if (alive)
            emit startup();
    } else {
        emit problemChanged();
        if (alive)
            emit quit();
    }
}

void MaildirMailApplication::inboxChanged()
{
    // What a running sync command brings is looked at when it is done.
    if (m_sync.isRunning())
        return;
    const QSet<QString> current = keysOf(m_inbox.messagesByUniqueName(false));
    const bool arrived = !(current - m_knownNew).isEmpty();
    m_knownNew = current;
    if (arrived)
        withNewestParsed([this] { emit newMail(); });
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

void MaildirMailApplication::withNewestParsed(std::function<void()> then)
{
    const QString newest = m_inbox.unreadFiles().value.value(0);
    if (newest.isEmpty() || isParsedNewest(newest)) {
        then();
        return;
    }
    m_parser.post([newest] { return parseFile(newest); },
                  [this, then = std::move(then)](ParsedMessage parsed) {
                      if (!parsed.path.isEmpty())
                          m_newest = std::move(parsed);
                      then();
                  });
}

void MaildirMailApplication::sentChanged()
{
    if (m_sync.isRunning())
        return;
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

MailResult<bool> MaildirMailApplication::startSendAndReceive()
{
    // Without a command there is only the Maildir to look at again; one
    // that is missing will not have appeared.
    const ErrorInfo missing = MaildirFolder::check(m_inbox.path());
    if (m_settings.syncCommand.trimmed().isEmpty() && missing.isError())
        return MailResult<bool>::failure(missing);
    m_sentWatchedBeforeSync = m_sentWatched;
    const ErrorInfo started = m_sync.start(m_settings.syncCommand);
    if (started.isError())
        return MailResult<bool>::failure(started);
    return {true, {}};
}

void MaildirMailApplication::syncFinished(const ErrorInfo &result)
{
    // Re-read the store. Mail the command fetched into the inbox is taken in
    // without a NewMail event: whoever asked for send-and-receive looks at
    // the inbox next, and finds the newest parsed already. Mail it brought
    // into the sent folder was sent (from another device, say): announced.
    checkReachable();
    watchFolders(SentFolderContent::TakeIn);
    m_knownNew = keysOf(m_inbox.messagesByUniqueName(false));
    // A sent folder the command made holds what was sent before.
    if (m_sentWatchedBeforeSync)
        sentChanged();
    else
        m_knownSent = keysOf(m_sent.messagesByUniqueName(true));
    m_reminders.reload();
    const ErrorInfo outcome = result.isError() ? result : m_problem;
    withNewestParsed([this, outcome] { emit sendAndReceiveFinished(outcome); });
}

} // namespace tilvano::mail
