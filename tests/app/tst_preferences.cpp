#include "Harness.h"
#include "app/PreferencesDialog.h"
#include "app/PropertiesDialog.h"
#include "core/AppSettings.h"
#include "link/PlatformDevice.h"
#include "link/PortNames.h"
#include "link/PortNaming.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

template <typename Dialog> QPointer<Dialog> shown(Harness& h) {
    for (Dialog* dialog : h.window->findChildren<Dialog*>())
        if (dialog->isVisible())
            return dialog;
    return nullptr;
}

// A file standing in for a serial device.
QString device(Harness& h, const QString& name) {
    const QString path = h.dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
}

} // namespace

class TestPreferences : public QObject {
    Q_OBJECT
private slots:
    void preferencesTakeEffectAndAreStored() {
        Harness h;
        h.window->findChild<QAction*>("mnuPreferences")->trigger();
        QPointer<PreferencesDialog> dialog = shown<PreferencesDialog>(h);
        QVERIFY(dialog);
        QCOMPARE(dialog->TextColorList->count(), 10);
        QCOMPARE(dialog->TextColorList->currentText(), QString("Navy Blue"));
        QCOMPARE(dialog->BackgroundColorList->currentText(), QString("White"));
        QVERIFY(dialog->BoldCheck->isChecked() && dialog->KeepAliveCheck->isChecked());
        QVERIFY(!dialog->ConnectOnLaunchCheck->isChecked() && dialog->LogoutCheck->isChecked());

        dialog->TextColorList->setCurrentText("Red");
        dialog->BackgroundColorList->setCurrentText("Light Yellow");
        dialog->BoldCheck->setChecked(false);
        dialog->KeepAliveCheck->setChecked(false);
        dialog->ConnectOnLaunchCheck->setChecked(true);
        dialog->OKButton->click();
        TerminalPane* pane = h.window->txtTerm;
        QCOMPARE(pane->textColour(), QColor(255, 0, 0));
        QCOMPARE(pane->backColour(), QColor(0xFA, 0xFA, 0xD2));
        QVERIFY(!pane->bold());
        QVERIFY(!h.window->state().keepAlive && h.window->state().connectOnLaunch);
        h.settings->beginGroup("Preferences");
        QCOMPARE(h.settings->value("TextColor").toString(), QString("255"));
        QCOMPARE(h.settings->value("BackColor").toString(), QString::number(0xD2FAFA));
        QCOMPARE(h.settings->value("BoldText").toString(), QString("False"));
        QCOMPARE(h.settings->value("KeepAlive").toString(), QString("False"));
        QCOMPARE(h.settings->value("ConnectOnLaunch").toString(), QString("True"));
        QCOMPARE(h.settings->value("LogoutOnQuit").toString(), QString("True"));
        h.settings->endGroup();

        // The next start finds them, and the dialog shows them.
        MainWindow again(h.port, h.prompts, h.clock, *h.settings);
        QCOMPARE(again.txtTerm->textColour(), QColor(255, 0, 0));
        QCOMPARE(again.txtTerm->backColour(), QColor(0xFA, 0xFA, 0xD2));
        again.openPreferences();
        QPointer<PreferencesDialog> reopened = again.findChild<PreferencesDialog*>();
        QCOMPARE(reopened->TextColorList->currentText(), QString("Red"));
        QCOMPARE(reopened->BackgroundColorList->currentText(), QString("Light Yellow"));

        // No keep-alive once it is off.
        h.connectRadio();
        h.window->state().refreshRequest = false;
        h.clock.advance(250000);
        h.window->onTick();
        QVERIFY(h.radio.lines().isEmpty());
    }

    void cancelChangesNothing() {
        Harness h;
        h.window->openPreferences();
        QPointer<PreferencesDialog> dialog = shown<PreferencesDialog>(h);
        dialog->TextColorList->setCurrentText("Green");
        dialog->CancelButton->click();
        QCOMPARE(h.window->txtTerm->textColour(), *parseColour("&H990000"));
        QVERIFY(!h.settings->contains("Preferences/TextColor"));
    }

    void portListShowsOnlyPortsThatExist() {
        if (PortNaming::systemScheme() == PortNaming::Scheme::Windows)
            QSKIP("on Windows the ports are the system's COM ports, with no settings of their own");
        Harness h;
        h.settings->setValue("Ports/Com1", device(h, "radio"));
        h.settings->setValue("Ports/Com2", h.dir.filePath("unplugged"));
        h.settings->setValue("Ports/Com3", device(h, "other"));
        h.port.setPortNumber(3);
        PropertiesDialog dialog(h.port, h.prompts, *h.settings, {}, h.window->state().gate,
                                nullptr);
        QCOMPARE(dialog.windowTitle(), QString("Setup"));
        QStringList listed;
        for (int i = 0; i < dialog.cboPort->count(); ++i)
            listed << dialog.cboPort->itemText(i);
        // Whatever the system has, the radio built into the program is there to train on.
        QCOMPARE(listed, (QStringList{"Com1 (" + h.dir.filePath("radio") + ")",
                                      "Com3 (" + h.dir.filePath("other") + ")",
                                      "Simulated radio (built in, for training)"}));
        QCOMPARE(dialog.cboPort->currentData().toInt(), 3);

        // A built-in port the system reports, with no mapping of its own.
        const QList<PortNames::Port> ports =
            PortNames::availablePorts(*h.settings, {"/dev/null", h.dir.filePath("radio")});
        QCOMPARE(ports.size(), 3);
    }

    void portHeldByAnotherProgramIsMarked() {
        QCOMPARE(PortNames::describe({4, "/dev/ttyUSB0", true}),
                 QString("Com4 (/dev/ttyUSB0) - in use by another program"));
#ifdef Q_OS_UNIX
        // Lock files are Unix's way of saying so; elsewhere opening the port says it.
        Harness h;
        const QString path = device(h, "lockedtty");
        QFile lock("/tmp/LCK..lockedtty");
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(qint64(getppid())).rightJustified(10) + "\n");
        lock.close();
        const bool locked = PlatformDevice::lockedByAnother(path);
        lock.remove();
        QVERIFY(locked);
        QVERIFY(!PlatformDevice::lockedByAnother(device(h, "freetty")));
#endif
    }

    // Opening the dialog and cancelling it leaves a connection exactly as it was.
    void cancelledPortDialogLeavesTheLinkAlone() {
        Harness h;
        h.connectRadio();
        h.window->state().refreshRequest = false;
        const int opens = h.port.openCount();
        h.window->onToolbarButton(h.window->toolbarButton("Properties"));
        QPointer<PropertiesDialog> dialog = shown<PropertiesDialog>(h);
        QVERIFY(dialog);
        dialog->cmdCancel->click();
        QVERIFY(h.port.isOpen());
        QCOMPARE(h.port.openCount(), opens);
        QVERIFY(h.radio.lines().isEmpty());
        QVERIFY(h.window->controls().disconnectButton->isEnabled());
        QVERIFY(!h.window->state().refreshRequest);
    }

    void changingThePortOfAConnectionReconnects() {
        Harness h;
        h.settings->setValue("Ports/Com1", device(h, "one"));
        h.settings->setValue("Ports/Com2", device(h, "two"));
        h.connectRadio();
        h.window->openProperties();
        QPointer<PropertiesDialog> dialog = shown<PropertiesDialog>(h);
        dialog->cboPort->setCurrentIndex(dialog->cboPort->findData(2));
        h.prompts.answers = {Prompts::No};
        dialog->cmdOK->click();
        QCOMPARE(h.prompts.messages().last().caption, QString("Warning"));
        QCOMPARE(h.port.portNumber(), 1);
        QVERIFY(h.radio.lines().isEmpty());

        h.window->openProperties();
        dialog = shown<PropertiesDialog>(h);
        dialog->cboPort->setCurrentIndex(dialog->cboPort->findData(2));
        h.prompts.answers = {Prompts::Yes};
        dialog->cmdOK->click();
        QCOMPARE(h.port.portNumber(), 2);
        QCOMPARE(h.settings->value("Properties/CommPort").toString(), QString("2"));
        QCOMPARE(h.commands().first(), QString("CLOS"));
        // The connect that follows wakes the radio on the new port.
        QVERIFY(h.port.isOpen());
        QVERIFY(h.commands().contains("OPEN"));
        QVERIFY(h.window->controls().disconnectButton->isEnabled());
    }

    void samePortWhileOpenAsksForARead() {
        Harness h;
        h.settings->setValue("Ports/Com1", device(h, "one"));
        h.connectRadio();
        h.window->state().refreshRequest = false;
        h.window->openProperties();
        shown<PropertiesDialog>(h)->cmdOK->click();
        QVERIFY(h.window->state().refreshRequest);
        QVERIFY(h.radio.lines().isEmpty());
        QCOMPARE(h.settings->value("Properties/CommPort").toString(), QString("1"));
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
