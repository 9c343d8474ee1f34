#include "Harness.h"
#include "core/ClickableLabel.h"
#include "program/HelpTexts.h"
#include "settings/Catalogue.h"

#include <QTest>

class TestHelp : public QObject {
    Q_OBJECT

    static HelpText help(const char* label, int version = 320) {
        SharedState state;
        state.versionKnown = true;
        state.versionNumber = version;
        return *helpFor(label, state);
    }

private slots:
    void everyLabelHasItsHelp() {
        SharedState state;
        for (const Catalogue::Parameter& p : Catalogue::all()) {
            const auto found = helpFor(p.labelName, state);
            QVERIFY2(found && !found->text.isEmpty(), p.labelName);
        }
        QVERIFY(!helpFor("NoSuchLabel", state));
    }

    void titlesAsGiven() {
        QCOMPARE(help("SnumLabel").title, QString("Serial Number Information"));
        QCOMPARE(help("SAFLabel").title, QString("Store & Forward"));
        QCOMPARE(help("XMAPLabel").title, QString());
        QCOMPARE(help("XPRILabel").title, QString());
        QCOMPARE(help("CSADDRLabel").title, QString("Quenlar Ardentix Configuration"));
        QCOMPARE(help("RXDLabel").title, QString("Quenlar Ardentix Configuration"));
    }

    void textsKeepTheirBreaksAndCharacters() {
        QVERIFY(help("SrevLabel").text.endsWith("as shown below:\r\r08-2727A01\r1.2.0  ddMmmyyyy"));
        QCOMPARE(help("RXDLabel").text,
                 QString("The Receive Data Holdeover Timer specifies the the additional delay "
                         "(0-255 ms) a radio should wait before sending the first byte of data on "
                         "the RXD line\rfollowing the instant that the receiver would normally be "
                         "ready to output data.\r\rNOTE: Data Buffering should be set to OFF if "
                         "seamless is being implemented via the RXD command."));
        QVERIFY(help("TempLabel")
                    .text.contains(QString::fromUtf8(
                        "between \u201330 C\u00b0 and +60 C\u00b0).\rThis internal")));
        QVERIFY(help("AlarmLabel").text.endsWith("also given.\r\r"));
        QVERIFY(help("AlarmLabel").text.contains(QString::fromUtf8("\u201cMajor\u201d")));
        QVERIFY(help("DataBaudLabel")
                    .text.contains("meaning:\r\r    a = Data bits (7 or 8)\r    b = Parity"));
        QCOMPARE(help("CSADDRLabel").text,
                 QString("This specifies the Network Address of a radio designated as a Clock "
                         "Sync Master. <1-65000>"));
        QVERIFY(help("HopLabel").text.contains("(7 or 29 msec)"));
        QVERIFY(
            help("DTypeLabel")
                .text.contains(QRegularExpression(
                    R"(DIAGNOSTICS \([^)]{10}\)\.\r\rThe default setting for DTYPE is NODE\.$)")));
        QVERIFY(help("SoftRTULabel")
                    .text.contains(QRegularExpression(R"(Simulator \([^)]{10}\)\.  The RTU)")));
    }

    void extensionAddressFollowsTheVersion() {
        QCOMPARE(help("XADDRLabel", 199).text,
                 QString("Select / Display extension address. <0-63>"));
        QCOMPARE(help("XADDRLabel", 200).text,
                 QString("Select / Display extension address. <0-31>"));
        QCOMPARE(helpFor("XADDRLabel", SharedState())->text,
                 QString("Select / Display extension address. <0-31>"));
    }

    void clickingALabelShowsItsHelp() {
        Harness h;
        QTest::mouseClick(h.window->findChild<ClickableLabel*>("PowerLabel"), Qt::LeftButton);
        const auto shown = h.prompts.messages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].caption, QString("Power Level Information"));
        QCOMPARE(shown[0].buttons, Prompts::Buttons::Ok);
        QCOMPARE(shown[0].icon, Prompts::Icon::None);
        QVERIFY(shown[0].text.startsWith("This command displays or sets the desired RF"));
        QVERIFY(h.radio.lines().isEmpty());
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
