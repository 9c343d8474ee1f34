#include "Harness.h"
#include "SmallDisk.h"
#include "core/LinkGate.h"
#include "core/QtPrompts.h"
#include "link/TerminalFilter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// Answers each modal dialog as it opens, as a user at the screen would.
class ModalWatch {
public:
    explicit ModalWatch(std::function<void(QWidget*)> answer) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == seen_)
                return;
            seen_ = modal;
            answer(modal);
        });
        timer_.start();
    }

private:
    QTimer timer_;
    QWidget* seen_ = nullptr;
};

// Types a path into the dialog's name box and presses Save or Open. (selectFile leaves the box
// as it is once the box has the focus, and the dialog then only opens the folder.)
void typeAndAccept(QFileDialog* files, const QString& path) {
    auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    name->setText(path);
    static_cast<QDialog*>(files)->accept();
}

class TestTerminal : public QObject {
    Q_OBJECT
private slots:
    void filterHandlesBackspacesAndLineEnds() {
        QCOMPARE(filterChunk(QString("AB\bC")).text, QString("AC"));
        QVERIFY(!filterChunk(QString("AB\bC")).eraseLastShown);
        const FilteredChunk leading = filterChunk(QString("\bX"));
        QVERIFY(leading.eraseLastShown);
        QCOMPARE(leading.text, QString("X"));
        QCOMPARE(filterChunk(QString("a\r\nb")).text, QString("a\r\nb"));
        QCOMPARE(filterChunk(QString("a\nb")).text, QString("ab"));
        QCOMPARE(filterChunk(QString("a\rb\r")).text, QString("a\r\nb\r\n"));
        // Noise: control bytes and high characters pass through untouched.
        QCOMPARE(filterChunk(QString::fromLatin1("\x01\xff\b\b\b")).text, QString());
        // A backspace takes back a line feed before it, as the removal of line feeds follows.
        QCOMPARE(filterChunk(QString("A\n\bB")).text, QString("AB"));
        QCOMPARE(filterChunk(QString("A\b\bX")).text, QString("X"));
        QVERIFY(filterChunk(QString("A\b\bX")).eraseLastShown);
        QString many;
        for (int i = 0; i < 128 * 1024; ++i)
            many += QStringLiteral("ab\b");
        QCOMPARE(filterChunk(many).text, QString(128 * 1024, u'a'));
    }

    // A radio that floods the line leaves the pane and the receive buffer bounded, and the
    // buffer still holds the newest text.
    void floodsStayBounded() {
        Harness h;
        h.connectRadio();
        for (int chunk = 0; chunk < 40; ++chunk)
            h.port.deliver(QByteArray(64 * 1024, char('a' + chunk % 26)) + "\r\n");
        h.port.deliver("end>");
        QVERIFY(h.window->txtTerm->length() <= 2 * TerminalLimit);
        QVERIFY(h.window->state().receiveBuffer.size() <= ReceiveBufferLimit);
        QVERIFY(h.window->state().receiveBuffer.endsWith("\r\nend>"));
        QVERIFY(h.pane().endsWith("\r\nend>"));
    }

    void appendShowsFilteredAndBuffersRaw() {
        Harness h;
        Terminal& terminal = h.window->terminal();
        h.window->state().receiveBuffer = " ";
        terminal.append("abc");
        terminal.append("\bX\r\nY\n");
        QCOMPARE(h.pane(), QString("abX\r\nY"));
        QCOMPARE(h.window->state().receiveBuffer, QString(" abc\bX\r\nY\n"));
    }

    void hiddenDataStillReachesTheLog() {
        Harness h;
        const QString path = h.dir.filePath("comms.log");
        h.prompts.files = {path};
        h.window->terminal().openLog();
        QVERIFY(h.window->terminal().log().isOpen());
        QCOMPARE(h.window->windowTitle(), Terminal::captionPrefix() + "comms.log");
        Terminal& terminal = h.window->terminal();
        terminal.showData = false;
        terminal.append("hidden\r");
        terminal.showData = true;
        terminal.append("shown\n\r");
        terminal.closeLog();
        QCOMPARE(h.window->windowTitle(), MainWindow::caption());
        QVERIFY(!h.pane().contains("hidden"));
        QFile log(path);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), QByteArray("hidden\r\nshown\r\n"));
        const LinkControls& c = h.window->controls();
        QVERIFY(c.mnuOpenLog->isEnabled() && c.openLogButton->isEnabled());
        QVERIFY(!c.mnuCloseLog->isEnabled() && !c.closeLogButton->isEnabled());
    }

    void existingLogIsReplacedOrAppended() {
        Harness h;
        const QString path = h.dir.filePath("old.log");
        auto writeOld = [&] {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old\r\n");
        };
        auto readLog = [&] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        writeOld();
        h.prompts.files = {path};
        h.prompts.answers = {Prompts::No};
        h.window->terminal().openLog();
        QCOMPARE(h.message(),
                 "Replace existing file - " + path + "?\r\rClick 'NO' to append to the file.");
        QCOMPARE(h.prompts.messages().last().defaultAnswer, std::optional(Prompts::No));
        h.window->terminal().append("new");
        h.window->terminal().closeLog();
        QCOMPARE(readLog(), QByteArray("old\r\nnew"));

        h.prompts.files = {path};
        h.prompts.answers = {Prompts::Yes};
        h.window->terminal().openLog();
        h.window->terminal().append("fresh");
        h.window->terminal().closeLog();
        QCOMPARE(readLog(), QByteArray("fresh"));

        // Cancel asks for the file again; a cancelled dialog ends the action.
        h.prompts.files = {path};
        h.prompts.answers = {Prompts::Cancel};
        h.window->terminal().openLog();
        QVERIFY(!h.window->terminal().log().isOpen());
        QCOMPARE(h.prompts.calls.last().kind, QString("open"));
    }

    void failedLogWriteAsksRetryOrCancel() {
        if (!QFile::exists("/dev/full"))
            QSKIP("needs /dev/full");
        Harness h;
        h.prompts.files = {"/dev/full"};
        h.prompts.answers = {Prompts::No, Prompts::Retry, Prompts::Cancel};
        h.window->terminal().openLog();
        QVERIFY(h.window->terminal().log().isOpen());
        h.window->terminal().append("data");
        const auto messages = h.prompts.messages();
        QCOMPARE(messages.size(), 3);
        QCOMPARE(messages[1].buttons, Prompts::Buttons::RetryCancel);
        QCOMPARE(messages[1].icon, Prompts::Icon::Critical);
        QVERIFY(!h.window->terminal().log().isOpen());
        QVERIFY(h.window->controls().mnuOpenLog->isEnabled());
        QCOMPARE(h.pane(), QString("data"));
    }

    // The disk takes ten bytes and refuses the rest: one question with the system's reason,
    // whatever arrives meanwhile waits, and Retry writes each byte once.
    void retryWritesExactlyWhatIsMissing() {
        Harness h;
        const QString path = h.dir.filePath("limited.log");
        h.prompts.files = {path};
        h.window->terminal().openLog();
        QVERIFY(h.window->terminal().log().isOpen());
        SmallDisk disk(10);
        if (!disk.available())
            QSKIP("no file size limit on this system");
        h.prompts.answers = {Prompts::Retry};
        h.prompts.whileShown = [&](const ScriptedPrompts::Call&) {
            h.window->terminal().append("more");
            h.window->terminal().append("again");
            disk.grow();
        };
        h.window->terminal().append("0123456789ABCDEF");
        disk.grow();
        h.prompts.whileShown = nullptr;
        QCOMPARE(h.prompts.messages().size(), 1);
        QCOMPARE(h.message(), QString("File too large"));
        QCOMPARE(h.prompts.messages()[0].buttons, Prompts::Buttons::RetryCancel);
        h.window->terminal().append("!");
        h.window->terminal().closeLog();
        QFile log(path);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), QByteArray("0123456789ABCDEFmoreagain!"));
    }

    void unopenableLogIsReported() {
        Harness h;
        h.prompts.files = {h.dir.filePath("missing/folder/x.log")};
        h.window->terminal().openLog();
        QVERIFY(!h.window->terminal().log().isOpen());
        QCOMPARE(h.prompts.messages().last().icon, Prompts::Icon::Exclamation);
        QVERIFY(h.window->controls().mnuOpenLog->isEnabled());
    }

    // A log's file question, ended by an interruption while its "create the file?" box is up,
    // ends there: the file dialog does not come back to ask again.
    void fileQuestionEndedByAnInterruptionAsksNoMore() {
        LinkGate gate;
        QtPrompts shown;
        Prompts asked = shown.onGate(gate);
        QTemporaryDir dir;
        int fileDialogs = 0;
        const ModalWatch watch([&](QWidget* modal) {
            if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                // The first time a new log is chosen; shown again, it is only closed.
                if (++fileDialogs > 1)
                    return files->reject();
                typeAndAccept(files, dir.filePath("new.log"));
            } else if (qobject_cast<QMessageBox*>(modal)) {
                gate.cancel();
            }
        });
        QCOMPARE(asked.openFile("Open a Communications Log File", "Log Files (*.LOG)|*.log",
                                QString(), true),
                 QString());
        QCOMPARE(fileDialogs, 1);
    }

    // A file dialog opens in the folder of the last file chosen, else in the user's Documents,
    // and a name typed without an extension gets the dialog's own.
    void fileDialogsStartInTheUsersFolderAndAddTheirExtension_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<bool>("folderKept");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("a save, in Documents") << true << "CFG" << false << "site7"
                                              << "site7.CFG";
        QTest::newRow("a save, its own extension") << true << "CFG" << false << "site7.txt"
                                                   << "site7.txt";
        QTest::newRow("a save, in the folder kept") << true << "CFG" << true << "site7"
                                                    << "site7.CFG";
        QTest::newRow("a new log") << false << "log" << false << "radio1"
                                   << "radio1.log";
        QTest::newRow("a new log, in the folder kept") << false << "log" << true << "radio1"
                                                       << "radio1.log";
    }

    void fileDialogsStartInTheUsersFolderAndAddTheirExtension() {
        QFETCH(bool, save);
        QFETCH(QString, suffix);
        QFETCH(bool, folderKept);
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("kept");
        QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
        const QString kept = dir.filePath("kept");
        if (folderKept)
            settings.setValue("Files/LastFolder", kept);
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString start = folderKept ? kept : documents;
        QtPrompts shown;
        shown.keepFoldersIn(settings);
        Prompts& asked = shown;
        QString opened;
        const ModalWatch watch([&](QWidget* modal) {
            if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                opened = files->directory().absolutePath();
                // Typed into another folder than the one it opened in, which is then kept.
                typeAndAccept(files, dir.filePath(typed));
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                box->done(QMessageBox::Yes);
            }
        });
        const QString path =
            save ? asked.saveFile("Radio Configuration Save", "TEXT Files (*.txt)|*.txt", QString(),
                                  suffix)
                 : asked.openFile("Open a Communications Log File", "Log Files (*.LOG)|*.log",
                                  QString(), true, suffix);
        QCOMPARE(QDir::cleanPath(opened),
                 QDir::cleanPath(QFileInfo(start).isDir() ? start : QDir::homePath()));
        QCOMPARE(path, dir.filePath(chosen));
        QCOMPARE(settings.value("Files/LastFolder").toString(), QFileInfo(path).absolutePath());
    }

    // Arrivals shown together read as they do shown one by one: a backspace at an arrival's
    // start takes back the character before it, shown already or still waiting, a line end
    // whole.
    void arrivalsShownTogetherKeepTheirBackspaces() {
        const QStringList arrivals{"ab", "\bc\r", "\b", "\bd", "e\r\nf", "\b", "\b", "X"};
        Harness h;
        TerminalPane* pane = h.window->txtTerm;
        QStringList oneByOne;
        for (const QString& arrival : arrivals) {
            h.window->terminal().append(arrival);
            pane->flush();
            oneByOne << h.pane();
        }
        // A caret moved away comes back to the end with the next arrival.
        pane->moveCursor(QTextCursor::Start);
        h.window->terminal().append("Y");
        pane->flush();
        QCOMPARE(pane->textCursor().position(), pane->document()->characterCount() - 1);
        QVERIFY(h.pane().endsWith("XY"));
        QCOMPARE(oneByOne.at(4), QString("ade\r\nf"));
        QCOMPARE(oneByOne.last(), QString("adeX"));
        // Together from an empty pane, and after each prefix already shown.
        for (int shown = 0; shown < arrivals.size(); ++shown) {
            pane->setText(QString());
            for (int i = 0; i < arrivals.size(); ++i) {
                h.window->terminal().append(arrivals.at(i));
                if (i < shown)
                    pane->flush();
            }
            const int waitingLength = pane->length();
            QCOMPARE(h.pane(), oneByOne.last());
            QCOMPARE(pane->length(), waitingLength);
            QCOMPARE(pane->textCursor().position(), pane->document()->characterCount() - 1);
        }
    }

    // Shown within a frame or two while the main window is in use; behind a screen opened over
    // it, less often.
    void paneShowsLessOftenBehindAnotherWindow() {
        Harness h;
        h.window->show();
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        const int inUse = h.window->txtTerm->showDelayMs();
        QDialog screen(h.window.get());
        screen.open();
        QTRY_COMPARE(QApplication::activeWindow(), &screen);
        QVERIFY(inUse <= 40);
        QVERIFY(h.window->txtTerm->showDelayMs() > inUse);
    }

    // The radio lines up its menus in columns: the pane keeps a fixed font, bold or not.
    void paneShowsTheConsoleInAFixedFont() {
        Harness h;
        TerminalPane* pane = h.window->txtTerm;
        for (const bool bold : {false, true}) {
            pane->setLook(bold, Qt::black, Qt::white);
            QVERIFY(pane->font().fixedPitch());
            // Shown so where the system has a fixed font to show (Wine's test fonts have none
            // that the matcher finds).
            if (QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).fixedPitch())
                QVERIFY(QFontInfo(pane->font()).fixedPitch());
            QCOMPARE(pane->font().bold(), bold);
        }
    }

    void paneIsTrimmedPastTheLimit() {
        Harness h;
        Terminal& terminal = h.window->terminal();
        terminal.append(QString(16000, u'x'));
        terminal.append("x");
        QCOMPARE(h.window->txtTerm->length(), 16001);
        terminal.append("ab");
        QCOMPARE(h.window->txtTerm->length(), 11905 + 2);
        // Line ends count as the two characters they stand for.
        h.window->txtTerm->setText(QString());
        terminal.append("a\rb");
        QCOMPARE(h.window->txtTerm->length(), 4);
    }

    void noiseFromTheRadioIsShownAndBuffered() {
        Harness h;
        h.connectRadio();
        h.window->state().receiveBuffer = " ";
        QRandomGenerator noise(7);
        qsizetype total = 1;
        for (int chunk = 0; chunk < 400; ++chunk) {
            QByteArray bytes(int(noise.bounded(1, 200)), '\0');
            for (char& c : bytes)
                c = char(noise.bounded(256));
            if (chunk % 3 == 0)
                bytes.prepend(QByteArray(5, '\b'));
            total += bytes.size();
            h.port.deliver(bytes);
        }
        QCOMPARE(h.window->state().receiveBuffer.size(), total);
        QVERIFY(h.window->txtTerm->length() <= TerminalLimit + 200 * 2);
        QVERIFY(h.port.isOpen());
    }

    void keysGoToTheRadioOnlyWhileOpen() {
        Harness h;
        QTest::keyClicks(h.window->txtTerm, "hi");
        QCOMPARE(h.pane(), QString("hi"));
        h.connectRadio();
        QTest::keyClicks(h.window->txtTerm, "pwr");
        QTest::keyClick(h.window->txtTerm, Qt::Key_Return);
        QTRY_VERIFY(h.pane().endsWith("PWR 30\r\n>"));
        QCOMPARE(h.commands(), QStringList{"pwr"});
    }

    // As in a terminal program: navigation keys move and scroll, Ctrl+C and Tab go to the
    // radio, Ctrl+Shift+C and Ctrl+Shift+V copy and paste, Ctrl+Tab leaves the pane.
    void terminalKeysActAsInATerminal() {
        Harness h;
        h.window->show();
        h.connectRadio();
        TerminalPane* pane = h.window->txtTerm;
        QByteArray sent;
        connect(&h.port, &SimulatedPort::written, this,
                [&](const QByteArray& bytes) { sent += bytes; });
        pane->setText("first line\r\nsecond line");
        for (Qt::Key key : {Qt::Key_Up, Qt::Key_Left, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End,
                            Qt::Key_PageDown})
            QTest::keyClick(pane, key);
        QVERIFY(sent.isEmpty());
        QTest::keyClick(pane, Qt::Key_Home);
        QTest::keyClick(pane, Qt::Key_Up);
        QCOMPARE(pane->textCursor().blockNumber(), 0);

        QTest::keyClick(pane, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("first line"));
        QVERIFY(sent.isEmpty());

        QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Tab);
        QCOMPARE(sent, QByteArray("\x03\t"));

        sent.clear();
        QGuiApplication::clipboard()->setText("pwr\nunit\r\n");
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(sent, QByteArray("pwr\runit\r"));

        pane->setFocus();
        QVERIFY(pane->hasFocus());
        QTest::keyClick(pane, Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY(!pane->hasFocus());
    }
};

QTEST_MAIN(TestTerminal)
#include "tst_terminal.moc"
