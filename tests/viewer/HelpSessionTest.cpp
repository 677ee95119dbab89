// The questions the viewer asks of a help: contexts by string and number, macros, keywords, the
// contents from a .cnt file.
#include "ViewerFixture.h"

#include "support/TestRegistry.h"
#include "viewer/core/HelpSession.h"
#include "winhelp/format/CntFile.h"
#include "winhelp/reader/HelpFileRead.h"

using namespace viewertest;

namespace {

std::shared_ptr<viewer::HelpSession> session(const ViewerFixture& f, const QByteArray& cnt = {})
{
    const hlp::HelpFileRead r = hlp::readHelpProject(f.hpj());
    if (!r.help)
        return nullptr;
    auto help = std::make_shared<hlp::LoadedHelp>(*r.help);
    help->contents = hlp::parseContentsFile(cnt);
    return std::make_shared<viewer::HelpSession>(help, f.dir.filePath("essai.hlp"));
}

} // namespace

class HelpSessionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void contextsByStringOrNumber_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<int>("topic");
        QTest::newRow("a [MAP] number") << "2" << int(Second);
        QTest::newRow("a hexadecimal number") << "0x3" << int(Third);
        QTest::newRow("a context string, case aside") << "idh_def" << int(Definition);
        QTest::newRow("a number [MAP] lacks") << "9" << -1;
        QTest::newRow("unknown") << "IDH_Rien" << -1;
    }
    void contextsByStringOrNumber()
    {
        QFETCH(QString, given);
        QFETCH(int, topic);
        ViewerFixture f;
        const auto s = session(f);
        QVERIFY(s);
        QCOMPARE(s->topicForArgument(given), topic);
    }

    void macros_data()
    {
        using K = viewer::MacroAction::Kind;
        QTest::addColumn<QByteArray>("macros");
        QTest::addColumn<int>("kind"); // of the first action; -1: none
        QTest::addColumn<int>("topic");
        QTest::addColumn<QStringList>("unavailable");
        QTest::newRow("JumpId") << QByteArray("JumpId(`', `IDH_Deux')") << int(K::Jump) << int(Second) << QStringList{};
        QTest::newRow("JI of this file by name") << QByteArray("JI(`ESSAI.HLP', `IDH_Trois')") << int(K::Jump) << int(Third) << QStringList{};
        QTest::newRow("PopupId") << QByteArray("PI(`', `IDH_Def')") << int(K::Popup) << int(Definition) << QStringList{};
        QTest::newRow("JumpContext by number") << QByteArray("JumpContext(`', 3)") << int(K::Jump) << int(Third) << QStringList{};
        QTest::newRow("Next from the contents: none") << QByteArray("Next()") << int(K::Next) << -1 << QStringList{};
        QTest::newRow("KLink") << QByteArray("KLink(commun;deux)") << int(K::Keywords) << -1 << QStringList{};
        QTest::newRow("JumpId of another file") << QByteArray("JumpId(`autre.hlp', `IDH_X')") << int(K::OtherFile) << -1 << QStringList{};
        QTest::newRow("one with an equivalent among others")
            << QByteArray("CloseWindow(`sec');Back()") << int(K::Back) << -1 << QStringList{"CloseWindow"};
        QTest::newRow("none") << QByteArray("ExecProgram(`calc', 0)") << -1 << -1 << QStringList{"ExecProgram"};
    }
    void macros()
    {
        QFETCH(QByteArray, macros);
        QFETCH(int, kind);
        QFETCH(int, topic);
        QFETCH(QStringList, unavailable);
        ViewerFixture f;
        const auto s = session(f);
        const viewer::MacroPlan plan = s->macros(macros, Contents);
        QCOMPARE(plan.unavailable, unavailable);
        if (kind < 0) {
            QVERIFY(plan.actions.empty());
            return;
        }
        QCOMPARE(int(plan.actions.front().kind), kind);
        QCOMPARE(plan.actions.front().topic, topic);
        if (plan.actions.front().kind == viewer::MacroAction::Kind::Keywords)
            QCOMPARE(s->keywordTopics(plan.actions.front().keywords), (std::vector<int>{Second, Third}));
    }

    void contentsFromTheCntFileElseFromTheLinks()
    {
        ViewerFixture f;
        const auto fromCnt = session(f, ":Base essai.hlp\r\n1 Livre\r\n2 La deuxi\xE8me=IDH_Deux\r\n2 Ailleurs=IDH_X@autre.hlp\r\n1 Fin=IDH_Trois>sec\r\n");
        QStringList lines;
        for (const viewer::ContentsNode& n : fromCnt->contents())
            lines << QStringLiteral("%1 %2 %3 %4").arg(n.depth).arg(n.text).arg(n.topic).arg(QString::fromLatin1(n.window));
        QCOMPARE(lines, (QStringList{"0 Livre -1 ", QString::fromUtf8("1 La deuxième 1 "), "0 Fin 2 sec"}));
        // Without one: the contents topic, then the topics its jumps reach; the popup stays out.
        lines.clear();
        const auto fromLinks = session(f); // held: the loop reads into it
        for (const viewer::ContentsNode& n : fromLinks->contents())
            lines << QStringLiteral("%1 %2").arg(n.depth).arg(n.topic);
        QCOMPARE(lines, (QStringList{"0 0", "0 1", "0 2"}));
    }
};

TYX_TEST(HelpSessionTest);
#include "HelpSessionTest.moc"
