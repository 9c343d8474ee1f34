#include "Harness.h"
#include "core/LinkGate.h"
#include "link/Console.h"
#include "link/ConsoleText.h"

#include <QTest>
#include <QTimer>

using ConsoleText::bitsToHex;
using ConsoleText::hexToBits;
using ConsoleText::replyCut;

class TestConsole : public QObject {
    Q_OBJECT
private slots:
    void replyCutTakesTheTextBetweenEchoAndPrompt() {
        const QString srev = " srev\r\n08-2727A01\r\n3.2.0  15Mar2004\r\n>";
        QCOMPARE(*replyCut(srev, "srev", false), QString("08-2727A01\r\n3.2.0  15Mar2004"));
        // The version sits at positions 20 to 24 of the buffer, counted from 1.
        QCOMPARE(srev.mid(19, 5), QString("3.2.0"));
        QCOMPARE(*replyCut(" pwr\r\nPWR 30\r\n>", "PWR", false), QString("PWR 30"));
    }

    void replyCutEdges() {
        // Nothing between echo line and prompt: an empty value.
        QCOMPARE(*replyCut(" own\r\n\r\n>", "own", false), QString());
        // The prompt too close to the echo: no value at all.
        QVERIFY(!replyCut(" own\r\n>", "own", false));
        QVERIFY(!replyCut(" own", "own", false));
        QVERIFY(!replyCut(" \r\n>", "own", false));
        // In setup mode the cut ends before "SETUP>", not before its ">".
        QCOMPARE(*replyCut(" pwr\r\nPWR 30\r\nSETUP>", "pwr", true), QString("PWR 30"));
        QCOMPARE(*replyCut(" pwr\r\nPWR 30\r\nSETUP>", "pwr", false), QString("PWR 30\r\nSET"));
        // A prompt before the echo gives a negative length: no value.
        QVERIFY(!replyCut(" >pwr\r\nPWR 30\r\n>", "pwr", false));
    }

    // The radio sends printable ASCII, CR and LF: anything else in a reply came from the line.
    void radioTextIsPrintableAsciiAndLineEnds_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("radio");
        QTest::newRow("a reply of two lines") << "08-2727A01\r\n3.2.0  15Mar2004" << true;
        QTest::newRow("nothing") << "" << true;
        QTest::newRow("every printable character")
            << QString(" ~!\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}") << true;
        QTest::newRow("a NUL") << QString("PWR 2") + QChar(0) + "0" << false;
        QTest::newRow("a tab") << "OWN\tPUMP" << false;
        QTest::newRow("a bell") << "PWR\a 30" << false;
        QTest::newRow("DEL") << "PWR 3\x7f" << false;
        QTest::newRow("a C1 control") << QString("PWR ") + QChar(0x85) + "30" << false;
        QTest::newRow("line noise") << QString(QChar(0xe7)) + "3.3." << false;
        QTest::newRow("beyond Latin-1") << QString("OWN ") + QChar(0x263a) << false;
    }
    void radioTextIsPrintableAsciiAndLineEnds() {
        QFETCH(QString, text);
        QFETCH(bool, radio);
        QCOMPARE(ConsoleText::isRadioText(text), radio);
    }

    // A stray character where the cut skips the line ends would pass the cut as a line break.
    void cleanRepliesAreFramedByLineEnds_data() {
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<bool>("setup");
        QTest::addColumn<bool>("clean");
        const QString stray(QChar(0xab));
        QTest::newRow("one line") << " sleep\r\nSLEEP OFF\r\n>" << false << true;
        QTest::newRow("two lines") << " sleep\r\nSLEEP OFF\r\nLPM 0\r\n>" << false << true;
        QTest::newRow("in setup mode") << " sleep\r\nSLEEP OFF\r\nSETUP>" << true << true;
        QTest::newRow("stray after the echo")
            << " sleep" + stray + "\r\nSLEEP OFF\r\n>" << false << false;
        QTest::newRow("stray inside the echo's line end")
            << " sleep\r" + stray + "\nSLEEP OFF\r\n>" << false << false;
        QTest::newRow("stray in the value")
            << " sleep\r\nSLEEP" + stray + " OFF\r\n>" << false << false;
        QTest::newRow("stray before the prompt")
            << " sleep\r\nSLEEP OFF\r\n" + stray + ">" << false << false;
        QTest::newRow("no prompt") << " sleep\r\nSLEEP OFF\r\n" << false << false;
    }
    void cleanRepliesAreFramedByLineEnds() {
        QFETCH(QString, buffer);
        QFETCH(bool, setup);
        QFETCH(bool, clean);
        QCOMPARE(ConsoleText::isCleanReply(buffer, "sleep", setup), clean);
    }

    void hexAndBitConversions() {
        QCOMPARE(hexToBits("A5"), QString("10100101"));
        QCOMPARE(hexToBits("0f"), QString("00001111"));
        QCOMPARE(hexToBits("F F-z1"), QString("111111110001"));
        QCOMPARE(bitsToHex("10100101"), QString("A5"));
        QCOMPARE(bitsToHex("0000111"), QString("0"));
        QCOMPARE(bitsToHex("00001x110011"), QString("03"));
        QCOMPARE(bitsToHex(hexToBits("FFFF0000")), QString("FFFF0000"));
    }

    void exchangeWaitsForTheMarkersThenCuts() {
        Harness h;
        h.connectRadio();
        Console& console = h.window->console();
        QVERIFY(console.exchange("pwr", {"pwr", ">"}, 4));
        QVERIFY(console.buffer().startsWith(" pwr\r\n"));
        QCOMPARE(*console.cut("pwr"), QString("PWR 30"));
        QCOMPARE(h.commands(), QStringList{"pwr"});
    }

    void silentRadioTimesOutOnTheClock() {
        Harness h;
        h.connectRadio();
        const qint64 before = h.clock.msecs();
        Console& console = h.window->console();
        // A reply word that never comes: the wait ends at its deadline, no sooner.
        QVERIFY(!console.exchange("pwr", {"PROGRAMMED OK"}, 3));
        QVERIFY(h.clock.msecs() - before >= 3000);
        QVERIFY(console.holds("PWR 30"));
        QVERIFY(!console.holdsExact("pwr 30"));
    }

    // A write is taken only on the radio's own words, in its own capitals.
    void writeTakesOnlyTheRadiosExactVerdict_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<Console::Verdict>("verdict");
        QTest::newRow("taken") << "PROGRAMMED OK" << Console::Verdict::Accepted;
        QTest::newRow("in small letters") << "programmed ok" << Console::Verdict::NoAnswer;
        QTest::newRow("not taken") << "NOT PROGRAMMED" << Console::Verdict::NoAnswer;
        QTest::newRow("denied") << "ACCESS DENIED" << Console::Verdict::Denied;
        QTest::newRow("invalid") << "INVALID ENTRY" << Console::Verdict::Refused;
    }
    void writeTakesOnlyTheRadiosExactVerdict() {
        QFETCH(QString, reply);
        QFETCH(Console::Verdict, verdict);
        Harness h;
        h.connectRadio();
        h.radio.setSilent(true);
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes.startsWith("pwr "))
                QTimer::singleShot(
                    0, this, [&] { h.port.deliver("pwr 22\r\n" + reply.toLatin1() + "\r\n>"); });
        });
        QCOMPARE(h.window->console().write("pwr 22", 3), verdict);
    }

    // A late answer arrives late: the wait sleeps until it, and not to the deadline.
    void lateAnswerEndsTheWaitWhenItComes() {
        RadioOptions slow;
        slow.storeMs = 700;
        Harness h(slow);
        h.connectRadio();
        const qint64 before = h.clock.msecs();
        QVERIFY(h.window->console().exchange("pwr 22", {">", "PROGRAMMED OK"}, 3));
        QVERIFY(h.clock.msecs() - before >= 700 && h.clock.msecs() - before < 3000);
    }

    // One command line never becomes two, whatever text it was built from.
    void commandLinesCarryNoControlCharacters() {
        Harness h;
        h.connectRadio();
        h.window->console().sendLine("own ALPHA\r\npwr 20\x1b");
        QCOMPARE(h.commands(), QStringList{"own ALPHApwr 20"});
        // The C1 range of Latin-1 too, and no line longer than any reply could be.
        h.radio.clearLines();
        h.window->console().sendLine(QString("own B") + QChar(0x85) + QChar(0x9b) + "ETA");
        h.window->console().sendLine("owm " + QString(400, u'x'));
        QCOMPARE(h.commands(), QStringList({"own BETA", "owm " + QString(252, u'x')}));
    }

    // An interrupted action waits no more and says nothing more but what leaves the radio
    // safe; nothing at all goes out from inside another action's wait.
    void interruptionsAndWaitsKeepCommandsApart() {
        Harness h;
        h.connectRadio();
        Console& console = h.window->console();
        LinkGate& gate = h.window->state().gate;
        {
            const LinkBusy busy(gate);
            gate.cancel();
            const qint64 before = h.clock.msecs();
            QVERIFY(!console.waitUntil([] { return false; }, 4, "test"));
            console.sleep(1000, "test");
            QCOMPARE(h.clock.msecs(), before);
            console.sendLine("pwr 25");
            console.sendSafeLine("DKEY");
            console.setEcho(true);
        }
        QVERIFY(!gate.cancelled());
        QCOMPARE(h.commands(), (QStringList{"DKEY", "eeco"}));

        h.radio.clearLines();
        h.radio.setSilent(true);
        QTimer::singleShot(0, &h.port, [&] { console.sendLine("stat"); });
        {
            const LinkBusy busy(gate);
            console.waitUntil([] { return false; }, 1, "test");
        }
        QVERIFY(h.radio.lines().isEmpty());
    }
};

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
