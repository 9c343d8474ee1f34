#include "config/ConfigFormat.h"

#include <QTest>

using namespace ConfigFormat;

namespace {

// The replies of a 3.2.0 master as the simulated radio gives them.
QMap<QString, QString> master() {
    return {{"unit", "UNIT 14567"},
            {"own", "Pump Station 4"},
            {"owm", "North field"},
            {"mode", "MODE M"},
            {"pwr", "PWR 30"},
            {"baud", "BAUD 9600 8N1"},
            {"port", "PORT RS232"},
            {"device", "DEVICE DCE"},
            {"amask", "MASK: FFFF FFFF"},
            {"asense", "ALARM ACTIVE HI"},
            {"cts", "CTS 0"},
            {"ctshold", "CTSHOLD n/a"},
            {"rxtot", "RXTOT 10"},
            {"rxd", "RXD 0"},
            {"sleep", "SLEEP OFF"},
            {"lpmhold", "LPMHOLD 0"},
            {"addr", "ADDR 1234"},
            {"csaddr", "CSADDR 1234"},
            {"hoptime", "HOPTIME 7"},
            {"skip", "SKIP NONE"},
            {"lpm", "LPM 0"},
            {"repeat", "REPEAT 3"},
            {"retry", "RETRY 10"},
            {"fec", "FEC ON"},
            {"buff", "BUFF ON"},
            {"saf", "SAF OFF"},
            {"xaddr", "XADDR 0"},
            {"xmap", "XMAP 00000001"},
            {"xpri", "XPRI NONE"},
            {"xrssi", "XRSSI -100"},
            {"dtype", "DTYPE NODE"},
            {"dlink", "DLINK 19200 (ON)"},
            {"rtu", "RTU 5 (ON)"}};
}

Header header() {
    return {"2.3.3", "11/1/2004", QString("1234567"), QString("08-2727A01\r\n3.2.0  15Mar2004")};
}

} // namespace

class TestConfigFormat : public QObject {
    Q_OBJECT
private slots:
    void writesTheHeaderAndEveryKnownRow() {
        const QStringList lines = write(header(), master(), 320);
        const QStringList expected = {
            "Created by Quenlar Ardentix Configuration Software Version 2.3.3",
            "On 11/1/2004",
            "From Radio, serial number: 1234567",
            "With Firmware Version: ",
            "08-2727A01",
            "3.2.0  15Mar2004",
            "",
            "",
            "UNIT 14567",
            "OWN Pump Station 4",
            "OWM North field",
            "MODE M",
            "PWR 30",
            "BAUD 9600 8N1",
            "PORT RS232",
            "DEVICE DCE",
            "AMASK FFFF FFFF",
            "ALARM ACTIVE HI",
            "CTS 0",
            "RXTOT 10",
            "RXD 0",
            "SLEEP OFF",
            "LPMHOLD 0",
            "ADDR 1234",
            "CSADDR 1234",
            "HOPTIME 7",
            "SKIP NONE",
            "LPM 0",
            "REPEAT 3",
            "RETRY 10",
            "FEC ON",
            "BUFF ON",
            "SAF OFF",
            "XADDR 0",
            "XMAP 00000001",
            "XPRI NONE",
            "XRSSI -100",
            "DTYPE NODE",
            "DLINK 19200",
            "DLINK ON",
            "RTU 5",
            "RTU ON"};
        QCOMPARE(lines, expected);
        QCOMPARE(encode({"A", "", "B"}), QByteArray("A\r\n\r\nB\r\n"));
    }

    void remotesAndOlderFirmwareWriteLess() {
        QMap<QString, QString> remote = master();
        remote["mode"] = "MODE R";
        remote["dlink"] = "n/a";
        remote["rtu"] = "n/a";
        const QStringList lines = write({"2.3.3", "d", {}, {}}, remote, 210);
        for (const char* absent :
             {"RXTOT", "HOPTIME", "SKIP", "REPEAT", "RETRY", "FEC", "BUFF", "SAF", "CSADDR", "RXD",
              "LPM", "From Radio", "With Firmware", "RTU"})
            QVERIFY2(!lines.join('\n').contains(absent), absent);
        // The link's state line is written even when its value was not read; the RTU's not.
        QCOMPARE(lines.last(), QString("DLINK OFF"));
        QVERIFY(lines.contains("SLEEP OFF"));

        QMap<QString, QString> old = master();
        old["xmin"] = "XMIN 3";
        old["xmax"] = "XMAX 5";
        const QStringList older = write(header(), old, 190);
        QVERIFY(older.contains("XMIN 3") && older.contains("XMAX 5"));
        QVERIFY(!older.join('\n').contains("XMAP") && !older.join('\n').contains("DTYPE"));
    }

    // A radio reads a value back in its own spacing and case: that is no change.
    void valuesCompareAsTheRadioReadsThem() {
        QVERIFY(ConfigFormat::sameSetting("BAUD  9600 8n1", " baud 9600 8N1"));
        QVERIFY(!ConfigFormat::sameSetting("PWR 30", "PWR 20"));
        QVERIFY(!ConfigFormat::sameSetting("PWR 30", "n/a"));
    }

    void decodesAnyBytes() {
        QCOMPARE(decode("a\r\nb\rc"), (QStringList{"a", "b", "c"}));
        QCOMPARE(decode("UNIT 1\nPWR 2\n\r\n"), (QStringList{"UNIT 1", "PWR 2", ""}));
        QCOMPARE(decode("\r\n\r\n"), (QStringList{"", ""}));
        QCOMPARE(decode(QByteArray("x\0\xff\n", 4)).size(), 1);
        QVERIFY(decode(QByteArray()).isEmpty());
        // A saved file reads back into the same values.
        const Loaded loaded =
            Reader(320, "MODE M").read(decode(encode(write(header(), master(), 320))));
        QCOMPARE(loaded.values.value("own"), QString("Pump Station 4"));
        QCOMPARE(loaded.values.value("amask"), QString("MASK:  FFFF FFFF"));
        QCOMPARE(loaded.values.value("dlink"), QString("DLINK 19200 (ON)"));
        QCOMPARE(loaded.values.value("rtu"), QString("RTU 5 (ON)"));
        QCOMPARE(loaded.values.value("asense"), QString("ALARM ACTIVE HI"));
        // Every row but the unread CTSHOLD; Sleep Mode is a remote's, so a master leaves it off.
        QCOMPARE(loaded.values.size(), 32);
        QCOMPARE(loaded.enabled.size(), 31);
        QVERIFY(!loaded.enabled.contains("sleep"));
        QVERIFY(!loaded.versionNotice);

        // Names and messages that hold other keywords come back as they were saved.
        QMap<QString, QString> tricky = master();
        tricky["own"] = "UNIT 7 MODE X";
        tricky["owm"] = "TOWN HALL, PORT SIDE";
        const Loaded back =
            Reader(320, "MODE M").read(decode(encode(write(header(), tricky, 320))));
        for (auto it = tricky.cbegin(); it != tricky.cend(); ++it)
            if (it.key() != "ctshold")
                QCOMPARE(back.values.value(it.key()).simplified(), it.value().simplified());
    }

    void readerEdges() {
        QCOMPARE(Reader(320, "MODE M").read({"Created by x", "On 1/1/2004", "", ""}).parameterLines,
                 0);
        // A line is the keyword's it starts with (and a blank); one that starts with none goes
        // to the first keyword it holds anywhere, in the dispatch order. Case counts.
        Loaded loaded = Reader(320, "MODE M")
                            .read({"OWN UNIT 7", "OWM TOWN HALL", "unit 1234", "pwr 20",
                                   " RXTOT 5 CTS", "Address ADDR 77"});
        QCOMPARE(loaded.values.value("own"), QString("UNIT 7"));
        QCOMPARE(loaded.values.value("owm"), QString("TOWN HALL"));
        QCOMPARE(loaded.values.value("cts"), QString(" RXTOT 5 CTS"));
        QCOMPARE(loaded.values.value("addr"), QString("Address ADDR 77"));
        QVERIFY(!loaded.values.contains("unit") && !loaded.values.contains("pwr"));
        // A line of 256 characters is read; one of 257 is refused by its number.
        const QString longest = "OWN " + QString(252, u'x');
        loaded = Reader(320, "MODE M").read({longest, "OWM " + QString(253, u'x')});
        QCOMPARE(loaded.values.value("own"), longest.mid(4));
        QVERIFY(!loaded.values.contains("owm"));
        QCOMPARE(loaded.tooLong, QList<int>{2});
        // A line that holds a character no radio sends is refused by its number: sent, it would
        // not be the setting it shows (a NUL inside PWR 20 reads as PWR 2).
        loaded = Reader(320, "MODE M")
                     .read(decode(QByteArray("PWR 2\x00"
                                             "0\r\nUNIT 1\r\nOWN A\xe7\r\n",
                                             25)));
        QCOMPARE(loaded.garbled, (QList<int>{1, 3}));
        QVERIFY(!loaded.values.contains("pwr") && !loaded.values.contains("own"));
        QCOMPARE(loaded.values.value("unit"), QString("UNIT 1"));
        // A file from release 1.x under a 2.0 or later radio: a notice, and reading goes on.
        loaded = Reader(200, "MODE M")
                     .read({"With Firmware Version: ", "08-2727A01", "1.9.0  01Jan2003", "PWR 25"});
        QVERIFY(loaded.versionNotice);
        QCOMPARE(loaded.values.value("pwr"), QString("PWR 25"));
        QVERIFY(!Reader(190, "MODE M").read({"08-2727A01", "1.9.0  01Jan2003"}).versionNotice);
        // XMIN and XMAX of an older file become the map of a newer radio.
        QCOMPARE(Reader(320, "MODE M").read({"XMIN 3", "XMAX 5"}).values.value("xmap"),
                 QString("XMAP 00000038"));
        QCOMPARE(Reader(320, "MODE M").read({"XMAX 5"}).values.value("xmap"),
                 QString("XMAP 00000000"));
        QCOMPARE(Reader(320, "MODE M").read({"XMIN x", "XMAX 40"}).values.value("xmap"),
                 QString("XMAP 00000000"));
        QCOMPARE(Reader(190, "MODE M").read({"XMIN 3"}).values.value("xmin"), QString("XMIN 3"));
        // A single state line.
        QCOMPARE(Reader(320, "MODE M").read({"DLINK OFF"}).values.value("dlink"),
                 QString("DLINK OFF"));
        // Newer rows are not read for an older radio.
        QVERIFY(Reader(190, "MODE M").read({"XPRI 3", "RXD 4", "LPM 1"}).values.isEmpty());
    }

    void masterRowsFollowTheConnectedRadio() {
        const QStringList file = {"HOPTIME 7", "REPEAT 3", "SLEEP OFF", "XADDR 2", "PWR 20"};
        const Loaded atRemote = Reader(320, "MODE R").read(file);
        QVERIFY(atRemote.values.contains("hoptime") && !atRemote.enabled.contains("hoptime"));
        QVERIFY(!atRemote.enabled.contains("repeat") && !atRemote.enabled.contains("xaddr"));
        QVERIFY(atRemote.enabled.contains("sleep") && atRemote.enabled.contains("pwr"));
        const Loaded atMaster = Reader(320, "MODE M").read(file);
        QVERIFY(atMaster.enabled.contains("hoptime") && atMaster.enabled.contains("xaddr"));
        QVERIFY(!atMaster.enabled.contains("sleep"));
    }

    void restoreCommands() {
        QCOMPARE(commandsFor("own", "Pump 4"), QStringList{"own Pump 4"});
        QCOMPARE(commandsFor("amask", "MASK:  FFFF FFFF"), QStringList{"amask   FFFF FFFF"});
        QCOMPARE(commandsFor("asense", "ALARM ACTIVE LO"), QStringList{"asense LO"});
        QCOMPARE(commandsFor("dlink", "DLINK 19200 (OFF)"),
                 (QStringList{"DLINK 19200", "DLINK OFF"}));
        QCOMPARE(commandsFor("rtu", "RTU 5"), QStringList{"RTU OFF"});
        QCOMPARE(commandsFor("pwr", "PWR 25"), QStringList{"PWR 25"});
        const QStringList order = programmingOrder();
        QCOMPARE(order.size(), 35);
        QVERIFY(order.indexOf("xmax") < order.indexOf("xmin"));
        QCOMPARE(order.first(), QString("unit"));
    }
};

QTEST_MAIN(TestConfigFormat)
#include "tst_configformat.moc"
