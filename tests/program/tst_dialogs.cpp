#include "Harness.h"
#include "program/DlinkDialog.h"
#include "program/DtypeDialog.h"
#include "program/ParameterEditor.h"
#include "program/RtuDialog.h"
#include "program/XmapDialog.h"
#include "settings/SettingsFields.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// Clicks the field with the given text and returns the dialog it opened.
template <typename Dialog>
QPointer<Dialog> open(Harness& h, const char* field, const QString& text = QString()) {
    if (!text.isNull())
        h.window->fields().setText(field, text);
    h.window->editor().edit(field);
    for (Dialog* dialog : h.window->findChildren<Dialog*>())
        if (dialog->isVisible())
            return dialog;
    return nullptr;
}

QList<int> ticked(const XmapDialog& dialog) {
    QList<int> boxes;
    for (int k = 0; k < dialog.Check1.size(); ++k)
        if (dialog.Check1[k]->isChecked())
            boxes << k;
    return boxes;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void diagnosticLinkPreselectsFromTheField() {
        Harness h;
        h.connectAndRead();
        QPointer<DlinkDialog> dialog = open<DlinkDialog>(h, "DLINK", "DLINK 19200 (ON)");
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Diagnostic Link Options"));
        QVERIFY(dialog->OnOption[0]->isChecked() && dialog->BaudRate[4]->isChecked());
        dialog->OKButton->click();
        QCOMPARE(h.radio.lines(), (QStringList{"dlink on", "dlink 19200", ""}));
        QVERIFY(h.window->state().refreshRequest);

        // "ON" only in upper case; the first rate the text holds.
        dialog = open<DlinkDialog>(h, "DLINK", "on 9600");
        QVERIFY(dialog->OnOption[1]->isChecked() && dialog->BaudRate[3]->isChecked());
        dialog->close();

        h.radio.clearLines();
        dialog = open<DlinkDialog>(h, "DLINK", "DLINK OFF");
        for (QRadioButton* rate : dialog->BaudRate)
            QVERIFY(!rate->isChecked());
        dialog->OKButton->click();
        QCOMPARE(h.radio.lines(), (QStringList{"dlink off", ""}));
    }

    void diagnosticTypeCancelStillAsksForARead() {
        Harness h;
        h.connectAndRead();
        QPointer<DtypeDialog> dialog = open<DtypeDialog>(h, "DTYPE");
        QVERIFY(dialog);
        dialog->CancelButton->click();
        QCOMPARE(h.radio.lines(), QStringList{""});
        QVERIFY(h.window->state().refreshRequest);

        h.radio.clearLines();
        open<DtypeDialog>(h, "DTYPE")->RootButton->click();
        QCOMPARE(h.radio.lines(), (QStringList{"dtype root", ""}));
        QCOMPARE(h.radio.value("dtype"), QString("ROOT"));
    }

    void rtuIdentifierIsCheckedAfterTheSwitch() {
        QCOMPARE(RtuDialog::idOf("RTU 15 (OFF)"), QString("15"));
        QCOMPARE(RtuDialog::idOf("RTU 5 (ON)"), QString("5"));
        Harness h;
        h.connectAndRead();
        QPointer<RtuDialog> dialog = open<RtuDialog>(h, "SoftRTU", "RTU 15 (OFF)");
        QVERIFY(dialog);
        QVERIFY(dialog->OnOption[1]->isChecked());
        QCOMPARE(dialog->RTUID->text(), QString("15"));
        QCOMPARE(dialog->RTUID->maxLength(), 2);
        dialog->close();
        for (const char* accepted : {"80", "0"}) {
            h.radio.clearLines();
            dialog = open<RtuDialog>(h, "SoftRTU", "RTU 15 (ON)");
            dialog->RTUID->setText(accepted);
            dialog->OKButton->click();
            QCOMPARE(h.radio.lines(), (QStringList{"rtu on", QString("rtu ") + accepted, ""}));
        }
        QVERIFY(h.prompts.messages().isEmpty());
        for (const char* refused : {"81", "-1", "ab"}) {
            h.radio.clearLines();
            dialog = open<RtuDialog>(h, "SoftRTU", "RTU 15 (ON)");
            dialog->RTUID->setText(refused);
            dialog->OKButton->click();
            QCOMPARE(h.radio.lines(), (QStringList{"rtu on", ""}));
            QCOMPARE(h.message(),
                     QString("The RTU ID must be a number between 0 and 80, inclusive."));
            QCOMPARE(h.prompts.messages().last().icon, Prompts::Icon::Information);
            QVERIFY(!dialog || !dialog->isVisible());
        }
    }

    void extensionMapTicksBitsFromTheEnd() {
        Harness h;
        h.connectAndRead();
        h.radio.setValue("xmap", "00000005");
        QPointer<XmapDialog> dialog = open<XmapDialog>(h, "XMAP");
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("XMAP Configuration"));
        QCOMPARE(ticked(*dialog), (QList<int>{0, 2}));
        QVERIFY(dialog->StatusLabel->isHidden());
        dialog->ProgramButton->click();
        QCOMPARE(h.radio.commands(), (QStringList{"xmap", "xmap 00000005"}));
        QVERIFY(h.window->state().refreshRequest);

        h.radio.setValue("xmap", "0000ff00");
        dialog = open<XmapDialog>(h, "XMAP");
        QCOMPARE(ticked(*dialog), (QList<int>{8, 9, 10, 11, 12, 13, 14, 15}));
        dialog->CheckAllButton->click();
        dialog->Check1[31]->setChecked(false);
        dialog->CurrentButton->click();
        QCOMPARE(ticked(*dialog).size(), 8);
        dialog->CheckAllButton->click();
        dialog->ProgramButton->click();
        QCOMPARE(h.radio.commands().last(), QString("xmap FFFFFFFF"));

        dialog = open<XmapDialog>(h, "XMAP");
        dialog->UnCheckAllButton->click();
        dialog->ProgramButton->click();
        QCOMPARE(h.radio.commands().last(), QString("xmap 00000000"));

        // Close sends nothing and asks for no read.
        h.radio.clearLines();
        h.window->state().refreshRequest = false;
        open<XmapDialog>(h, "XMAP")->CloseButton->click();
        QCOMPARE(h.radio.lines(), QStringList{"xmap"});
        QVERIFY(!h.window->state().refreshRequest);
    }

    void unreadableMapOpensClearAndSaysSo() {
        QCOMPARE(ParameterEditor::extensionMapOf("xmap\r\nXMAP 0000000F\r\n>"),
                 std::optional<QString>("0000000F"));
        // No echo, no prompt, or a prompt too early: nothing is cut.
        QVERIFY(!ParameterEditor::extensionMapOf("XMAP 0000000F\r\n>"));
        QVERIFY(!ParameterEditor::extensionMapOf("xmap\r\nXMAP 0000000F\r\n"));
        QVERIFY(!ParameterEditor::extensionMapOf(">xmap\r\n"));
        // The answer to the map programmed just before lands in front of the echo.
        QCOMPARE(ParameterEditor::extensionMapOf("PROGRAMMED OK\r\n>xmap\r\nXMAP 0000000F\r\n>"),
                 QString("0000000F"));
        QVERIFY(!ParameterEditor::extensionMapOf(QString()));

        Harness h;
        h.connectAndRead();
        h.radio.setSilent(true);
        QPointer<XmapDialog> dialog = open<XmapDialog>(h, "XMAP");
        QVERIFY(dialog);
        QVERIFY(ticked(*dialog).isEmpty());
        QVERIFY(!dialog->StatusLabel->isHidden());
        QCOMPARE(dialog->StatusLabel->text(), QString("The map could not be read from the radio."));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
