// Two programs on one character: the host and the editor as clients of one character
// server in this process, on a manual clock.

#include "platform/agent/server/CharacterServer.h"
#include "platform/agent/server/ClientCharacter.h"
#include "platform/agent/server/ServerClient.h"
#include "platform/agent/AgentCodes.h"
#include "platform/agent/AgentService.h"
#include "platform/agent/CharacterSession.h"
#include "platform/agent/CharacterWindow.h"
#include "platform/agent/CommandMenu.h"

#include "support/IsolatedHome.h"

#include <QTest>

#include <memory>

using namespace tilvano;
using namespace tilvano::agent;

namespace {

QString happyFace() { return test::fixturesDir() + QStringLiteral("/acs/Happy Face.acs"); }

// What one client heard, as "Event id arguments".
struct Heard {
    QStringList events;
    QList<AgentUserInput> commands;

    void listen(ServerClient &client)
    {
        const auto note = [this](const QString &text) { events.append(text); };
        QObject::connect(&client, &AgentControl::shown, [note](const QString &id, qint16 cause) { note(QStringLiteral("Show %1 %2").arg(id).arg(cause)); });
        QObject::connect(&client, &AgentControl::hidden, [note](const QString &id, qint16 cause) { note(QStringLiteral("Hide %1 %2").arg(id).arg(cause)); });
        QObject::connect(&client, &AgentControl::moved, [note](const QString &id, qint16 x, qint16 y, qint16) {
            note(QStringLiteral("Move %1 %2,%3").arg(id).arg(x).arg(y));
        });
        QObject::connect(&client, &AgentControl::clicked, [note](const QString &id, qint16 button, qint16, qint16, qint16) {
            note(QStringLiteral("Click %1 %2").arg(id).arg(button));
        });
        QObject::connect(&client, &AgentControl::balloonShown, [note](const QString &id) { note(QStringLiteral("BalloonShow %1").arg(id)); });
        QObject::connect(&client, &AgentControl::commandChosen, [this](const AgentUserInput &input) { commands.append(input); });
    }
    bool has(const QString &prefix) const
    {
        return std::any_of(events.begin(), events.end(), [&](const QString &e) { return e.startsWith(prefix); });
    }
};

// A server on a manual clock; the host connects first, the editor second.
struct Desk {
    test::IsolatedHome home;
    Heard hostHeard, editorHeard;
    AgentService *service = nullptr;
    std::unique_ptr<CharacterServer> server;
    std::unique_ptr<ServerClient> host, editor;

    Desk()
    {
        AgentServiceOptions options;
        options.clockMode = AgentClock::Mode::Manual;
        options.randomSeed = 7;
        options.settings = AgentSettings{};
        options.settings->speechOutput = false;
        auto owned = std::make_unique<AgentService>(nullptr, options);
        service = owned.get();
        server = std::make_unique<CharacterServer>(std::move(owned));
        host = server->connectClient();
        hostHeard.listen(*host);
        editor = server->connectClient();
        editorHeard.listen(*editor);
    }
    // Both load the same file, each under its own identifier; the host puts its menu up.
    void loadBoth()
    {
        QVERIFY(!host->load(QStringLiteral("somebody"), happyFace()).isError());
        QVERIFY(!editor->load(QStringLiteral("Kibo"), happyFace()).isError());
        AgentCommands &hostMenu = host->character(QStringLiteral("somebody"))->commands();
        hostMenu.setCaption(QStringLiteral("Tilvano-Menü"));
        hostMenu.add(QStringLiteral("speakTxt"), QStringLiteral("&Text sprechen"), QString(), true, true);
        AgentCommands &editorMenu = editor->character(QStringLiteral("kibo"))->commands();
        editorMenu.setCaption(QStringLiteral("Ablaufwerk-Menü"));
        editorMenu.add(QStringLiteral("macro"), QStringLiteral("&Makro"), QString(), true, true);
    }
    ClientCharacter *hostCharacter() const { return host->view(QStringLiteral("somebody")); }
    ClientCharacter *editorCharacter() const { return editor->view(QStringLiteral("kibo")); }
    CharacterSession *session() const { return service->session(QStringLiteral("character-1")); }
    void run(qint64 ms = 60000) { service->clock().advance(ms); }
    QStringList menu() const
    {
        QStringList captions;
        for (const CommandMenuEntry &entry : session()->menuEntries())
            captions << (entry.isSeparator() ? QStringLiteral("-") : (entry.checked ? QStringLiteral("*") : QString()) + entry.caption);
        return captions;
    }
};

} // namespace

class CharacterServerTest : public QObject
{
    Q_OBJECT

private slots:
    void clientsOfOneFileShareOneCharacter()
    {
        Desk desk;
        desk.loadBoth();
        QVERIFY(desk.session());
        QVERIFY(!desk.service->session(QStringLiteral("character-2")));
        QVERIFY(desk.hostCharacter()->hasOtherClients());
        QCOMPARE(desk.editor->load(QStringLiteral("KIBO"), happyFace()).number, AgentErrorAlreadyLoaded);

        // What one client does to the character, every client sees, each under its own name.
        desk.editorCharacter()->show(true);
        desk.editorCharacter()->moveTo(200, 150, 0);
        desk.run();
        QVERIFY(desk.hostCharacter()->isVisible());
        QCOMPARE(desk.hostCharacter()->left(), 200);
        QVERIFY2(desk.hostHeard.events.contains("Show somebody 4"), qPrintable(desk.hostHeard.events.join('|')));
        QVERIFY(desk.editorHeard.events.contains("Show Kibo 4"));
        QVERIFY(desk.hostHeard.events.contains("Move somebody 200,150"));
        QVERIFY(desk.editorHeard.events.contains("Move Kibo 200,150"));

        // A balloon is news for the client whose sentence it shows.
        desk.editorCharacter()->speak(QStringLiteral("Hallo vom Ablaufwerk"), QString());
        desk.run();
        QVERIFY(desk.editorHeard.has("BalloonShow Kibo"));
        QVERIFY(!desk.hostHeard.has("BalloonShow"));

        // Loading again reads the file once and keeps the character on the screen; what the
        // client had added to its menu is gone, as after any load. A file that fails costs nothing.
        CharacterSession *shown = desk.session();
        QVERIFY(!desk.host->replace(QStringLiteral("somebody"), happyFace()).isError());
        QCOMPARE(desk.session(), shown);
        QVERIFY(desk.hostCharacter()->commandList().entries().isEmpty());
        QCOMPARE(desk.host->replace(QStringLiteral("somebody"), QStringLiteral("/nirgends.acs")).number, AgentErrorFileNotFound);
        QVERIFY(desk.hostCharacter());

        // Another file is another character; the last client to let go takes it off the screen.
        QVERIFY(!desk.editor->load(QStringLiteral("zweiter"), test::fixturesDir() + "/acs/Character2.acs").isError());
        QVERIFY(desk.service->session(QStringLiteral("character-2")));
        desk.editor->unload(QStringLiteral("zweiter"));
        QVERIFY(!desk.service->session(QStringLiteral("character-2")));
        desk.host->unload(QStringLiteral("somebody"));
        desk.editor->unload(QStringLiteral("kibo"));
        QVERIFY(!desk.session());
    }

    void stopEndsOnlyTheAskersRequests()
    {
        Desk desk;
        desk.loadBoth();
        ClientCharacter *host = desk.hostCharacter();
        ClientCharacter *editor = desk.editorCharacter();
        const QStringList animations = host->animationNames();
        QVERIFY(animations.size() >= 2);
        host->show(true);
        desk.run(100);

        // One queue, in the order the requests arrive.
        host->play(animations.at(0));
        editor->play(animations.at(1));
        host->play(animations.at(0));
        editor->think(QStringLiteral("Hm"));
        QCOMPARE(desk.session()->currentRequestOwner(), host->owner());
        QCOMPARE(desk.session()->waitingRequests(), 3);

        editor->stopAll();
        QCOMPARE(desk.session()->waitingRequests(), 1);
        QVERIFY(desk.session()->isBusy()); // the host's animation plays on
        editor->stop();
        QCOMPARE(desk.session()->currentRequestOwner(), host->owner());

        host->stop(); // the host's next one takes its turn
        QCOMPARE(desk.session()->currentRequestOwner(), host->owner());
        QCOMPARE(desk.session()->waitingRequests(), 0);
        host->stopAll();
        QVERIFY(!desk.session()->isBusy());
    }

    void inputGoesToTheActiveClient()
    {
        Desk desk;
        desk.loadBoth();
        desk.hostCharacter()->show(true);
        desk.run(100);
        // The editor connected last: its menu is up, with a line for each program.
        QCOMPARE(desk.menu(), (QStringList{"&Makro", "-", "Tilvano-Menü", "*Ablaufwerk-Menü", "-", "Ausblenden",
                                           "Erweiterte Figureneinstellungen..."}));
        desk.session()->chooseMenuEntry(QStringLiteral("macro"));
        desk.session()->chooseMenuEntry(QStringLiteral("speakTxt")); // not the editor's
        QCOMPARE(desk.editorHeard.commands.size(), 1);
        QCOMPARE(desk.editorHeard.commands.first().characterId, QStringLiteral("Kibo"));
        QCOMPARE(desk.editorHeard.commands.first().name, QStringLiteral("macro"));
        QVERIFY(desk.hostHeard.commands.isEmpty());

        CharacterWindow *window = desk.session()->window();
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(60, 60));
        QVERIFY(desk.editorHeard.has("Click Kibo 1"));
        QVERIFY(!desk.hostHeard.has("Click"));

        // The host's line in the menu makes the host active.
        QString hostLine;
        for (const CommandMenuEntry &entry : desk.session()->menuEntries())
            if (entry.caption == QStringLiteral("Tilvano-Menü"))
                hostLine = entry.name;
        desk.session()->chooseMenuEntry(hostLine);
        QCOMPARE(desk.menu().first(), QStringLiteral("&Text sprechen"));
        QVERIFY(desk.menu().contains("*Tilvano-Menü"));
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(60, 60));
        QVERIFY(desk.hostHeard.has("Click somebody 1"));

        // A program that turns to its window asks for the character.
        desk.editor->activate();
        desk.session()->chooseMenuEntry(CommandMenu::SettingsCommandName);
        QCOMPARE(desk.editorHeard.commands.last().name, QStringLiteral("ACO"));
    }

    void aClientThatGoesTakesOnlyItsOwn()
    {
        Desk desk;
        desk.loadBoth();
        ClientCharacter *host = desk.hostCharacter();
        const QString animation = host->animationNames().first();
        host->show(true);
        desk.run(100);
        host->play(animation);
        desk.editorCharacter()->play(animation);
        desk.editorCharacter()->speak(QStringLiteral("Weg damit"), QString());
        host->think(QStringLiteral("Ich bleibe"));
        QCOMPARE(desk.session()->waitingRequests(), 3);

        desk.editor.reset(); // as when the editor's connection ends
        QCOMPARE(desk.session()->waitingRequests(), 1);
        QCOMPARE(desk.session()->currentRequestOwner(), host->owner());
        QVERIFY(!host->hasOtherClients());
        // The host's commands and input are whole; the editor's are gone with it.
        QCOMPARE(desk.menu(), (QStringList{"&Text sprechen", "-", "Ausblenden", "Erweiterte Figureneinstellungen..."}));
        desk.session()->chooseMenuEntry(QStringLiteral("speakTxt"));
        QCOMPARE(desk.hostHeard.commands.size(), 1);
        QVERIFY(host->isVisible());

        // Clients of a server that ends are left without characters, not with dangling ones.
        desk.server.reset();
        QVERIFY(!desk.host->character(QStringLiteral("somebody")));
        QVERIFY(!desk.host->isConnected());
        QCOMPARE(desk.host->load(QStringLiteral("somebody"), happyFace()).number, AgentErrorServerGone);
    }
};

QTEST_MAIN(CharacterServerTest)
#include "tst_characterserver.moc"
