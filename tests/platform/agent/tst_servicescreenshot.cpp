// What the character's windows actually put on screen: the window's pixels against the codec's
// own composition of the same frame, and the balloon's colours, text and place.
#include "platform/acs/AcsFrameRenderer.h"
#include "platform/acs/AcsReader.h"
#include "platform/agent/AgentService.h"
#include "platform/agent/Balloon.h"
#include "platform/agent/CharacterSession.h"
#include "platform/agent/CharacterWindow.h"

#include "support/IsolatedHome.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>

#include <memory>

using namespace tilvano;
using namespace tilvano::agent;

namespace {

QString happyFaceFile() { return test::fixturesDir() + QStringLiteral("/acs/Happy Face.acs"); }
QString merlinFile() { return qEnvironmentVariable("TILVANO_MERLIN_FILE"); }

// Where the grabbed pictures go for a person to look at; empty: nowhere.
QString outputDir() { return qEnvironmentVariable("TILVANO_TEST_OUTPUT"); }

void saveForInspection(const QImage &image, const QString &name)
{
    const QString dir = outputDir();
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return;
    if (!image.save(dir + QLatin1Char('/') + name + QStringLiteral(".png")))
        qWarning() << "could not save" << name;
}

QImage grabbed(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The codec's own picture of what the session says it shows, from a reader of its own.
QImage expectedFrame(CharacterSession *session, const QString &file)
{
    std::optional<acs::AcsReader> reader = acs::AcsReader::open(file);
    const acs::Animation *shown = session->player().shownAnimation();
    if (!reader || !shown)
        return {};
    const acs::Animation *same = reader->animation(shown->name);
    const int index = session->player().shownFrameIndex();
    if (!same || index < 0 || index >= same->frames.size())
        return {};
    const acs::AcsFrameRenderer renderer(reader->info());
    return renderer.render(same->frames.at(index), acs::AcsFrameRenderer::sourceFor(*reader));
}

int differingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto *lineA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *lineB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            count += lineA[x] != lineB[x];
    }
    return count;
}

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) == 255;
    return count;
}

// Pixels of exactly this colour, fully opaque, inside `area`.
int pixelsOf(const QImage &image, QRgb colour, const QRect &area)
{
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            count += image.pixel(x, y) == (colour | 0xFF000000u);
    return count;
}

// Pixels close to `colour` (antialiased text is only near its colour at the edges of strokes).
int pixelsNear(const QImage &image, QRgb colour, const QRect &area, int tolerance)
{
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += qAlpha(p) == 255 && std::abs(qRed(p) - qRed(colour)) <= tolerance
                     && std::abs(qGreen(p) - qGreen(colour)) <= tolerance
                     && std::abs(qBlue(p) - qBlue(colour)) <= tolerance;
        }
    }
    return count;
}

std::unique_ptr<AgentService> makeService()
{
    AgentServiceOptions options;
    options.clockMode = AgentClock::Mode::Manual;
    options.randomSeed = 7;
    AgentSettings settings;
    settings.speechOutput = false; // words paced by the clock, no synthesiser
    options.settings = settings;
    return std::make_unique<AgentService>(nullptr, options);
}

} // namespace

class ServiceScreenshotTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::IsolatedHome> m_home;

    // Loads and shows the character at once, idling off so the pose holds still.
    CharacterSession *showCharacter(AgentService &service, const QString &file)
    {
        const ErrorInfo loaded = service.load(QStringLiteral("c"), file);
        if (loaded.isError()) {
            qWarning() << loaded.description;
            return nullptr;
        }
        CharacterSession *session = service.session(QStringLiteral("c"));
        session->setIdleOn(false);
        session->show(true);
        service.clock().advance(5000);
        if (!QTest::qWaitForWindowExposed(session->window()))
            return nullptr;
        return session;
    }

private slots:
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void windowShowsTheComposedFrame_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow("Happy Face") << happyFaceFile() << QStringLiteral("happyface");
        QTest::newRow("Merlin") << merlinFile() << QStringLiteral("merlin");
    }
    void windowShowsTheComposedFrame()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QVERIFY2(QFile::exists(file), qPrintable(file + QStringLiteral(" is missing")));
        auto service = makeService();
        CharacterSession *session = showCharacter(*service, file);
        QVERIFY(session);

        const QImage expected = expectedFrame(session, file);
        QVERIFY(!expected.isNull());
        QCOMPARE(expected.size(), QSize(session->originalWidth(), session->originalHeight()));
        QVERIFY(opaquePixels(expected) > expected.width() * expected.height() / 20);

        const QImage window = grabbed(session->window());
        saveForInspection(window, name + QStringLiteral("-window"));
        saveForInspection(expected, name + QStringLiteral("-codec"));
        // At its own size the window must add nothing and lose nothing: not a stale frame, no
        // background behind the transparent pixels, no smoothing.
        QCOMPARE(window.size(), expected.size());
        QCOMPARE(differingPixels(window, expected), 0);

        // Another animation's frame reaches the window too, not only the first one drawn.
        const QStringList names = session->animationNames();
        bool checkedAnother = false;
        for (const QString &other : names) {
            if (other.compare(session->player().shownAnimation()->name, Qt::CaseInsensitive) == 0)
                continue;
            if (!session->player().showLastFrame(other))
                continue;
            const QImage next = expectedFrame(session, file);
            if (next == expected)
                continue;
            QCOMPARE(differingPixels(grabbed(session->window()), next), 0);
            checkedAnother = true;
            break;
        }
        QVERIFY(checkedAnother);
    }

    void resizedWindowScalesTheWholeFrame()
    {
        auto service = makeService();
        CharacterSession *session = showCharacter(*service, happyFaceFile());
        QVERIFY(session);
        const QImage native = expectedFrame(session, happyFaceFile());
        session->setWidth(qint16(native.width() * 2));
        session->setHeight(qint16(native.height() * 2));
        const QImage window = grabbed(session->window());
        saveForInspection(window, QStringLiteral("happyface-double"));
        QCOMPARE(window.size(), native.size() * 2);
        // Doubling by whole pixels: four window pixels for each frame pixel, corners included.
        QCOMPARE(opaquePixels(window), 4 * opaquePixels(native));
        for (const QPoint p : {QPoint(0, 0), QPoint(native.width() - 1, native.height() - 1),
                               QPoint(native.width() / 2, native.height() / 2)})
            QCOMPARE(window.pixel(2 * p.x() + 1, 2 * p.y() + 1), native.pixel(p));
    }

    void balloonStandsBesideTheCharacterInItsColours_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("thought");
        QTest::newRow("Happy Face speaks") << happyFaceFile() << QStringLiteral("happyface") << false;
        QTest::newRow("Merlin speaks") << merlinFile() << QStringLiteral("merlin") << false;
        QTest::newRow("Merlin thinks") << merlinFile() << QStringLiteral("merlin") << true;
    }
    void balloonStandsBesideTheCharacterInItsColours()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QFETCH(bool, thought);
        QVERIFY2(QFile::exists(file), qPrintable(file + QStringLiteral(" is missing")));
        auto service = makeService();
        CharacterSession *session = showCharacter(*service, file);
        QVERIFY(session);
        const QString text = QStringLiteral("Guten Morgen! Heute scheint die Sonne über dem Schreibtisch.");
        if (thought)
            session->think(text);
        else
            session->speak(text, QString());

        // Let the words come until the whole sentence stands in the balloon.
        Balloon *balloon = session->balloon();
        for (int step = 0; step < 400 && balloon->shownText() != text; ++step)
            service->clock().advance(50);
        QVERIFY(balloon->isVisible());
        QCOMPARE(balloon->shownText(), text);
        QVERIFY(QTest::qWaitForWindowExposed(balloon));

        const QImage picture = grabbed(balloon);
        saveForInspection(picture, name + (thought ? QStringLiteral("-thought") : QStringLiteral("-balloon")));
        const acs::BalloonInfo look = session->reader().info().balloon.value_or(acs::BalloonInfo{});

        // The bubble is filled with the character's own background colour ...
        const int background = pixelsOf(picture, look.backgroundColor, picture.rect());
        QVERIFY2(background > picture.width() * picture.height() / 4,
                 qPrintable(QStringLiteral("%1 background pixels").arg(background)));
        // ... and the text stands on it, away from the border, in the text colour.
        const QRect inner = picture.rect().adjusted(picture.width() / 6, picture.height() / 4,
                                                    -picture.width() / 6, -picture.height() / 4);
        QVERIFY(pixelsNear(picture, look.textColor, inner, 60) > 20);
        // Corners of a rounded or round bubble stay see-through, so the desktop shows there.
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);

        // Every pixel the text changes lies on the bubble's fill: none spills over the border
        // or out onto the desktop. The empty bubble shows where the fill is.
        balloon->revealUpTo(0);
        const QImage empty = grabbed(balloon);
        balloon->revealUpTo(text.size());
        QCOMPARE(empty.size(), picture.size());
        int spilled = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                spilled += picture.pixel(x, y) != empty.pixel(x, y)
                           && empty.pixel(x, y) != (look.backgroundColor | 0xFF000000u);
        QVERIFY2(spilled == 0, qPrintable(QStringLiteral("%1 text pixels off the bubble").arg(spilled)));

        // Beside the character, not over it, and whole on the screen.
        const QRect character = session->window()->geometry();
        const QRect bubble = balloon->geometry();
        QVERIFY(!bubble.intersects(character));
        const int gapX = std::max(bubble.left() - character.right(), character.left() - bubble.right());
        const int gapY = std::max(bubble.top() - character.bottom(), character.top() - bubble.bottom());
        QVERIFY2(std::max(gapX, gapY) <= 40, qPrintable(QStringLiteral("gap %1,%2").arg(gapX).arg(gapY)));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY2(screen.contains(bubble), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(bubble.x()).arg(bubble.y())
                                                         .arg(bubble.width()).arg(bubble.height())));
    }

    void balloonShowsOnlyTheWordsSaidSoFar()
    {
        auto service = makeService();
        CharacterSession *session = showCharacter(*service, happyFaceFile());
        QVERIFY(session);
        const QString text = QStringLiteral("Eins zwei drei vier fünf sechs sieben acht neun zehn elf zwölf.");
        session->speak(text, QString());
        Balloon *balloon = session->balloon();
        for (int step = 0; step < 400 && balloon->shownText().isEmpty(); ++step)
            service->clock().advance(20);
        QVERIFY(balloon->isVisible());
        QVERIFY(!balloon->shownText().isEmpty());
        QVERIFY(balloon->shownText().size() < text.size());
        QVERIFY(QTest::qWaitForWindowExposed(balloon));
        const acs::BalloonInfo look = session->reader().info().balloon.value_or(acs::BalloonInfo{});
        const QImage early = grabbed(balloon);

        for (int step = 0; step < 400 && balloon->shownText() != text; ++step)
            service->clock().advance(50);
        const QImage full = grabbed(balloon);
        saveForInspection(early, QStringLiteral("happyface-balloon-early"));
        // The balloon keeps its size from the first word on; only text is added.
        QCOMPARE(full.size(), early.size());
        const QRect all = full.rect();
        QVERIFY(pixelsNear(full, look.textColor, all, 60) > pixelsNear(early, look.textColor, all, 60) + 20);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ServiceScreenshotTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_servicescreenshot.moc"
