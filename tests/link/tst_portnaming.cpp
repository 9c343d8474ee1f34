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

    // A device named on the command line keeps the number it has, or is given a free one.
    void namedDevicesAreNumberedThroughTheSettings() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("ports.ini"), QSettings::IniFormat);
        const QString radioB = dir.filePath("radio-b");
        QFile device(radioB);
        QVERIFY(device.open(QIODevice::WriteOnly));
        settings.setValue("Ports/Com3", "/tmp/radio-a");
        QCOMPARE(PortNames::numberOf(settings, {0, "/tmp/radio-a"}), 3);
        const int fresh = PortNames::numberOf(settings, {0, radioB});
        QVERIFY(fresh > 0 && fresh != 3);
        QCOMPARE(settings.value(QStringLiteral("Ports/Com%1").arg(fresh)).toString(), radioB);
        QCOMPARE(PortNames::numberOf(settings, {0, radioB}), fresh);
        // A path that names nothing gets no number, and leaves no trace in the settings.
        QCOMPARE(PortNames::numberOf(settings, {0, dir.filePath("mistyped")}), 0);
        settings.beginGroup("Ports");
        QCOMPARE(settings.childKeys().size(), 2);
        settings.endGroup();
        QCOMPARE(PortNames::numberOf(settings, {0, "/dev/ttyS4"}), 5);
        QCOMPARE(PortNames::numberOf(settings, {6, QString()}), 6);
    }
};

QTEST_GUILESS_MAIN(TestPortNaming)
#include "tst_portnaming.moc"
