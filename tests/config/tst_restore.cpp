#include "Harness.h"
#include "SmallDisk.h"
#include "config/RestoreWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// Opens the store and restore window and lets its first read finish.
QPointer<RestoreWindow> openRestore(Harness& h) {
    h.window->openConfigRestore();
    QPointer<RestoreWindow> window = h.window->findChild<RestoreWindow*>();
    // A window whose first read does not finish is of no use to the test that asked for it.
    if (window &&
        !QTest::qWaitFor([&] { return window->toolbarButton("SaveConfig")->isEnabled(); }, 10000))
        return nullptr;
    return window;
}

void trigger(RestoreWindow& window, const char* key) {
    window.toolbarButton(key)->trigger();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestRestore : public QObject {
    Q_OBJECT
private slots:
    // Saved from one radio and programmed into another, both read the same afterwards.
    void roundTripBetweenTwoRadios() {
        Harness from;
        from.radio.setValue("pwr", "27");
        from.radio.setValue("own", "PUMP STATION 4");
        from.radio.setValue("dlink", "9600 (OFF)");
        from.radio.setValue("rtu", "5 (ON)");
        from.radio.setValue("xmap", "00000038");
        from.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(from);
        QVERIFY(window);
        QVERIFY(!from.port.isOpen());
        QCOMPARE(window->currentField("pwr")->text(), QString("PWR 27"));
        const QString path = from.dir.filePath("radio.txt");
        from.prompts.files = {path};
        trigger(*window, "SaveConfig");
        // The save ends with a line in the window that names the file, and no box to close.
        QCOMPARE(window->StatusLabel->text(), QString("Saved the radio's settings to radio.txt."));
        QCOMPARE(window->StatusLabel->toolTip(), QFileInfo(path).absoluteFilePath());
        QVERIFY(from.prompts.messages().isEmpty());
        const QByteArray saved = contents(path);
        QVERIFY(saved.startsWith("Created by Quenlar Ardentix Configuration Software Version "));
        QVERIFY(saved.contains("\r\nFrom Radio, serial number: 01234567\r\n"));
        QVERIFY(saved.contains("\r\nOWN PUMP STATION 4\r\n"));
        QVERIFY(saved.contains("\r\nDLINK 9600\r\nDLINK OFF\r\nRTU 5\r\nRTU ON\r\n"));
        window->CloseButton->click();
        QTRY_VERIFY(!window);
        QVERIFY(from.port.isOpen());
        QVERIFY(from.window->state().refreshRequest);

        // A radio that holds other values everywhere the file will reach.
        Harness to;
        for (const auto& [keyword, other] : {std::pair{"pwr", "21"},
                                             {"own", "SPARE"},
                                             {"owm", "DEPOT"},
                                             {"unit", "20001"},
                                             {"amask", "0000 0000"},
                                             {"dlink", "1200 (ON)"},
                                             {"rtu", "7 (OFF)"},
                                             {"xmap", "FFFFFFFF"},
                                             {"baud", "19200 7E1"},
                                             {"skip", "2,5"},
                                             {"fec", "OFF"},
                                             {"buff", "OFF"}})
            to.radio.setValue(keyword, other);
        to.connectAndRead();
        window = openRestore(to);
        to.prompts.files = {path};
        trigger(*window, "OpenConfig");
        QCOMPARE(window->fileField("pwr")->text(), QString("PWR 27"));
        QCOMPARE(window->fileField("dlink")->text(), QString("DLINK 9600 (OFF)"));
        QVERIFY(window->FileSettingsLabel->text().endsWith("radio.txt:"));
        window->CheckAllButton->click();
        to.prompts.calls.clear();
        trigger(*window, "ProgramRadio");
        QTRY_COMPARE_WITH_TIMEOUT(window->currentField("pwr")->text(), QString("PWR 27"), 10000);
        for (const char* keyword : {"pwr", "own", "owm", "unit", "amask", "dlink", "rtu", "xmap",
                                    "mode", "baud", "skip", "fec", "buff"})
            QCOMPARE(to.radio.value(keyword), from.radio.value(keyword));
        QCOMPARE(window->currentField("pwr")->text(), QString("PWR 27"));
        QVERIFY2(to.prompts.messages().isEmpty(), qPrintable(to.message()));
        QVERIFY(to.radio.commands().contains("amask   FFFF FFFF"));
        QVERIFY(to.radio.commands().indexOf("XMAP 00000038") >= 0);
        // The window says what was done, where the last save said what it wrote.
        QTRY_COMPARE(window->StatusLabel->text(),
                     QString("31 settings programmed and verified."));
    }

    void refusedSettingsAreNamed() {
        RadioOptions locked;
        locked.password = "ab12";
        Harness h(locked);
        h.connectAndRead();
        h.prompts.answers = {Prompts::Yes};
        QPointer<RestoreWindow> window = openRestore(h);
        QVERIFY(h.prompts.messages().first().text.startsWith("Warning! You are not currently "
                                                             "logged in"));
        const QString path = h.dir.filePath("in.txt");
        writeFile(path, "PWR 22\r\nUNIT 20000\r\n");
        h.prompts.files = {path};
        trigger(*window, "OpenConfig");
        window->CheckAllButton->click();
        trigger(*window, "ProgramRadio");
        QTRY_VERIFY_WITH_TIMEOUT(h.message().startsWith("2 of 2 settings were not taken"), 10000);
        QCOMPARE(h.message(),
                 QString("2 of 2 settings were not taken by the radio:\r\rUnit Address: the radio "
                         "answered ACCESS DENIED\rPower Level: the radio answered ACCESS DENIED"
                         "\r\rACCESS DENIED: you are not logged in. Log in from the main window "
                         "(Login), then program these settings again."));
        QCOMPARE(h.radio.value("pwr"), QString("30"));
        QCOMPARE(window->StatusLabel->text(),
                 QString("0 of 2 settings programmed and verified; the radio did not take the "
                         "rest."));
    }

    // A value the radio refuses is named with the radio's own answer, and no login is blamed;
    // a setting it took is not marked.
    void invalidEntryIsNamedAsSuch() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        const QString path = h.dir.filePath("in.txt");
        writeFile(path, "PWR 45\r\nUNIT 20000\r\n");
        h.prompts.files = {path};
        trigger(*window, "OpenConfig");
        window->CheckAllButton->click();
        h.prompts.calls.clear();
        trigger(*window, "ProgramRadio");
        QTRY_VERIFY_WITH_TIMEOUT(!h.prompts.messages().isEmpty(), 10000);
        QCOMPARE(h.message(), QString("1 of 2 settings were not taken by the radio:\r\rPower "
                                      "Level: the radio answered INVALID ENTRY"));
        QCOMPARE(h.radio.value("unit"), QString("20000"));
        QVERIFY(window->currentField("pwr")->styleSheet().contains("color"));
        QVERIFY(window->currentField("unit")->styleSheet().isEmpty());
    }

    // Before programming, the rows that would change the radio are marked, with both values
    // in their tip; once the radio holds the file's value the mark goes.
    void rowsThatWouldChangeAreMarked() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        const QString path = h.dir.filePath("in.txt");
        writeFile(path, "PWR 22\r\nUNIT 14567\r\nBAUD  9600 8n1\r\n");
        h.prompts.files = {path};
        trigger(*window, "OpenConfig");
        QVERIFY(window->fileField("pwr")->font().bold());
        QCOMPARE(window->fileField("pwr")->toolTip(), QString("radio: PWR 30, file: PWR 22"));
        QCOMPARE(window->checkBox("pwr")->toolTip(), window->fileField("pwr")->toolTip());
        // The same setting, and the same setting written with other blanks or letter case.
        for (const char* same : {"unit", "baud"}) {
            QVERIFY(!window->fileField(same)->font().bold());
            QVERIFY(window->fileField(same)->toolTip().isEmpty());
        }
        // A row the file does not hold changes nothing.
        QVERIFY(!window->fileField("own")->font().bold());
        window->checkBox("pwr")->setChecked(true);
        trigger(*window, "ProgramRadio");
        QTRY_COMPARE_WITH_TIMEOUT(window->currentField("pwr")->text(), QString("PWR 22"), 10000);
        QVERIFY(!window->fileField("pwr")->font().bold());
        QVERIFY(window->fileField("pwr")->toolTip().isEmpty());
    }

    void notLoggedInAndNoStaysConnected() {
        RadioOptions locked;
        locked.password = "ab12";
        Harness h(locked);
        h.connectAndRead();
        h.prompts.answers = {Prompts::No};
        h.window->controls().mnuConfigRestore->trigger();
        QCOMPARE(h.prompts.messages().last().caption, QString("Warning!"));
        QVERIFY(!h.window->findChild<RestoreWindow*>());
        QVERIFY(h.port.isOpen());
        QVERIFY(h.window->state().refreshRequest);
        QVERIFY(h.radio.echo());
    }

    void fileModeRuleAndEnabling() {
        RadioOptions options;
        options.mode = u'R';
        Harness remote(options);
        remote.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(remote);
        QCOMPARE(window->currentField("repeat")->text(), QString("MASTER ONLY"));
        const QString path = remote.dir.filePath("x.txt");
        writeFile(path, "MODE X\r\nHOPTIME 7\r\nSLEEP ON\r\nPWR 25\r\n");
        remote.prompts.files = {path};
        trigger(*window, "OpenConfig");
        QVERIFY(!window->checkBox("hoptime")->isEnabled());
        QVERIFY(window->checkBox("sleep")->isEnabled() && window->checkBox("pwr")->isEnabled());
        window->checkBox("sleep")->setChecked(true);
        window->checkBox("mode")->setChecked(true);
        // The file's MODE X is in force: no Sleep Mode and no master rows, ticks kept.
        QVERIFY(!window->checkBox("sleep")->isEnabled() && window->checkBox("sleep")->isChecked());
        QVERIFY(!window->checkBox("hoptime")->isEnabled());
        QVERIFY(!window->currentField("fec")->isEnabled());
    }

    void emptyFileSaysSo() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        const QString path = h.dir.filePath("empty.txt");
        writeFile(path, QByteArray("Created by\r\n\x01\xfe\xff binary", 20));
        h.prompts.files = {h.dir.filePath("missing.txt"), path};
        trigger(*window, "OpenConfig");
        QCOMPARE(h.prompts.messages().first().text, h.dir.filePath("missing.txt") + " not found!");
        QVERIFY(h.message().contains("holds no radio settings"));
        QVERIFY(window->toolbarButton("ProgramRadio")->isEnabled());
        QCOMPARE(window->fileField("pwr")->text(), QString("n/a"));
    }

    // Closing inside the read's wait ends the read there; the window goes once it has.
    void closeDuringAReadEndsItAndTheWindow() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window;
        bool busy = false;
        h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
            if (label != "pwr" || window)
                return;
            window = h.window->findChild<RestoreWindow*>();
            QTimer::singleShot(0, this, [&] {
                busy = !window->idle();
                window->CloseButton->click();
            });
        };
        h.window->openConfigRestore();
        QTRY_VERIFY_WITH_TIMEOUT(!window, 10000);
        QVERIFY(busy);
        QVERIFY(!h.commands().contains("baud"));
        QVERIFY(h.port.isOpen());
        QVERIFY(h.window->state().refreshRequest);
        QVERIFY(h.prompts.messages().isEmpty());
    }

    void consoleFailureReopensTheMainLink() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        h.radio.setSilent(true);
        h.prompts.files = {h.dir.filePath("silent.txt")};
        trigger(*window, "SaveConfig");
        QVERIFY(h.window->state().restoreLinkFailure);
        QCOMPARE(h.message(), Console::communicationError());
        h.radio.setSilent(false);
        h.radio.clearLines();
        h.window->onTick();
        QTRY_VERIFY(!window);
        QVERIFY(!h.window->state().restoreLinkFailure);
        QVERIFY(h.port.isOpen());
        QVERIFY(h.commands().contains("OPEN"));
    }

    // A radio fallen silent since the read gives the save no serial number or firmware: the
    // old file stays as it was, and the console failure is told once.
    // No file is written from answers the radio did not give whole: silent, without its
    // release (the file could not say which firmware it came from), or garbled on the line
    // each time it was asked. A read whose answer comes garbled ends, names it, and leaves
    // nothing to save.
    void saveWithoutWholeAnswersWritesNothing_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("silent radio") << "silent" << Console::communicationError();
        QTest::newRow("serial number but no release")
            << "srev"
            << "did not answer when asked for its serial number and firmware release";
        QTest::newRow("serial number garbled")
            << "ser"
            << "the radio's answer to ser came garbled on the line, 3 times";
        QTest::newRow("owner's name garbled in the read")
            << "own"
            << "The read was ended: the radio's answer to own came garbled";
    }
    void saveWithoutWholeAnswersWritesNothing() {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        Harness h;
        h.connectAndRead();
        const QString path = h.dir.filePath("keep.txt");
        writeFile(path, "the old file\r\n");
        h.prompts.files = {path};
        if (fault == "own") {
            h.radio.setValue("own", "PUMP\x07 4");
            h.window->openConfigRestore();
            h.settle();
            auto* window = h.window->findChild<RestoreWindow*>();
            QVERIFY(window);
            QCOMPARE(h.radio.commands().count("own"), 3);
            QVERIFY2(h.message().startsWith(message), qPrintable(h.message()));
            QVERIFY(!window->toolbarButton("SaveConfig")->isEnabled());
            QCOMPARE(window->currentField("own")->text(), QString("n/a"));
            return;
        }
        QPointer<RestoreWindow> window = openRestore(h);
        QVERIFY(window);
        if (fault == "silent")
            h.radio.setSilent(true);
        if (fault == "ser")
            h.radio.setValue("ser", QString("0123") + QChar(0xe7) + "567");
        connect(h.ownPorts.last(), &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (fault == "srev" && bytes == "srev\r")
                h.radio.setSilent(true);
        });
        trigger(*window, "SaveConfig");
        QVERIFY2(h.message().contains(message), qPrintable(h.message()));
        QCOMPARE(h.prompts.messages().size(), 1);
        QCOMPARE(contents(path), QByteArray("the old file\r\n"));
        QVERIFY(window->StatusLabel->text().isEmpty());
    }

    void unwritableSaveKeepsTheOldFile() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        const QString path = h.dir.filePath("keep.txt");
        writeFile(path, "the old file\r\n");
        h.prompts.files = {path};
        {
            SmallDisk disk(100);
            if (!disk.available())
                QSKIP("no file size limit on this system");
            trigger(*window, "SaveConfig");
        }
        QVERIFY2(h.message().startsWith("The configuration file was not saved"),
                 qPrintable(h.message()));
        QCOMPARE(contents(path), QByteArray("the old file\r\n"));
        QVERIFY(window->StatusLabel->text().isEmpty());
    }

    // A full file ticked, then a file of one setting: only that setting goes, and nothing that
    // holds no value.
    void smallFileAfterAFullOneSendsOnlyItsSetting() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        const QString full = h.dir.filePath("full.txt");
        h.prompts.files = {full, full};
        trigger(*window, "SaveConfig");
        trigger(*window, "OpenConfig");
        window->CheckAllButton->click();
        QVERIFY(window->checkBox("own")->isChecked());
        const QString small = h.dir.filePath("small.txt");
        writeFile(small, "PWR 22\r\n");
        h.prompts.files = {small};
        trigger(*window, "OpenConfig");
        QVERIFY(!window->checkBox("own")->isChecked());
        QCOMPARE(window->fileField("own")->text(), QString("n/a"));
        h.radio.clearLines();
        h.prompts.calls.clear();
        trigger(*window, "ProgramRadio");
        const QStringList sent = h.radio.commands();
        QCOMPARE(sent.first(), QString("PWR 22"));
        QCOMPARE(sent.mid(1),
                 QStringList({"unit",   "own",     "owm",    "mode",   "pwr",     "baud",  "port",
                              "device", "amask",   "asense", "cts",    "ctshold", "rxtot", "rxd",
                              "sleep",  "lpmhold", "addr",   "csaddr", "hoptime", "skip",  "lpm",
                              "repeat", "retry",   "fec",    "buff",   "saf",     "xaddr", "xmap",
                              "xpri",   "xrssi",   "dtype",  "dlink",  "rtu"}));
        QCOMPARE(h.radio.value("pwr"), QString("22"));
        QVERIFY2(h.prompts.messages().isEmpty(), qPrintable(h.message()));
    }

    // While the window reads, its toolbar rests: a Save or Program cannot start inside it.
    void toolbarRestsWhileTheWindowWorks() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        writeFile(h.dir.filePath("x.txt"), "PWR 22\r\n");
        h.prompts.files = {h.dir.filePath("x.txt")};
        trigger(*window, "OpenConfig");
        QVERIFY(window->toolbarButton("ProgramRadio")->isEnabled());
        QStringList enabled;
        bool looked = false;
        h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
            if (label != "pwr" || looked)
                return;
            looked = true;
            for (const char* key : {"OpenConfig", "SaveConfig", "ProgramRadio", "Refresh"})
                if (window->toolbarButton(key)->isEnabled())
                    enabled << key;
            trigger(*window, "SaveConfig");
            trigger(*window, "ProgramRadio");
        };
        h.prompts.calls.clear();
        h.radio.clearLines();
        trigger(*window, "Refresh");
        h.settle();
        QVERIFY(looked);
        QVERIFY(enabled.isEmpty());
        QVERIFY(h.prompts.calls.isEmpty());
        QVERIFY(!h.radio.commands().contains("PWR 22"));
        QVERIFY(window->toolbarButton("SaveConfig")->isEnabled());
        QVERIFY(window->toolbarButton("ProgramRadio")->isEnabled());
    }

    // A console that stops answering stops the run with one message, which blames no login;
    // a port that closes says so. Either way the ticks stay.
    // A run cut short says how far it got, in one message even when the device went with the
    // window; the ticks are kept, and a window closed for it takes the file and its ticks up
    // again once the radio is back.
    void programmingStopsAtTheFirstFailure_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("message");
        const QString closed = "The port was closed: 2 of 6 settings were sent, the rest were "
                               "not. The ticks are kept, so that the rest can be programmed once "
                               "the radio is connected again.";
        QTest::newRow("the radio falls silent")
            << "silent"
            << "The radio stopped answering: 2 of 6 settings were sent, the rest were not. The "
               "window closes and the connection to the radio is opened again; check the radio, "
               "then program the rest.";
        QTest::newRow("the port closes") << "closed" << closed;
        QTest::newRow("the device is pulled out") << "lost" << closed;
    }
    void programmingStopsAtTheFirstFailure() {
        QFETCH(QString, way);
        QFETCH(QString, message);
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        writeFile(h.dir.filePath("six.txt"),
                  "UNIT 20000\r\nPWR 22\r\nBAUD 9600\r\nPORT RS232\r\nCTS 5\r\nFEC ON\r\n");
        h.prompts.files = {h.dir.filePath("six.txt")};
        trigger(*window, "OpenConfig");
        window->CheckAllButton->click();
        h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
            if (label != "pwr")
                return;
            h.window->state().gate.waitHook = nullptr;
            if (way == "closed") {
                h.ownPorts.last()->setOpen(false);
            } else if (way == "silent") {
                h.radio.setSilent(true);
            } else {
                h.port.setMissing(true);
                h.ownPorts.last()->vanish();
            }
        };
        h.prompts.calls.clear();
        trigger(*window, "ProgramRadio");
        h.window->state().gate.waitHook = nullptr;
        QVERIFY(window->checkBox("fec")->isChecked() && window->checkBox("unit")->isChecked());
        QCOMPARE(h.window->state().restoreLinkFailure, way != "closed");
        if (way == "closed") {
            QCOMPARE(h.prompts.messages().size(), 1);
            QCOMPARE(h.message(), message);
            return;
        }
        // The window closes for the failure, the main link is opened again.
        h.window->onTick();
        QTRY_VERIFY(!window);
        QCOMPARE(h.prompts.messages().first().text, message);
        if (way == "lost") {
            QCOMPARE(h.prompts.messages().size(), 2);
            QVERIFY(h.message().startsWith("The selected COM port is not available"));
            h.port.setMissing(false);
        }
        h.radio.setSilent(false);
        if (!h.port.isOpen())
            h.window->link().connectAction();
        h.connectAndRead();
        h.prompts.files.clear();
        window = openRestore(h);
        QVERIFY(window);
        QCOMPARE(window->fileField("fec")->text(), QString("FEC ON"));
        QVERIFY(window->checkBox("fec")->isChecked() && window->checkBox("unit")->isChecked());
        // Taken up once: the window after that starts without a file.
        window->close();
        QTRY_VERIFY(!window);
        h.settle();
        window = openRestore(h);
        QVERIFY(window && !window->fileLoaded());
    }

    // Closed while a file loads, by any of its ways: the load ends, and then the window.
    void closingWhileAFileLoads() {
        for (int way = 0; way < 3; ++way) {
            Harness h;
            h.connectAndRead();
            QPointer<RestoreWindow> window = openRestore(h);
            writeFile(h.dir.filePath("in.txt"), "PWR 22\r\nUNIT 20000\r\nBAUD 9600\r\n");
            h.prompts.files = {h.dir.filePath("in.txt")};
            h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
                if (label == "load" && window)
                    QTimer::singleShot(0, window, [&] {
                        if (way == 0)
                            window->CloseButton->click();
                        else if (way == 1)
                            QTest::keyClick(window, Qt::Key_Escape);
                        else
                            window->close();
                    });
            };
            trigger(*window, "OpenConfig");
            h.window->state().gate.waitHook = nullptr;
            QTRY_VERIFY(!window);
            QVERIFY(h.port.isOpen());
            QVERIFY(h.prompts.messages().isEmpty());
        }
    }

    // The main tick that would close the window after a console failure waits until the
    // "Saving..." display has ended.
    void tickDuringTheSavedDisplayWaitsForIt() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        h.prompts.files = {h.dir.filePath("silent.txt")};
        bool ticked = false;
        h.window->state().gate.waitHook = [&](LinkGate::Wait kind, const QString& label, int) {
            if (label == "saved" && kind == LinkGate::Wait::Yield && !ticked) {
                ticked = true;
                // The radio falls silent once the file is whole: the console failure comes
                // while the display runs.
                h.window->state().restoreLinkFailure = true;
                h.window->onTick();
            }
        };
        trigger(*window, "SaveConfig");
        h.window->state().gate.waitHook = nullptr;
        QVERIFY(ticked && window);
        QVERIFY(h.window->state().restoreLinkFailure);
        h.radio.setSilent(false);
        h.window->onTick();
        QTRY_VERIFY(!window);
        QVERIFY(h.commands().contains("OPEN"));
    }

    // The window's device goes away: the window closes at the next tick, and the reconnect
    // says once what happened.
    void lostDeviceUnderTheWindow() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        h.prompts.calls.clear();
        h.port.setMissing(true);
        h.ownPorts.last()->vanish();
        QVERIFY(h.window->state().restoreLinkFailure);
        h.window->onTick();
        QTRY_VERIFY(!window);
        QVERIFY2(h.prompts.messages().size() == 1, qPrintable(h.prompts.messages().first().text));
        QVERIFY(h.message().contains("the device does not exist"));
        QVERIFY(h.window->controls().imgConnected->isHidden());
    }

    // Quitting while the window reads: the read ends, the window closes, the user is logged
    // out once, and no read follows.
    void quitDuringARestoreRead() {
        Harness h;
        h.connectAndRead();
        h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
            if (label == "pwr")
                QTimer::singleShot(0, h.window.get(), [&] { h.window->close(); });
        };
        h.window->openConfigRestore();
        QTRY_VERIFY(h.window->ended());
        QCOMPARE(h.commands().count("PASS NONE"), 1);
        QVERIFY(!h.commands().contains("baud") && !h.commands().contains("ser"));
        QVERIFY(!h.port.isOpen());
    }

    // Check All goes in the window's row order: the mode the file gives is in force before the
    // rows it governs are visited.
    // Whole tab captions, a literal "&" shown as such; every value field is named.
    void tabCaptionsAndNames() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        QVERIFY(window);
        QCOMPARE(window->TabStrip->tabText(5), QString("Store && Forward Settings..."));
        QCOMPARE(window->TabStrip->tabBar()->elideMode(), Qt::ElideNone);
        QVERIFY(window->TabStrip->usesScrollButtons());
        QCOMPARE(window->currentField("pwr")->accessibleName(),
                 QString("Power Level in the radio"));
        QCOMPARE(window->fileField("pwr")->accessibleName(), QString("Power Level in the file"));
        const QSize available = window->screen()->availableGeometry().size();
        QVERIFY(window->width() <= available.width() && window->height() <= available.height());
        window->closeWindow();
        QTRY_VERIFY(!window);
    }

    // Tab reaches every toolbar button, each has its shortcut, and none hides behind the
    // toolbar's edge, however narrow the screen makes the window.
    void toolbarByTheKeyboard() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        window->TabStrip->setFocus();
        QSet<QString> reached;
        for (int press = 0; press < 120 && reached.size() < 3 && QApplication::focusWidget();
             ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (auto* button = qobject_cast<QToolButton*>(QApplication::focusWidget()))
                if (button->defaultAction())
                    reached << button->defaultAction()->objectName();
        }
        QCOMPARE(reached, (QSet<QString>{"OpenConfig", "SaveConfig", "Refresh"}));
        for (const auto& [key, kind] :
             {std::pair(Qt::Key_O, "open"), std::pair(Qt::Key_S, "save")}) {
            h.prompts.calls.clear();
            QTest::keyClick(window->TabStrip, key, Qt::ControlModifier);
            h.settle();
            QCOMPARE(h.prompts.calls.value(0).kind, QString(kind));
        }
        for (QToolButton* button : window->Toolbar->findChildren<QToolButton*>()) {
            QVERIFY(button->isVisible());
            QVERIFY(
                window->rect().contains(QRect(button->mapTo(window, QPoint()), button->size())));
        }
        window->closeWindow();
        QTRY_VERIFY(!window);
    }

    void checkAllTicksInRowOrder() {
        RadioOptions options;
        options.mode = u'R';
        Harness h(options);
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        writeFile(h.dir.filePath("m.txt"), "MODE M\r\nFEC OFF\r\nBUFF OFF\r\nPWR 25\r\n");
        h.prompts.files = {h.dir.filePath("m.txt")};
        trigger(*window, "OpenConfig");
        QVERIFY(!window->checkBox("fec")->isEnabled());
        window->CheckAllButton->click();
        QVERIFY(window->checkBox("mode")->isChecked());
        QVERIFY(window->checkBox("fec")->isChecked() && window->checkBox("buff")->isChecked());
    }

    // Each row shows the file's value as soon as its line has been read.
    void rowsShowTheFileAsTheyAreRead() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        writeFile(h.dir.filePath("in.txt"), "PWR 25\r\nUNIT 20000\r\n");
        h.prompts.files = {h.dir.filePath("in.txt")};
        QStringList seen;
        h.window->state().gate.waitHook = [&](LinkGate::Wait, const QString& label, int) {
            if (label == "load" && seen.isEmpty())
                seen << window->fileField("pwr")->text() << window->fileField("unit")->text();
        };
        trigger(*window, "OpenConfig");
        h.window->state().gate.waitHook = nullptr;
        QCOMPARE(seen, QStringList({"PWR 25", "n/a"}));
        QVERIFY(window->checkBox("pwr")->isEnabled());
    }

    // A file far larger than any configuration is refused; lines without a setting cost no
    // time; a line longer than any setting is named and left out.
    void largeBlankAndLongFiles() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        writeFile(h.dir.filePath("huge.txt"), QByteArray(1024 * 1024, '\n'));
        h.prompts.files = {h.dir.filePath("huge.txt")};
        trigger(*window, "OpenConfig");
        QCOMPARE(h.message(), QString("huge.txt is 1024 KB long: no configuration file is that "
                                      "large, so nothing was loaded from it."));
        QVERIFY(!window->fileLoaded());

        writeFile(h.dir.filePath("blank.txt"), QByteArray(2000, '\n') + "PWR 12\r\n");
        h.prompts.files = {h.dir.filePath("blank.txt")};
        const qint64 before = h.clock.msecs();
        trigger(*window, "OpenConfig");
        QVERIFY(h.clock.msecs() - before <= 200);
        QCOMPARE(window->fileField("pwr")->text(), QString("PWR 12"));

        writeFile(h.dir.filePath("long.txt"), "PWR 12\r\nOWN " + QByteArray(300, 'x') + "\r\n");
        h.prompts.files = {h.dir.filePath("long.txt")};
        trigger(*window, "OpenConfig");
        QCOMPARE(h.message(), QString("Line 2 of long.txt is longer than 256 characters: no "
                                      "setting is that long, so it was not loaded."));
        QCOMPARE(window->fileField("own")->text(), QString("n/a"));

        // A line that holds a NUL (or line noise saved with a reply) would not be sent as the
        // setting it shows: it is left out and named, and the rest is loaded.
        writeFile(h.dir.filePath("noisy.txt"), QByteArray("UNIT 14567\r\nPWR 2\x00"
                                                          "0\r\nOWN PUMP\xcb 4\r\n",
                                                          34));
        h.prompts.files = {h.dir.filePath("noisy.txt")};
        trigger(*window, "OpenConfig");
        QCOMPARE(h.message(),
                 QString("Lines 2, 3 of noisy.txt hold characters no radio sends (line "
                         "noise saved with a reply, or a damaged file): sent to a "
                         "radio, they would not be the settings they show, so they "
                         "were not loaded."));
        QCOMPARE(window->fileField("unit")->text(), QString("UNIT 14567"));
        QCOMPARE(window->fileField("pwr")->text(), QString("n/a"));
        QCOMPARE(window->fileField("own")->text(), QString("n/a"));
    }

    void saveOffersTheCfgExtension() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        h.prompts.calls.clear();
        trigger(*window, "SaveConfig");
        QCOMPARE(h.prompts.calls.first().kind, QString("save"));
        QCOMPARE(h.prompts.calls.first().text, QString("CFG"));
    }

    // Chosen while the main window reads, the window opens once the read has ended, and the
    // console's echo is on afterwards.
    void openedDuringASettingsReadWaitsForIt() {
        Harness h;
        h.connectRadio();
        bool chosen = false;
        connect(&h.port, &SimulatedPort::written, this, [&](const QByteArray& bytes) {
            if (bytes == "mode\r" && !chosen) {
                chosen = true;
                QTimer::singleShot(0, this,
                                   [&] { h.window->controls().mnuConfigRestore->trigger(); });
            }
        });
        h.window->onTick();
        h.settle();
        QPointer<RestoreWindow> window = h.window->findChild<RestoreWindow*>();
        QVERIFY(window);
        const QStringList sent = h.radio.commands();
        QVERIFY(sent.indexOf("options") < sent.lastIndexOf("deco"));
        QVERIFY(!h.window->state().echoOff);
        QVERIFY(h.radio.echo());
        window->close();
        QTRY_VERIFY(!window);
        h.radio.clearLines();
        h.clock.advance(240000);
        h.window->onTick();
        QVERIFY(!h.radio.lines().isEmpty()); // the tick uses the link again
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"
