// Mail application: time from a message renamed into new/ to NewMail being
// raised, counting the unread mails of a Maildir of 10,000 messages, and
// decoding one typical message.

#include "platform/mail/Clock.h"
#include "platform/mail/MailSettings.h"
#include "platform/mail/MaildirMailApplication.h"
#include "platform/mail/MimeMessageReader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>

using namespace tilvano::mail;

namespace {

const QByteArray kMessage = "From: =?UTF-8?Q?J=C3=BCrgen_M=C3=BCller?= <jm@example.org>\r\n"
                            "To: Anna <anna@example.org>\r\nSubject: =?ISO-8859-1?Q?Gr=FC=DFe?=\r\n"
                            "MIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=b\r\n\r\n"
                            "--b\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nHallo Anna,\r\nbis morgen.\r\n"
                            "--b\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>Hallo Anna,</p>\r\n--b--\r\n";

QString makeMaildir(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("Maildir"));
    for (const char *sub : {"cur", "new", "tmp"})
        QDir().mkpath(path + QLatin1Char('/') + QLatin1String(sub));
    return path;
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

MailSettings settingsFor(const QString &maildir)
{
    MailSettings settings;
    settings.maildir = maildir;
    settings.sentFolder = QStringLiteral(".Sent");
    settings.calendarDir = maildir + QStringLiteral("/no-calendar");
    return settings;
}

void BM_NewMailLatency(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString maildir = makeMaildir(dir);
    auto app = MaildirMailApplication::open(settingsFor(maildir), systemClock());
    QEventLoop loop;
    QObject::connect(app.get(), &MailApplication::newMail, &loop, &QEventLoop::quit);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    int n = 0;
    for (auto _ : state) {
        const QString name = QStringLiteral("%1.M1P1Q%2.bench").arg(1700000000 + n).arg(n);
        ++n;
        writeFile(maildir + QStringLiteral("/tmp/") + name, kMessage);
        QElapsedTimer timer;
        timer.start();
        guard.start(2000);
        QFile::rename(maildir + QStringLiteral("/tmp/") + name, maildir + QStringLiteral("/new/") + name);
        loop.exec();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!guard.isActive())
            state.SkipWithError("NewMail not raised within 2 s");
        guard.stop();
    }
}
BENCHMARK(BM_NewMailLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_UnreadCount10000(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString maildir = makeMaildir(dir);
    // 2,000 in new/, 8,000 in cur/ of which half are seen: 6,000 unread.
    for (int i = 0; i < 10000; ++i) {
        const QString name = QStringLiteral("%1.M%2P1.bench").arg(1700000000 + i).arg(i);
        if (i < 2000)
            writeFile(maildir + QStringLiteral("/new/") + name, kMessage);
        else
            writeFile(maildir + QStringLiteral("/cur/") + name + (i % 2 ? QStringLiteral(":2,S") : QStringLiteral(":2,F")),
                      kMessage);
    }
    auto app = MaildirMailApplication::open(settingsFor(maildir), systemClock());
    for (auto _ : state) {
        const MailResult<int> count = app->unreadCount();
        if (count.value != 6000)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(count.value);
    }
}
BENCHMARK(BM_UnreadCount10000)->Unit(benchmark::kMillisecond);

void BM_DecodeMessage(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(MimeMessageReader::parse(kMessage));
}
BENCHMARK(BM_DecodeMessage)->Unit(benchmark::kMicrosecond);

} // namespace
