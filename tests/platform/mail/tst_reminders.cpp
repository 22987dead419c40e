// Calendar alarms: when triggers of every kind fall due (relative to start or
// end, absolute, time zones, all-day, recurring), and the scheduler that
// raises them from the .ics files of a calendar folder.

#include "support/MaildirFixture.h"
#include "common/SettingsStore.h"
#include "platform/mail/CalendarAlarms.h"
#include "platform/mail/SettingsMailService.h"
#include "platform/mail/ReminderScheduler.h"
#include "support/IsolatedHome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <ctime>
#include <sys/stat.h>

using namespace tilvano;
using namespace tilvano::mail;

namespace {

// A clock the test sets; with `running` it moves on with real time from there.
class TestClock final : public Clock {
public:
    explicit TestClock(QDateTime start) : m_start(std::move(start)) { m_elapsed.start(); }
    QDateTime now() const override { return m_running ? m_start.addMSecs(m_elapsed.elapsed()) : m_start; }
    void set(const QDateTime &time) { m_start = time; m_elapsed.restart(); }
    void setRunning(bool running) { m_running = running; m_elapsed.restart(); }

private:
    QDateTime m_start;
    QElapsedTimer m_elapsed;
    bool m_running = false;
};

QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toUTC();
}

QByteArray calendar(const QByteArray &events, const QByteArray &extra = QByteArray())
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//DE\r\n" + extra + events + "END:VCALENDAR\r\n";
}

QByteArray vevent(const QByteArray &summary, const QByteArray &timing, const QByteArray &trigger,
                 const QByteArray &more = QByteArray())
{
    return "BEGIN:VEVENT\r\nUID:" + summary + "@test\r\nSUMMARY:" + summary + "\r\n" + timing + more
        + "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\n" + trigger + "\r\nEND:VALARM\r\nEND:VEVENT\r\n";
}

// The calendar that once kept the application from ever starting: an alarm
// on every second of February the 30th, some 300 bytes.
QByteArray neverComes()
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//x//EN\r\nBEGIN:VEVENT\r\nUID:nie@x\r\n"
           "DTSTAMP:20260101T000000Z\r\nDTSTART:20260101T000000Z\r\n"
           "RRULE:FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30\r\nSUMMARY:Nie\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
           "DESCRIPTION:x\r\nTRIGGER:-PT5M\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// `count` events that have recurred every minute since 1970.
QByteArray everyMinuteSince1970(int count)
{
    QByteArray events;
    for (int i = 0; i < count; ++i)
        events += vevent("Minute" + QByteArray::number(i),
                         "DTSTART:19700101T000000Z\r\nRRULE:FREQ=SECONDLY;INTERVAL=60\r\n", "TRIGGER:PT0S");
    return calendar(events);
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path + QStringLiteral(".part"));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return false;
    file.close();
    QFile::remove(path);
    return QFile::rename(path + QStringLiteral(".part"), path);
}

} // namespace

class TestReminders : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Local times (all-day and floating events) are taken in a known zone.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void alarmTimes_data()
    {
        QTest::addColumn<QByteArray>("ics");
        QTest::addColumn<QDateTime>("due");

        const QByteArray utcTiming = "DTSTART:20261207T100000Z\r\nDTEND:20261207T110000Z\r\n";
        QTest::newRow("before start") << calendar(vevent("A", utcTiming, "TRIGGER:-PT15M")) << utc("2026-12-07T09:45:00Z");
        QTest::newRow("after start") << calendar(vevent("A", utcTiming, "TRIGGER:PT5M")) << utc("2026-12-07T10:05:00Z");
        QTest::newRow("relative to end")
            << calendar(vevent("A", utcTiming, "TRIGGER;RELATED=END:-PT10M")) << utc("2026-12-07T10:50:00Z");
        QTest::newRow("end from duration")
            << calendar(vevent("A", "DTSTART:20261207T100000Z\r\nDURATION:PT2H\r\n", "TRIGGER;RELATED=END:PT0S"))
            << utc("2026-12-07T12:00:00Z");
        QTest::newRow("absolute")
            << calendar(vevent("A", utcTiming, "TRIGGER;VALUE=DATE-TIME:20261206T180000Z")) << utc("2026-12-06T18:00:00Z");
        QTest::newRow("system time zone")
            << calendar(vevent("A", "DTSTART;TZID=America/New_York:20261207T080000\r\n", "TRIGGER:-PT1H"))
            << utc("2026-12-07T12:00:00Z");
        QTest::newRow("time zone from the file")
            << calendar(vevent("A", "DTSTART;TZID=Hauszeit:20261207T080000\r\n", "TRIGGER:-PT30M"),
                        "BEGIN:VTIMEZONE\r\nTZID:Hauszeit\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
                        "TZOFFSETFROM:+0300\r\nTZOFFSETTO:+0300\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n")
            << utc("2026-12-07T04:30:00Z");
        // Local midnight in Berlin (UTC+1 in winter), minus 15 hours.
        QTest::newRow("all-day")
            << calendar(vevent("A", "DTSTART;VALUE=DATE:20261208\r\n", "TRIGGER:-PT15H")) << utc("2026-12-07T08:00:00Z");
        QTest::newRow("floating time is local")
            << calendar(vevent("A", "DTSTART:20261207T120000\r\n", "TRIGGER:-PT0M")) << utc("2026-12-07T11:00:00Z");
        QTest::newRow("summer time zone offset")
            << calendar(vevent("A", "DTSTART;TZID=Europe/Berlin:20260707T120000\r\n", "TRIGGER:-PT0M"))
            << utc("2026-07-07T10:00:00Z");
    }
    void alarmTimes()
    {
        QFETCH(QByteArray, ics);
        QFETCH(QDateTime, due);
        CalendarAlarms alarms = CalendarAlarms::parse(ics);
        const QList<ReminderItem> found = alarms.dueBetween(utc("2026-01-01T00:00:00Z"), utc("2027-01-01T00:00:00Z"));
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].due, due);
        QCOMPARE(found[0].subject, QStringLiteral("A"));
        QCOMPARE(found[0].defaultValue(), QStringLiteral("A"));
    }

    void windowIsOpenBeforeAndClosedAfter()
    {
        CalendarAlarms alarms = CalendarAlarms::parse(
            calendar(vevent("Zahnarzt", "DTSTART:20261207T100000Z\r\n", "TRIGGER:-PT15M", "LOCATION:Praxis\r\n")));
        const QDateTime due = utc("2026-12-07T09:45:00Z");
        QCOMPARE(alarms.dueBetween(due, due.addSecs(60)).size(), 0);
        const QList<ReminderItem> found = alarms.dueBetween(due.addSecs(-1), due);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].location, QStringLiteral("Praxis"));
        QCOMPARE(found[0].start, utc("2026-12-07T10:00:00Z"));
        QCOMPARE(alarms.dueBetween(utc("2026-12-01T00:00:00Z"), utc("2026-12-31T00:00:00Z")).value(0).due, due);
    }

    void recurringEventsGiveOneAlarmPerOccurrence()
    {
        CalendarAlarms alarms = CalendarAlarms::parse(calendar(
            vevent("Stand-up", "DTSTART:20261207T080000Z\r\nRRULE:FREQ=DAILY;COUNT=3\r\n", "TRIGGER:-PT5M",
                  "EXDATE:20261208T080000Z\r\n")
            + vevent("Abgesagt", "DTSTART:20261207T080000Z\r\n", "TRIGGER:-PT5M", "STATUS:CANCELLED\r\n")));
        const QList<ReminderItem> found = alarms.dueBetween(utc("2026-12-01T00:00:00Z"), utc("2026-12-31T00:00:00Z"));
        QCOMPARE(found.size(), 2);
        QCOMPARE(found[0].due, utc("2026-12-07T07:55:00Z"));
        QCOMPARE(found[1].due, utc("2026-12-09T07:55:00Z"));
        QCOMPARE(found[1].start, utc("2026-12-09T08:00:00Z"));
    }

    void repeatedAlarmFiresAgain()
    {
        CalendarAlarms alarms = CalendarAlarms::parse(calendar(
            vevent("Pause", "DTSTART:20261207T100000Z\r\n", "TRIGGER:-PT10M\r\nREPEAT:2\r\nDURATION:PT5M")));
        const QList<ReminderItem> found = alarms.dueBetween(utc("2026-12-01T00:00:00Z"), utc("2026-12-31T00:00:00Z"));
        QCOMPARE(found.size(), 3);
        QCOMPARE(found[0].due, utc("2026-12-07T09:50:00Z"));
        QCOMPARE(found[2].due, utc("2026-12-07T10:00:00Z"));
    }

    void hostileCalendarsGiveNoAlarms_data()
    {
        QTest::addColumn<QByteArray>("ics");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray("\x00\xff\xfe BEGIN:VEVENT END", 18);
        QTest::newRow("truncated") << calendar(vevent("A", "DTSTART:20261207T100000Z\r\n", "TRIGGER:-PT15M")).left(120);
        QTest::newRow("bad dates") << calendar(vevent("A", "DTSTART:20261399T250000Z\r\n", "TRIGGER:-PT15M"));
        QTest::newRow("bad trigger") << calendar(vevent("A", "DTSTART:20261207T100000Z\r\n", "TRIGGER:soon"));
        QTest::newRow("unknown time zone")
            << calendar(vevent("A", "DTSTART;TZID=Nirgendwo/Nie:20261207T100000\r\n", "TRIGGER:-PT15M"));
    }
    void hostileCalendarsGiveNoAlarms()
    {
        QFETCH(QByteArray, ics);
        CalendarAlarms alarms = CalendarAlarms::parse(ics);
        // Only that nothing breaks: an unknown zone, for one, may still give
        // an alarm in local time.
        QVERIFY(alarms.dueBetween(utc("2026-01-01T00:00:00Z"), utc("2027-01-01T00:00:00Z")).size() <= 1);
    }

    // Rules that repeat within a day, walked from the window rather than
    // from the event's start: periods stay aligned to the start, finer parts
    // spread an occurrence out, coarser ones only limit, and the steps follow
    // the wall clock of the event's zone.
    void subDailyRules_data()
    {
        QTest::addColumn<QByteArray>("timing");
        QTest::addColumn<QDateTime>("after");
        QTest::addColumn<QDateTime>("until");
        QTest::addColumn<int>("count");
        QTest::addColumn<QDateTime>("first");
        QTest::addColumn<QDateTime>("last");
        const QDateTime dec3 = utc("2026-12-03T00:00:00Z");
        QTest::newRow("every 5 hours")
            << QByteArray("DTSTART:20261201T013000Z\r\nRRULE:FREQ=HOURLY;INTERVAL=5") << dec3 << dec3.addDays(2) << 9
            << utc("2026-12-03T03:30:00Z") << utc("2026-12-04T19:30:00Z");
        QTest::newRow("every 7 minutes in two hours")
            << QByteArray("DTSTART:20261201T000000Z\r\nRRULE:FREQ=MINUTELY;INTERVAL=7;BYHOUR=9,17") << dec3
            << dec3.addDays(2) << 34 << utc("2026-12-03T09:03:00Z") << utc("2026-12-04T17:57:00Z");
        QTest::newRow("half hours on some weekdays")
            << QByteArray("DTSTART:20261130T081500Z\r\nRRULE:FREQ=HOURLY;BYMINUTE=0,30;BYDAY=MO,WE") << dec3
            << dec3.addDays(9) << 96 << utc("2026-12-07T00:00:00Z") << utc("2026-12-09T23:30:00Z");
        QTest::newRow("every 13 seconds in one minute")
            << QByteArray("DTSTART:20261201T000000Z\r\nRRULE:FREQ=SECONDLY;INTERVAL=13;BYHOUR=10;BYMINUTE=5") << dec3
            << dec3.addDays(1) << 5 << utc("2026-12-03T10:05:05Z") << utc("2026-12-03T10:05:57Z");
        QTest::newRow("counted") << QByteArray("DTSTART:20261201T000000Z\r\nRRULE:FREQ=MINUTELY;INTERVAL=90;COUNT=50")
                                 << dec3 << dec3.addDays(2) << 17 << utc("2026-12-03T01:30:00Z")
                                 << utc("2026-12-04T01:30:00Z");
        QTest::newRow("counted with limits")
            << QByteArray("DTSTART:20261201T000000Z\r\nRRULE:FREQ=HOURLY;BYHOUR=6,18;COUNT=7") << dec3 << dec3.addDays(5)
            << 3 << utc("2026-12-03T06:00:00Z") << utc("2026-12-04T06:00:00Z");
        QTest::newRow("until")
            << QByteArray("DTSTART:20261201T000000Z\r\nRRULE:FREQ=HOURLY;INTERVAL=2;UNTIL=20261203T100000Z") << dec3
            << dec3.addDays(1) << 5 << utc("2026-12-03T02:00:00Z") << utc("2026-12-03T10:00:00Z");
        QTest::newRow("last day of the month")
            << QByteArray("DTSTART:20261101T000000Z\r\nRRULE:FREQ=HOURLY;INTERVAL=6;BYMONTHDAY=-1") << dec3
            << dec3.addDays(40) << 4 << utc("2026-12-31T00:00:00Z") << utc("2026-12-31T18:00:00Z");
        QTest::newRow("wall clock across summer time")
            << QByteArray("DTSTART;TZID=Europe/Berlin:20260327T000000\r\nRRULE:FREQ=HOURLY;INTERVAL=3")
            << utc("2026-03-28T00:00:00Z") << utc("2026-03-30T00:00:00Z") << 16 << utc("2026-03-28T02:00:00Z")
            << utc("2026-03-29T22:00:00Z");
        QTest::newRow("started in 1970") << QByteArray("DTSTART:19700101T000000Z\r\nRRULE:FREQ=SECONDLY;INTERVAL=7")
                                         << dec3 << dec3.addSecs(60) << 8 << utc("2026-12-03T00:00:07Z")
                                         << utc("2026-12-03T00:00:56Z");
    }
    void subDailyRules()
    {
        QFETCH(QByteArray, timing);
        QFETCH(QDateTime, after);
        QFETCH(QDateTime, until);
        QFETCH(int, count);
        QFETCH(QDateTime, first);
        QFETCH(QDateTime, last);
        const QList<ReminderItem> found =
            CalendarAlarms::parse(calendar(vevent("R", timing + "\r\n", "TRIGGER:PT0S"))).dueBetween(after, until);
        QCOMPARE(found.size(), count);
        QCOMPARE(found.first().due, first);
        QCOMPARE(found.last().due, last);
    }

    // Rules that never or hardly ever match, and rules that started long
    // ago, cost steps only across the window asked about; the rule that runs
    // the budget out is given up, and only that one.
    void hostileRecurrencesStayWithinTheBudget()
    {
        QElapsedTimer timer;
        timer.start();
        CalendarAlarms never = CalendarAlarms::parse(neverComes());
        QVERIFY(never.dueBetween(utc("2026-01-01T00:00:00Z"), utc("2027-01-01T00:00:00Z")).isEmpty());

        CalendarAlarms everyMinute = CalendarAlarms::parse(everyMinuteSince1970(100));
        const QList<ReminderItem> ticks =
            everyMinute.dueBetween(utc("2026-12-07T09:44:30Z"), utc("2026-12-07T09:46:00Z"));
        QCOMPARE(ticks.size(), 200);
        QCOMPARE(ticks.first().due, utc("2026-12-07T09:45:00Z"));
        QCOMPARE(ticks.last().due, utc("2026-12-07T09:46:00Z"));

        // Counted occurrences must be counted from the start: since 1970,
        // one step per second of 09:00 every day, far beyond the budget.
        CalendarAlarms counted = CalendarAlarms::parse(calendar(
            vevent("Zaehler", "DTSTART:19700101T000000Z\r\nRRULE:FREQ=SECONDLY;BYHOUR=9;COUNT=2000000000\r\n",
                   "TRIGGER:PT0S")
            + vevent("Danach", "DTSTART:20261207T100000Z\r\n", "TRIGGER:-PT15M")));
        RecurrenceBudget budget = CalendarAlarms::defaultBudget();
        const AlarmSearch first = counted.search(utc("2026-12-07T00:00:00Z"), utc("2026-12-08T00:00:00Z"), budget);
        QVERIFY(first.outOfBudget);
        QCOMPARE(first.givenUp, QStringList{QStringLiteral("Zaehler")});
        RecurrenceBudget again = CalendarAlarms::defaultBudget();
        const AlarmSearch second = counted.search(utc("2026-12-07T00:00:00Z"), utc("2026-12-08T00:00:00Z"), again);
        QVERIFY(!second.outOfBudget && second.givenUp.isEmpty());
        QCOMPARE(second.due.size(), 1);
        QCOMPARE(second.due[0].subject, QStringLiteral("Danach"));
        // Time that ran out before an event began is no fault of that event:
        // the search is cut short and nothing is given up, except where no
        // later search will get more time.
        CalendarAlarms cheap = CalendarAlarms::parse(everyMinuteSince1970(3));
        RecurrenceBudget noTime(CalendarAlarms::kBudgetSteps, std::chrono::milliseconds(0));
        QTest::qWait(1);
        const AlarmSearch cut = cheap.search(utc("2026-12-07T00:00:00Z"), utc("2026-12-08T00:00:00Z"), noTime);
        QVERIFY(cut.outOfBudget);
        QVERIFY(cut.givenUp.isEmpty());
        RecurrenceBudget lastChance(CalendarAlarms::kBudgetSteps, std::chrono::milliseconds(0), true);
        QCOMPARE(cheap.search(utc("2026-12-07T00:00:00Z"), utc("2026-12-08T00:00:00Z"), lastChance).givenUp.size(), 1);
        // Two budgets and some change, on the slowest build.
        QVERIFY2(timer.elapsed() < 3 * CalendarAlarms::kBudgetTime.count(), qPrintable(QString::number(timer.elapsed())));
    }

    void schedulerRaisesWhatFallsDue()
    {
        test::IsolatedHome home;
        const QString dir = home.path() + QStringLiteral("/calendars");
        QVERIFY(writeFile(dir + QStringLiteral("/privat/zahnarzt.ics"),
                          calendar(vevent("Zahnarzt", "DTSTART:20261207T100000Z\r\n", "TRIGGER:-PT15M"))));
        QVERIFY(writeFile(dir + QStringLiteral("/privat/vorbei.ics"),
                          calendar(vevent("Vorbei", "DTSTART:20261207T080000Z\r\n", "TRIGGER:-PT15M"))));

        TestClock clock(utc("2026-12-07T09:00:00Z"));
        ReminderScheduler scheduler(dir, clock);
        QSignalSpy due(&scheduler, &ReminderScheduler::reminderDue);
        QSignalSpy computed(&scheduler, &ReminderScheduler::alarmsComputed);
        scheduler.start();
        QVERIFY(computed.wait(10000));
        QCOMPARE(scheduler.nextDue(), utc("2026-12-07T09:45:00Z"));

        clock.set(utc("2026-12-07T09:44:59Z"));
        scheduler.raiseDue();
        QCOMPARE(due.count(), 0);

        clock.set(utc("2026-12-07T09:45:00Z"));
        scheduler.raiseDue();
        QCOMPARE(due.count(), 1); // the alarm that passed before start stays quiet
        QCOMPARE(due.at(0).at(0).value<ReminderItem>().subject, QStringLiteral("Zahnarzt"));
        QVERIFY(!scheduler.nextDue().isValid());

        // A file written later sets the timer again.
        QVERIFY(writeFile(dir + QStringLiteral("/arbeit/termin.ics"),
                          calendar(vevent("Termin", "DTSTART:20261207T120000Z\r\n", "TRIGGER:-PT1H"))));
        QTRY_COMPARE_WITH_TIMEOUT(scheduler.nextDue(), utc("2026-12-07T11:00:00Z"), 10000);
        clock.set(utc("2026-12-07T12:00:00Z"));
        scheduler.raiseDue();
        QCOMPARE(due.count(), 2);
        QCOMPARE(due.at(1).at(0).value<ReminderItem>().subject, QStringLiteral("Termin"));
    }

    void applicationRaisesReminderOnTime()
    {
        test::IsolatedHome home;
        tilvano::test::MaildirFixture inbox(QDir::homePath() + QStringLiteral("/Maildir"));
        QVERIFY(inbox.create());
        // The alarm is one second after the clock's start; the clock runs.
        TestClock clock(utc("2026-12-07T09:44:59Z"));
        QVERIFY(writeFile(QDir::homePath() + QStringLiteral("/.calendars/privat/zahnarzt.ics"),
                          calendar(vevent("Zahnarzt \"Dr. Weiß\"", "DTSTART;TZID=Europe/Berlin:20261207T110000\r\n",
                                         "TRIGGER:-PT15M"))));
        clock.setRunning(true);
        SettingsMailService service(&clock);
        auto created = service.createApplication();
        QVERIFY(created.ok());
        QList<ReminderItem> reminders;
        connect(created.value.get(), &MailApplication::reminder, this,
                [&](const ReminderItem &item) { reminders << item; });
        QTRY_COMPARE_WITH_TIMEOUT(reminders.size(), 1, 10000);
        QCOMPARE(reminders[0].defaultValue(), QStringLiteral("Zahnarzt \"Dr. Weiß\""));
        QCOMPARE(reminders[0].due, utc("2026-12-07T09:45:00Z"));
    }

    // A calendar folder that once froze the start: a rule that never
    // matches, a hundred that began in 1970, and a FIFO under a calendar's
    // name, and a rule beyond any budget. The application starts at once, the interface keeps turning,
    // and the alarms that do fall due are raised on time.
    void hostileCalendarFolderLeavesTheApplicationResponsive()
    {
        test::IsolatedHome home;
        tilvano::test::MaildirFixture inbox(QDir::homePath() + QStringLiteral("/Maildir"));
        QVERIFY(inbox.create());
        const QString calendars = QDir::homePath() + QStringLiteral("/.calendars/privat/");
        QVERIFY(writeFile(calendars + QStringLiteral("nie.ics"), neverComes()));
        QVERIFY(writeFile(calendars + QStringLiteral("minuten.ics"), everyMinuteSince1970(100)));
        QVERIFY(writeFile(calendars + QStringLiteral("zahnarzt.ics"),
                          calendar(vevent("Zahnarzt", "DTSTART:20261207T100000Z\r\n", "TRIGGER:-PT15M"))));
        // Beyond any budget: given up, and said so in the log.
        QVERIFY(writeFile(calendars + QStringLiteral("zaehler.ics"),
                          calendar(vevent("Zaehler", "DTSTART:19700101T000000Z\r\nRRULE:FREQ=SECONDLY;BYHOUR=9;COUNT=2000000000\r\n",
                                          "TRIGGER:PT0S"))));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Zaehler.*zaehler\\.ics.*Rechenbudget")));
        QCOMPARE(::mkfifo(QFile::encodeName(calendars + QStringLiteral("fifo")).constData(), 0600), 0);
        QVERIFY(QFile::link(calendars + QStringLiteral("fifo"), calendars + QStringLiteral("warten.ics")));

        TestClock clock(utc("2026-12-07T09:44:58Z"));
        clock.setRunning(true);
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] {
            longestGap = std::max(longestGap, sinceTick.restart());
        });
        sinceTick.start();
        ticker.start(50);

        QElapsedTimer creation;
        creation.start();
        SettingsMailService service(&clock);
        auto created = service.createApplication();
        QVERIFY(created.ok());
        QVERIFY2(creation.elapsed() < 1000, qPrintable(QString::number(creation.elapsed())));
        QStringList subjects;
        connect(created.value.get(), &MailApplication::reminder, this,
                [&](const ReminderItem &item) { subjects << item.subject; });
        QStringList logged;
        connect(created.value.get(), &MailApplication::noteForLog, this, [&](const QString &line) { logged << line; });
        // A loaded machine cuts computations short for time; they are then
        // tried again with more time, never at the cost of these alarms.
        QTRY_VERIFY_WITH_TIMEOUT(subjects.size() >= 101, 60000);
        QVERIFY(subjects.contains(QStringLiteral("Zahnarzt")));
        QVERIFY(!subjects.contains(QStringLiteral("Nie")));
        // The given-up event reaches the user's log through the application's user.
        QTRY_VERIFY(!logged.filter(QStringLiteral("Zaehler")).isEmpty());
        QVERIFY2(longestGap < 1000, qPrintable(QString::number(longestGap)));
    }
};

QTEST_GUILESS_MAIN(TestReminders)
#include "tst_reminders.moc"
