#include "link/PortNames.h"
#include "link/PortNaming.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using PortNaming::Scheme;

class TestPortNaming : public QObject {
    Q_OBJECT
private slots:
    void numbersNameDevicesInBothSchemes() {
        QCOMPARE(PortNaming::builtInDevice(Scheme::Windows, 3), "COM3");
        QCOMPARE(PortNaming::builtInNumber(Scheme::Windows, "\\\\.\\COM12"), 12);
        QCOMPARE(PortNaming::builtInNumber(Scheme::Windows, "\\\\.\\COMX"), 0);
        QCOMPARE(PortNaming::builtInDevice(Scheme::Unix, 1), "/dev/ttyS0");
        QCOMPARE(PortNaming::deviceOf(Scheme::Unix, 2, "/dev/ttyUSB0"), "/dev/ttyUSB0");
        QCOMPARE(PortNaming::deviceOf(Scheme::Unix, 2, QString()), "/dev/ttyS1");
        // Windows names its own ports: a mapping left from another system is not used.
        QCOMPARE(PortNaming::deviceOf(Scheme::Windows, 12, "/dev/ttyUSB0"), "COM12");
    }

    void devicesAnswerToTheirBuiltInNumber() {
        QCOMPARE(PortNaming::builtInNumber(Scheme::Windows, "COM7"), 7);
        QCOMPARE(PortNaming::builtInNumber(Scheme::Windows, "com12"), 12);
        QCOMPARE(PortNaming::builtInNumber(Scheme::Windows, "COM0"), 0);
        QCOMPARE(PortNaming::builtInNumber(Scheme::Windows, "/dev/ttyS0"), 0);
        QCOMPARE(PortNaming::builtInNumber(Scheme::Unix, "/dev/ttyS0"), 1);
        QCOMPARE(PortNaming::builtInNumber(Scheme::Unix, "/dev/ttyUSB0"), 0);
        QCOMPARE(PortNaming::builtInNumber(Scheme::Unix, "COM3"), 0);
        QCOMPARE(PortNaming::builtInNumber(Scheme::Unix, "/dev/ttyS99999999999"), 0);
    }

    void commandLinePortsAreNumbersOrDevices() {
        PortNaming::Named named;
        QVERIFY(PortNaming::parse(Scheme::Unix, " 3 ", named));
        QCOMPARE(named.number, 3);
        QVERIFY(named.device.isEmpty());
        QVERIFY(PortNaming::parse(Scheme::Unix, "/dev/ttyUSB1", named));
        QCOMPARE(named.number, 0);
        QCOMPARE(named.device, "/dev/ttyUSB1");
        QVERIFY(PortNaming::parse(Scheme::Windows, "COM4", named));
        QCOMPARE(named.number, 4);
        QVERIFY(named.device.isEmpty());
        QVERIFY(PortNaming::parse(Scheme::Unix, "COM4", named)); // a device name like any
        QCOMPARE(named.device, "COM4");
        QVERIFY(!PortNaming::parse(Scheme::Unix, "0", named));
        QVERIFY(!PortNaming::parse(Scheme::Unix, "-2", named));
        QVERIFY(!PortNaming::parse(Scheme::Unix, "  ", named));
    }

    // A device named on the command line keeps the number it has, or is this run's own under a
    // free number; nothing is written to the settings either way.
    void namedDevicesHoldForTheRun() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("ports.ini"), QSettings::IniFormat);
        if (PortNaming::systemScheme() == Scheme::Windows) {
            // COMn is port n, whatever the settings say.
            settings.setValue("Ports/Com3", "/tmp/radio-a");
            QCOMPARE(PortNames::forRun(settings, {0, "COM4"}).number, 4);
            QCOMPARE(PortNames::forRun(settings, {0, "COM4"}).deviceOf(settings, 3), "COM3");
            QCOMPARE(PortNames::forRun(settings, {6, QString()}).number, 6);
            return;
        }
        const QString radioB = dir.filePath("radio-b");
        QFile device(radioB);
        QVERIFY(device.open(QIODevice::WriteOnly));
        settings.setValue("Ports/Com3", "/tmp/radio-a");
        QCOMPARE(PortNames::forRun(settings, {0, "/tmp/radio-a"}).number, 3);
        QVERIFY(PortNames::forRun(settings, {0, "/tmp/radio-a"}).device.isEmpty());
        for (const QString& named : {radioB, dir.filePath("mistyped")}) {
            const PortNames::RunPort run = PortNames::forRun(settings, {0, named});
            QVERIFY(run.number > 0 && run.number != 3);
            QCOMPARE(run.deviceOf(settings, run.number), named);
            QCOMPARE(run.deviceOf(settings, 3), QString("/tmp/radio-a"));
        }
        settings.beginGroup("Ports");
        QCOMPARE(settings.childKeys(), QStringList{"Com3"});
        settings.endGroup();
        QCOMPARE(PortNames::forRun(settings, {0, "/dev/ttyS4"}).number, 5);
        QCOMPARE(PortNames::forRun(settings, {6, QString()}).number, 6);
    }
};

QTEST_GUILESS_MAIN(TestPortNaming)
#include "tst_portnaming.moc"
