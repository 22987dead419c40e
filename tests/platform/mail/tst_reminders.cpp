// Calendar alarms: when triggers of every kind fall due (relative to start or
// end, absolute, time zones, all-day, recurring), and the scheduler that
// raises them from the .ics files of a calendar folder.

#include "MaildirFixture.h"
#include "common/SettingsStore.h"
#include "platform/mail/CalendarAlarms.h"
#include "platform/mail/MaildirMailService.h"
#include "platform/mail/ReminderScheduler.h"
#include "support/IsolatedHome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <ctime>

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
        const CalendarAlarms alarms = CalendarAlarms::parse(ics);
        const QList<ReminderItem> found = alarms.dueBetween(utc("2026-01-01T00:00:00Z"), utc("2027-01-01T00:00:00Z"));
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].due, due);
        QCOMPARE(found[0].subject, QStringLiteral("A"));
        QCOMPARE(found[0].defaultValue(), QStringLiteral("A"));
    }

    void windowIsOpenBeforeAndClosedAfter()
    {
        const CalendarAlarms alarms = CalendarAlarms::parse(
            calendar(vevent("Zahnarzt", "DTSTART:20261207T100000Z\r\n", "TRIGGER:-PT15M", "LOCATION:Praxis\r\n")));
        const QDateTime due = utc("2026-12-07T09:45:00Z");
        QCOMPARE(alarms.dueBetween(due, due.addSecs(60)).size(), 0);
        const QList<ReminderItem> found = alarms.dueBetween(due.addSecs(-1), due);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].location, QStringLiteral("Praxis"));
        QCOMPARE(found[0].start, utc("2026-12-07T10:00:00Z"));
        QCOMPARE(alarms.nextDueAfter(utc("2026-12-01T00:00:00Z"), utc("2026-12-31T00:00:00Z")), due);
    }

    void recurringEventsGiveOneAlarmPerOccurrence()
    {
        const CalendarAlarms alarms = CalendarAlarms::parse(calendar(
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
        const CalendarAlarms alarms = CalendarAlarms::parse(calendar(
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
        const CalendarAlarms alarms = CalendarAlarms::parse(ics);
        // Only that nothing breaks: an unknown zone, for one, may still give
        // an alarm in local time.
        QVERIFY(alarms.dueBetween(utc("2026-01-01T00:00:00Z"), utc("2027-01-01T00:00:00Z")).size() <= 1);
    }

    void runawayRecurrenceEnds()
    {
        // Every second since 2000: the occurrences are cut off, not walked to 2026.
        const CalendarAlarms alarms = CalendarAlarms::parse(
            calendar(vevent("Tick", "DTSTART:20000101T000000Z\r\nRRULE:FREQ=SECONDLY\r\n", "TRIGGER:-PT0S")));
        QVERIFY(alarms.dueBetween(utc("2026-01-01T00:00:00Z"), utc("2027-01-01T00:00:00Z")).isEmpty());
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
        scheduler.start();
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
        MaildirMailService service(&clock);
        auto created = service.createApplication();
        QVERIFY(created.ok());
        QList<ReminderItem> reminders;
        connect(created.value.get(), &MailApplication::reminder, this,
                [&](const ReminderItem &item) { reminders << item; });
        QTRY_COMPARE_WITH_TIMEOUT(reminders.size(), 1, 10000);
        QCOMPARE(reminders[0].defaultValue(), QStringLiteral("Zahnarzt \"Dr. Weiß\""));
        QCOMPARE(reminders[0].due, utc("2026-12-07T09:45:00Z"));
    }
};

QTEST_GUILESS_MAIN(TestReminders)
#include "tst_reminders.moc"
