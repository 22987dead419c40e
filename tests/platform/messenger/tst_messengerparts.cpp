// The offline parts of the messenger: reading stanzas, the contact list, the
// stored account.
#include "support/IsolatedHome.h"

#include "common/SettingsStore.h"
#include "platform/messenger/ContactList.h"
#include "platform/messenger/Messenger.h"
#include "platform/messenger/MessengerAccount.h"
#include "platform/messenger/ServerLocator.h"
#include "platform/messenger/StanzaReader.h"
#include "platform/messenger/XmppMessenger.h"
#include "system/SystemServices.h"

#include <QTest>

#include <strophe.h>

using namespace tilvano;
using namespace tilvano::messenger;

class TestMessengerParts : public QObject {
    Q_OBJECT

private slots:
    void presenceGivesStateNumbers_data();
    void presenceGivesStateNumbers();
    void fileOffersOfEveryKind();
    void invitationsDirectAndMediated();
    void libraryStanzasCopyDeeplyButBounded();
    void contactStateFollowsBestResource();
    void friendlyNamePrefersRosterThenNickname();
    void carbonsAndDelayStamps_data();
    void carbonsAndDelayStamps();
    void srvTargetsByPriorityThenWeight();
    void localNetworkAddresses();
    void serverOverrides_data();
    void serverOverrides();
    void missingOrBrokenAccountCannotCreateMessenger();
    void storedAccountIsReadWithDefaults();
};

void TestMessengerParts::presenceGivesStateNumbers_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<int>("state");
    QTest::newRow("available") << "<presence/>" << UserState::Online;
    QTest::newRow("chat") << "<presence><show>chat</show></presence>" << UserState::Online;
    QTest::newRow("unavailable") << "<presence type='unavailable'><show>dnd</show></presence>" << UserState::Offline;
    QTest::newRow("dnd") << "<presence><show>dnd</show></presence>" << UserState::Busy;
    QTest::newRow("away") << "<presence><show>away</show><status>Einkaufen</status></presence>" << UserState::Away;
    QTest::newRow("xa is away, not lunch") << "<presence><show>xa</show></presence>" << UserState::Away;
    QTest::newRow("brb words") << "<presence><show>away</show><status>Bin gleich zurück</status></presence>" << UserState::BeRightBack;
    QTest::newRow("BRB") << "<presence><status>BRB!</status></presence>" << UserState::BeRightBack;
    QTest::newRow("be right back") << "<presence><show>xa</show><status>Be right back</status></presence>" << UserState::BeRightBack;
    QTest::newRow("brb inside a word") << "<presence><show>away</show><status>abrbx</status></presence>" << UserState::Away;
    QTest::newRow("phone") << "<presence><show>dnd</show><status>On the phone</status></presence>" << UserState::OnThePhone;
    QTest::newRow("Telefon") << "<presence><show>away</show><status>am Telefon</status></presence>" << UserState::OnThePhone;
    QTest::newRow("telefoniere") << "<presence><status>Telefoniere gerade</status></presence>" << UserState::OnThePhone;
    QTest::newRow("an iPhone is no call") << "<presence><status>Gesendet vom iPhone</status></presence>" << UserState::Online;
    QTest::newRow("nor is a phonebook") << "<presence><show>dnd</show><status>phonebook</status></presence>" << UserState::Busy;
    QTest::newRow("Mittagspause") << "<presence><show>xa</show><status>Mittagspause</status></presence>" << UserState::OutToLunch;
    QTest::newRow("lunch") << "<presence><show>away</show><status>Out to lunch</status></presence>" << UserState::OutToLunch;
    QTest::newRow("lunchbox is no lunch") << "<presence><show>away</show><status>lunchbox</status></presence>" << UserState::Away;
    QTest::newRow("unavailable saying brb") << "<presence type='unavailable'><status>brb</status></presence>" << UserState::Offline;
    QTest::newRow("subscription request") << "<presence type='subscribe'/>" << UserState::Unknown;
    QTest::newRow("error") << "<presence type='error'/>" << UserState::Unknown;
    QTest::newRow("unknown show") << "<presence><show>dancing</show></presence>" << UserState::Online;
}

void TestMessengerParts::presenceGivesStateNumbers()
{
    QFETCH(QString, xml);
    QFETCH(int, state);
    QCOMPARE(contactStateOf(XmlNode::fromXml(xml.toUtf8())), state);
}

void TestMessengerParts::fileOffersOfEveryKind()
{
    auto offer = [](const char *xml) { return fileOfferIn(XmlNode::fromXml(xml)); };

    auto si = offer("<iq type='set'><si xmlns='http://jabber.org/protocol/si'><file "
                    "xmlns='http://jabber.org/protocol/si/profile/file-transfer' name='a b.txt' size='77'/></si></iq>");
    QVERIFY(si);
    QCOMPARE(si->fileName, QStringLiteral("a b.txt"));
    QCOMPARE(si->size, 77);

    // An older Jingle version, with the file inside an <offer>, and a size
    // that is no number.
    auto jingle = offer("<iq type='set'><jingle xmlns='urn:xmpp:jingle:1' action='session-initiate'><content>"
                        "<description xmlns='urn:xmpp:jingle:apps:file-transfer:3'><offer><file><name>x.zip</name>"
                        "<size>viel</size></file></offer></description></content></jingle></iq>");
    QVERIFY(jingle);
    QCOMPARE(jingle->fileName, QStringLiteral("x.zip"));
    QCOMPARE(jingle->size, 0);

    // Other Jingle actions and results are no offers.
    QVERIFY(!offer("<iq type='set'><jingle xmlns='urn:xmpp:jingle:1' action='session-terminate'><content>"
                   "<description xmlns='urn:xmpp:jingle:apps:file-transfer:5'><file><name>x</name></file>"
                   "</description></content></jingle></iq>"));
    QVERIFY(!offer("<iq type='result'><si xmlns='http://jabber.org/protocol/si'><file "
                   "xmlns='http://jabber.org/protocol/si/profile/file-transfer' name='r'/></si></iq>"));

    auto oobIq = offer("<iq type='set'><query xmlns='jabber:iq:oob'><url>http://h/p/%C3%BCber.pdf?x=1</url></query></iq>");
    QVERIFY(oobIq);
    QCOMPARE(oobIq->fileName, QStringLiteral("über.pdf"));
    auto oobBare = offer("<message><x xmlns='jabber:x:oob'><url>https://host.example</url></x></message>");
    QVERIFY(oobBare);
    QCOMPARE(oobBare->fileName, QStringLiteral("https://host.example"));
    QVERIFY(!offer("<message><x xmlns='jabber:x:oob'><url></url></x></message>"));
    QVERIFY(!offer("<message><body>https://x/y.txt</body></message>"));
}

void TestMessengerParts::invitationsDirectAndMediated()
{
    auto direct = roomInvitationIn(XmlNode::fromXml(
        "<message from='Bob@Localhost/pc'><x xmlns='jabber:x:conference' jid='Raum@conf.example' reason='Komm'/></message>"));
    QVERIFY(direct);
    QCOMPARE(direct->room, QStringLiteral("raum@conf.example"));
    QCOMPARE(direct->inviter, QStringLiteral("bob@localhost"));
    QCOMPARE(direct->reason, QStringLiteral("Komm"));

    auto mediated = roomInvitationIn(XmlNode::fromXml(
        "<message from='raum@conf.example'><x xmlns='http://jabber.org/protocol/muc#user'>"
        "<invite from='carol@example.org/x'><reason>Treffen</reason></invite></x></message>"));
    QVERIFY(mediated);
    QCOMPARE(mediated->room, QStringLiteral("raum@conf.example"));
    QCOMPARE(mediated->inviter, QStringLiteral("carol@example.org"));
    QCOMPARE(mediated->reason, QStringLiteral("Treffen"));

    // A room that adds the direct form for older clients: the relayed form
    // counts, and an inviter known only by seat keeps their nick.
    auto both = roomInvitationIn(XmlNode::fromXml(
        "<message from='raum@conf.example'><x xmlns='http://jabber.org/protocol/muc#user'>"
        "<invite from='raum@conf.example/Bob'/></x><x xmlns='jabber:x:conference' jid='raum@conf.example'/></message>"));
    QVERIFY(both);
    QCOMPARE(both->room, QStringLiteral("raum@conf.example"));
    QVERIFY(both->inviter.isEmpty());
    QCOMPARE(both->inviterNick, QStringLiteral("Bob"));

    QVERIFY(!roomInvitationIn(XmlNode::fromXml("<message type='error' from='r@c'><x xmlns='jabber:x:conference' jid='r@c'/></message>")));
    QVERIFY(!roomInvitationIn(XmlNode::fromXml("<message from='r@c'><x xmlns='jabber:x:conference'/></message>")));
    QVERIFY(!roomInvitationIn(XmlNode::fromXml("<message from='r@c'><x xmlns='http://jabber.org/protocol/muc#user'><status code='100'/></x></message>")));
}

void TestMessengerParts::libraryStanzasCopyDeeplyButBounded()
{
    xmpp_initialize();
    xmpp_ctx_t *ctx = xmpp_ctx_new(nullptr, nullptr);
    xmpp_stanza_t *stanza = xmpp_stanza_new_from_string(
        ctx, "<message from='a@b/c' type='chat'><body>Grüße &amp; &lt;mehr&gt;</body>"
             "<x xmlns='jabber:x:oob'><url>u</url></x></message>");
    QVERIFY(stanza);
    const XmlNode node = XmlNode::fromStanza(stanza);
    xmpp_stanza_release(stanza);
    QCOMPARE(node.name, QStringLiteral("message"));
    QCOMPARE(node.attribute(QStringLiteral("from")), QStringLiteral("a@b/c"));
    QCOMPARE(node.childText(QStringLiteral("body")), QStringLiteral("Grüße & <mehr>"));
    // Children without a namespace of their own are in their parent's.
    QCOMPARE(node.child(QStringLiteral("x"), QStringLiteral("jabber:x:oob")).child(QStringLiteral("url")).namespaceUri,
             QStringLiteral("jabber:x:oob"));

    QByteArray deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<a>";
    for (int i = 0; i < 5000; ++i)
        deep += "</a>";
    xmpp_stanza_t *nested = xmpp_stanza_new_from_string(ctx, deep.constData());
    if (nested) {
        int depth = 0;
        const XmlNode copy = XmlNode::fromStanza(nested);
        for (const XmlNode *n = &copy; !n->children.isEmpty(); n = &n->children.first())
            ++depth;
        QVERIFY(depth <= 32);
        xmpp_stanza_release(nested);
    }
    xmpp_ctx_free(ctx);

    QVERIFY(XmlNode::fromXml(deep).children.size() == 1);
    QVERIFY(XmlNode::fromXml("<message><body>abgeschnitten").isNull());
    QVERIFY(XmlNode::fromXml("kein xml").isNull());
}

void TestMessengerParts::contactStateFollowsBestResource()
{
    ContactList contacts;
    auto change = contacts.applyPresence(QStringLiteral("bob@x/pc"), UserState::Online, 5);
    QCOMPARE(change.previousState, UserState::Offline);
    QCOMPARE(change.newState, UserState::Online);

    // A lower-priority phone going away does not make Bob away.
    change = contacts.applyPresence(QStringLiteral("bob@x/phone"), UserState::Away, 0);
    QVERIFY(!change.changed());
    QCOMPARE(contacts.state(QStringLiteral("BOB@x")), UserState::Online);

    // The PC leaving leaves the phone's state.
    change = contacts.applyPresence(QStringLiteral("bob@x/pc"), UserState::Offline, 0);
    QCOMPARE(change.previousState, UserState::Online);
    QCOMPARE(change.newState, UserState::Away);

    // "Unavailable" from the bare address ends every resource.
    change = contacts.applyPresence(QStringLiteral("bob@x"), UserState::Offline, 0);
    QCOMPARE(change.newState, UserState::Offline);

    contacts.applyPresence(QStringLiteral("bob@x/pc"), UserState::Busy, 0);
    contacts.forgetPresences();
    QCOMPARE(contacts.user(QStringLiteral("bob@x")).state, UserState::Offline);
}

void TestMessengerParts::friendlyNamePrefersRosterThenNickname()
{
    ContactList contacts;
    QCOMPARE(contacts.friendlyName(QStringLiteral("Carol@Example.org/x")), QStringLiteral("carol@example.org"));
    QVERIFY(!contacts.hasName(QStringLiteral("carol@example.org")));
    contacts.setNickname(QStringLiteral("carol@example.org"), QStringLiteral(" Caro "));
    QCOMPARE(contacts.friendlyName(QStringLiteral("carol@example.org")), QStringLiteral("Caro"));
    contacts.setRosterName(QStringLiteral("carol@example.org"), QStringLiteral("Carola \"C\" M."));
    QCOMPARE(contacts.user(QStringLiteral("carol@example.org/y")).friendlyName, QStringLiteral("Carola \"C\" M."));
    QCOMPARE(contacts.user(QStringLiteral("carol@example.org/y")).emailAddress, QStringLiteral("carol@example.org"));
    contacts.setRosterName(QStringLiteral("carol@example.org"), QString());
    QCOMPARE(contacts.friendlyName(QStringLiteral("carol@example.org")), QStringLiteral("Caro"));
}

void TestMessengerParts::carbonsAndDelayStamps_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<int>("direction");
    QTest::addColumn<bool>("delayed");
    QTest::addColumn<QString>("body");
    const QString received = QStringLiteral(
        "<message from='alice@x' to='alice@x/tilvano'><received xmlns='urn:xmpp:carbons:2'>"
        "<forwarded xmlns='urn:xmpp:forward:0'>%1<message from='bob@x/pc' to='alice@x/phone' type='chat'>"
        "<body>Hallo</body>%2</message></forwarded></received></message>");
    QTest::newRow("plain message") << "<message from='bob@x/pc'><body>Hallo</body></message>"
                                   << int(CarbonCopy::None) << false << "";
    QTest::newRow("received copy") << received.arg(QString(), QString()) << int(CarbonCopy::Received) << false
                                   << "Hallo";
    QTest::newRow("stamp on the forwarding")
        << received.arg(QStringLiteral("<delay xmlns='urn:xmpp:delay' stamp='2024-01-01T10:00:00Z'/>"), QString())
        << int(CarbonCopy::Received) << true << "Hallo";
    QTest::newRow("sent copy") << "<message from='alice@x'><sent xmlns='urn:xmpp:carbons:2'><forwarded "
                                  "xmlns='urn:xmpp:forward:0'><message to='bob@x'><body>Hi</body></message>"
                                  "</forwarded></sent></message>"
                               << int(CarbonCopy::Sent) << false << "Hi";
    QTest::newRow("copy without a message") << "<message from='alice@x'><received xmlns='urn:xmpp:carbons:2'>"
                                               "<forwarded xmlns='urn:xmpp:forward:0'/></received></message>"
                                            << int(CarbonCopy::None) << false << "";
}

void TestMessengerParts::carbonsAndDelayStamps()
{
    QFETCH(QString, xml);
    QFETCH(int, direction);
    QFETCH(bool, delayed);
    QFETCH(QString, body);
    const CarbonCopy copy = carbonCopyIn(XmlNode::fromXml(xml.toUtf8()));
    QCOMPARE(int(copy.direction), direction);
    QCOMPARE(copy.delayed, delayed);
    QCOMPARE(copy.message.childText(QStringLiteral("body")), body);

    // Stamps on the message itself, in today's and the old namespace.
    QVERIFY(isDelayed(XmlNode::fromXml("<message><body>a</body><delay xmlns='urn:xmpp:delay' stamp='x'/></message>")));
    QVERIFY(isDelayed(XmlNode::fromXml("<message><body>a</body><x xmlns='jabber:x:delay' stamp='x'/></message>")));
    QVERIFY(!isDelayed(XmlNode::fromXml("<message><body>a</body><delay stamp='x'/></message>")));
}

void TestMessengerParts::srvTargetsByPriorityThenWeight()
{
    const QList<SrvTarget> records{{QStringLiteral("backup"), 5222, 20, 0},
                                   {QStringLiteral("heavy"), 5222, 10, 90},
                                   {QStringLiteral("light"), 5223, 10, 10},
                                   {QStringLiteral("zero"), 5222, 10, 0}};
    const auto hosts = [](const QList<SrvTarget> &targets) {
        QStringList names;
        for (const SrvTarget &t : targets)
            names.append(t.host);
        return names;
    };
    // A draw of 0 picks a weightless one first; the highest draw the last
    // of the group. The lower priority always comes last.
    QCOMPARE(hosts(orderSrvTargets(records, [](quint32) { return 0u; })),
             (QStringList{QStringLiteral("zero"), QStringLiteral("heavy"), QStringLiteral("light"), QStringLiteral("backup")}));
    QCOMPARE(hosts(orderSrvTargets(records, [](quint32 n) { return n - 1; })),
             (QStringList{QStringLiteral("light"), QStringLiteral("heavy"), QStringLiteral("zero"), QStringLiteral("backup")}));
    // Chosen in proportion to the weight: 90 of 100 draws pick "heavy".
    int heavyFirst = 0;
    for (quint32 draw = 0; draw <= 100; ++draw) {
        const auto order = orderSrvTargets(records, [draw](quint32 n) { return draw % n; });
        heavyFirst += order.first().host == QLatin1String("heavy");
    }
    QCOMPARE(heavyFirst, 90);
    QVERIFY(orderSrvTargets({}, [](quint32) { return 0u; }).isEmpty());
}

void TestMessengerParts::localNetworkAddresses()
{
    for (const char *local : {"127.0.0.1", "10.1.2.3", "172.16.0.9", "172.31.255.1", "192.168.178.20",
                              "169.254.1.1", "::1", "fd00::5", "fe80::1", "::ffff:192.168.1.2"})
        QVERIFY2(isLocalNetworkAddress(QHostAddress(QString::fromLatin1(local))), local);
    for (const char *remote : {"8.8.8.8", "172.32.0.1", "192.169.0.1", "2001:db8::1", "::ffff:8.8.4.4"})
        QVERIFY2(!isLocalNetworkAddress(QHostAddress(QString::fromLatin1(remote))), remote);
}

void TestMessengerParts::serverOverrides_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("empty: use the domain") << "" << "" << 0;
    QTest::newRow("name") << " xmpp.example.org " << "xmpp.example.org" << 5333;
    QTest::newRow("name and port") << "xmpp.example.org:5223" << "xmpp.example.org" << 5223;
    QTest::newRow("v4 and port") << "127.0.0.1:40000" << "127.0.0.1" << 40000;
    QTest::newRow("bare v6") << "fd00::5" << "fd00::5" << 5333;
    QTest::newRow("v6 and port") << "[fd00::5]:5224" << "fd00::5" << 5224;
    QTest::newRow("bad port") << "host:null" << "" << 0;
    QTest::newRow("port out of range") << "host:70000" << "" << 0;
    QTest::newRow("unclosed bracket") << "[fd00::5" << "" << 0;
}

void TestMessengerParts::serverOverrides()
{
    QFETCH(QString, text);
    QFETCH(QString, host);
    QFETCH(int, port);
    const std::optional<ServerAddress> parsed = parseServerAddress(text, 5333);
    QCOMPARE(parsed.has_value(), !host.isEmpty());
    if (parsed) {
        QCOMPARE(parsed->host, host);
        QCOMPARE(int(parsed->port), port);
    }
}

void TestMessengerParts::missingOrBrokenAccountCannotCreateMessenger()
{
    test::IsolatedHome home;
    auto store = [](const char *key, const QString &value) {
        SaveSetting(settingsApplication(), QStringLiteral("Messenger"), QString::fromLatin1(key), value);
    };
    ErrorInfo error;
    QVERIFY(!XmppMessenger::create(error));
    QCOMPARE(error.number, 429);
    QCOMPARE(error.source, QStringLiteral("Messenger"));
    QVERIFY(error.description.contains(QStringLiteral("kein Messenger-Konto")));

    for (const QString &jid : {QStringLiteral("example.org"), QStringLiteral("@example.org"), QStringLiteral("a@"),
                               QStringLiteral("a@b@c"), QStringLiteral("a b@c")}) {
        store("Jid", jid);
        error.clear();
        QVERIFY2(!XmppMessenger::create(error), qPrintable(jid));
        QVERIFY(error.description.contains(QStringLiteral("ungültig")));
    }
    store("Jid", QStringLiteral("alice@example.org"));
    for (const QString &port : {QStringLiteral("0"), QStringLiteral("70000"), QStringLiteral("fünf")}) {
        store("Port", port);
        error.clear();
        QVERIFY2(!XmppMessenger::create(error), qPrintable(port));
        QVERIFY(error.description.contains(port));
    }
    store("Port", QStringLiteral("5222"));
    store("Server", QStringLiteral("xmpp.example.org:port"));
    error.clear();
    QVERIFY(!XmppMessenger::create(error));
    QVERIFY(error.description.contains(QStringLiteral("xmpp.example.org:port")));
}

void TestMessengerParts::storedAccountIsReadWithDefaults()
{
    test::IsolatedHome home;
    SaveSetting(settingsApplication(), QStringLiteral("messenger"), QStringLiteral("jid"), QStringLiteral(" Alice@Example.org/Arbeit "));
    SaveSetting(settingsApplication(), QStringLiteral("Messenger"), QStringLiteral("Password"), QStringLiteral("geheim"));
    ErrorInfo error;
    auto account = MessengerAccount::load(SystemServices::registry(), error);
    QVERIFY(account);
    QVERIFY(!error.isError());
    QCOMPARE(account->bareJid(), QStringLiteral("Alice@Example.org"));
    QCOMPARE(account->domain(), QStringLiteral("Example.org"));
    QCOMPARE(account->serverOverride(), std::nullopt);
    QVERIFY(account->requireTls);
    // The password is the credential store's to give.
    QVERIFY(account->password.isEmpty());
    QCOMPARE(account->credentialKey().service, QStringLiteral("xmpp"));
    QCOMPARE(account->credentialKey().user, QStringLiteral("alice@example.org"));
    QCOMPARE(account->credentialKey().fallbackKeyPath, QStringLiteral("HKEY_CURRENT_USER\\Software\\Lorvat\\Messenger"));
    QCOMPARE(account->credentialKey().fallbackValueName, QStringLiteral("Password"));

    // A value that reads as no boolean must not switch encryption off.
    SaveSetting(settingsApplication(), QStringLiteral("Messenger"), QStringLiteral("RequireTls"), QStringLiteral("vielleicht"));
    SaveSetting(settingsApplication(), QStringLiteral("Messenger"), QStringLiteral("Server"), QStringLiteral("xmpp.example.org"));
    SaveSetting(settingsApplication(), QStringLiteral("Messenger"), QStringLiteral("Port"), QStringLiteral("5223"));
    account = MessengerAccount::load(SystemServices::registry(), error);
    QVERIFY(account);
    QVERIFY(account->requireTls);
    QCOMPARE(account->serverOverride(), (ServerAddress{QStringLiteral("xmpp.example.org"), 5223}));
    SaveSetting(settingsApplication(), QStringLiteral("Messenger"), QStringLiteral("RequireTls"), QStringLiteral("False"));
    QVERIFY(!MessengerAccount::load(SystemServices::registry(), error)->requireTls);
}

QTEST_GUILESS_MAIN(TestMessengerParts)
#include "tst_messengerparts.moc"
