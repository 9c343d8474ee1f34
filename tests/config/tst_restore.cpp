#include "Harness.h"
#include "config/RestoreWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

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
        QVERIFY(h.message().contains("Unit Address, Power Level"));
        QCOMPARE(h.radio.value("pwr"), QString("30"));
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
        QCOMPARE(h.message(), RadioLink::communicationError());
        h.radio.setSilent(false);
        h.radio.clearLines();
        h.window->onTick();
        QTRY_VERIFY(!window);
        QVERIFY(!h.window->state().restoreLinkFailure);
        QVERIFY(h.port.isOpen());
        QVERIFY(h.commands().contains("OPEN"));
    }

    void unwritableSaveKeepsTheOldFile() {
        Harness h;
        h.connectAndRead();
        QPointer<RestoreWindow> window = openRestore(h);
        const QString path = h.dir.filePath("keep.txt");
        writeFile(path, "the old file\r\n");
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit small = before;
        small.rlim_cur = 100;
        h.prompts.files = {path};
        setrlimit(RLIMIT_FSIZE, &small);
        trigger(*window, "SaveConfig");
        setrlimit(RLIMIT_FSIZE, &before);
        QVERIFY2(h.message().startsWith("The configuration file was not saved"),
                 qPrintable(h.message()));
        QCOMPARE(contents(path), QByteArray("the old file\r\n"));
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"
