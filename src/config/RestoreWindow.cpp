#include "RestoreWindow.h"

#include "core/DialogParts.h"
#include "core/ProgressWindow.h"
#include "core/Prompts.h"
#include "core/ScreenFit.h"
#include "core/SharedState.h"
#include "link/SerialPort.h"

#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace {

const char* const TabCaptions[] = {"Radio Information",
                                   "Radio Settings 1...",
                                   "Radio Settings 2...",
                                   "Network Settings 1...",
                                   "Network Settings 2...",
                                   "Store & Forward Settings...",
                                   "Network Wide Diagnostic Settings..."};
// The files saved here end in .CFG: they come first, beside the text files of the same form.
const char* const FileFilter = "Configuration Files (*.CFG;*.txt)|*.CFG;*.txt|"
                               "TEXT Files (*.txt)|*.txt|All Files (*.*)|*.*";
const QStringList MasterRows = {"buff", "fec", "hoptime", "repeat", "retry", "skip", "saf"};

} // namespace

RestoreWindow::RestoreWindow(std::unique_ptr<SerialPort> port, int portNumber,
                             const QString& settings, SharedState& state, Clock& clock,
                             Prompts& prompts, QWidget* parent)
    : GatedDialog(state.gate, parent), port_(std::move(port)), portNumber_(portNumber),
      settings_(settings), state_(state), prompts_(prompts.askedBy(this)),
      session_(std::make_unique<ConfigSession>(*port_, state, clock, prompts_)) {
    setObjectName("frmRestore");
    setWindowTitle("Configuration Store/Restore");
    setAttribute(Qt::WA_DeleteOnClose);
    buildToolbar();
    buildRows();
    layOutForVersion();
    fitToScreen(*this, QSize(1000, 560));
    placeToolbarButtons();
}

RestoreWindow::~RestoreWindow() = default;

QLabel* RestoreWindow::infoLabel(const QString& text) {
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    return label;
}

// The toolbar's buttons are in the Tab order and have shortcuts and mnemonics; on a narrow
// screen (a large scale) they take two rows rather than hiding behind an extension arrow.
void RestoreWindow::buildToolbar() {
    Toolbar = new QWidget(this);
    Toolbar->setObjectName("Toolbar");
    auto* grid = new QGridLayout(Toolbar);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    const struct {
        const char* key;
        const char* caption;
        QKeySequence shortcut;
        void (RestoreWindow::*run)();
    } buttons[] = {
        {"OpenConfig", "&Open A Configuration File", QKeySequence::Open,
         &RestoreWindow::openConfig},
        {"SaveConfig", "&Save Current Settings To A File", QKeySequence::Save,
         &RestoreWindow::saveConfig},
        {"ProgramRadio", "&Program Selected Settings To The Radio",
         QKeySequence(Qt::CTRL | Qt::Key_P), &RestoreWindow::programRadio},
        {"Refresh", "&Refresh Radio Settings", QKeySequence::Refresh, &RestoreWindow::requestRead}};
    for (const auto& button : buttons) {
        auto* action = new QAction(button.caption, Toolbar);
        action->setObjectName(button.key);
        action->setShortcut(button.shortcut);
        action->setToolTip(QString(button.caption).remove(u'&') + " (" +
                           button.shortcut.toString(QKeySequence::NativeText) + ")");
        connect(action, &QAction::triggered, this, button.run);
        auto* shown = new QToolButton(Toolbar);
        shown->setDefaultAction(action);
        shown->setAutoRaise(true);
        shown->setFocusPolicy(Qt::StrongFocus);
        toolbarButtons_ << shown;
    }
    toolbarButton("ProgramRadio")->setEnabled(false);
    toolbarButton("SaveConfig")->setEnabled(false);
}

void RestoreWindow::placeToolbarButtons() {
    auto* grid = static_cast<QGridLayout*>(Toolbar->layout());
    int row = 0;
    for (const QToolButton* button : std::as_const(toolbarButtons_))
        row += button->sizeHint().width() + grid->spacing();
    const int columns = row <= width() - 2 * layout()->contentsMargins().left() ? 4 : 2;
    for (int i = 0; i < toolbarButtons_.size(); ++i)
        grid->addWidget(toolbarButtons_.at(i), i / columns, i % columns);
    grid->setColumnStretch(columns, 1);
}

QAction* RestoreWindow::toolbarButton(const QString& key) const {
    return Toolbar->findChild<QAction*>(key);
}

void RestoreWindow::buildRows() {
    TabStrip = new QTabWidget(this);
    TabStrip->setObjectName("TabStrip");
    // Whole captions, scrolled when they do not fit, rather than cut to "...".
    TabStrip->setElideMode(Qt::ElideNone);
    TabStrip->setUsesScrollButtons(true);
    QList<QGridLayout*> grids;
    for (int tab = 0; tab < 7; ++tab) {
        auto* frame = new QWidget;
        frame->setObjectName(QString("RadSet_%1").arg(tab));
        auto* grid = new QGridLayout(frame);
        grid->addWidget(new QLabel("Select Settings to reprogram in the radio:"), 0, 0);
        grid->addWidget(new QLabel("Current Settings:"), 0, 1);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(2, 1);
        // A literal "&" is doubled, or it would be taken for a mnemonic.
        TabStrip->addTab(frame, QString(TabCaptions[tab]).replace(u'&', QStringLiteral("&&")));
        RadSet.append(frame);
        grids.append(grid);
    }
    FileSettingsLabel = new QLabel("Open a file for\nrestoring settings...", this);
    FileSettingsLabel->setObjectName("FileSettingsLabel");
    for (const ConfigFormat::Row& row : ConfigFormat::rows()) {
        QGridLayout* grid = grids.at(row.tab - 1);
        const int line = grid->rowCount();
        RowControls controls{new QLineEdit("n/a"), new QLineEdit("n/a"),
                             new QCheckBox(QString("Restore ") + row.name)};
        controls.current->setObjectName(row.current);
        controls.file->setObjectName(row.file);
        controls.check->setObjectName(row.check);
        controls.current->setAccessibleName(QString("%1 in the radio").arg(row.name));
        controls.file->setAccessibleName(QString("%1 in the file").arg(row.name));
        controls.current->setReadOnly(true);
        controls.file->setReadOnly(true);
        controls.check->setEnabled(false);
        grid->addWidget(controls.check, line, 0);
        grid->addWidget(controls.current, line, 1);
        grid->addWidget(controls.file, line, 2);
        rows_.insert(row.query, controls);
    }
    for (QGridLayout* grid : grids)
        grid->setRowStretch(grid->rowCount(), 1);
    DiagWarnLabel =
        new QLabel("These features are only accessible with radio firmware versions 2.0.0 and "
                   "above.");
    DiagWarnLabel->setObjectName("DiagWarnLabel");
    grids.last()->addWidget(DiagWarnLabel, grids.last()->rowCount(), 0, 1, 3);
    connect(checkBox("mode"), &QCheckBox::toggled, this, &RestoreWindow::applyModeRule);

    ProgressLabel = new QLabel(this);
    ProgressLabel->setObjectName("ProgressLabel");
    ProgressLabel->hide();
    auto* progress = new QHBoxLayout;
    progress->addWidget(ProgressLabel);
    for (int i = 0; i < 10; ++i) {
        auto* block = new QFrame(this);
        block->setObjectName(QString("ProgressBlock_%1").arg(i));
        block->setFrameShape(QFrame::Box);
        block->setLineWidth(2);
        block->setFixedSize(14, 14);
        block->setAutoFillBackground(true);
        block->hide();
        progress->addWidget(block);
        ProgressBlock.append(block);
    }
    progress->addStretch();
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName("StatusLabel");
    progress->addWidget(StatusLabel);
    CheckAllButton = DialogParts::button(this, "CheckAllButton", "Check &All");
    UncheckAllButton = DialogParts::button(this, "UncheckAllButton", "&Uncheck All");
    CloseButton = DialogParts::button(this, "CloseButton", "&Close Window");
    connect(CheckAllButton, &QPushButton::clicked, this, [this] { checkAll(true); });
    connect(UncheckAllButton, &QPushButton::clicked, this, [this] { checkAll(false); });
    connect(CloseButton, &QPushButton::clicked, this, &RestoreWindow::closeWindow);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Toolbar);
    auto* heading = new QHBoxLayout;
    heading->addStretch();
    heading->addWidget(FileSettingsLabel);
    layout->addLayout(heading);
    layout->addWidget(TabStrip, 1);
    layout->addLayout(progress);
    layout->addLayout(DialogParts::buttonRow({CheckAllButton, UncheckAllButton, CloseButton}));
}

QLineEdit* RestoreWindow::currentField(const QString& query) const {
    return rows_.value(query).current;
}

QLineEdit* RestoreWindow::fileField(const QString& query) const {
    return rows_.value(query).file;
}

QCheckBox* RestoreWindow::checkBox(const QString& query) const {
    return rows_.value(query).check;
}

// Rows the connected radio's firmware lacks are hidden.
void RestoreWindow::layOutForVersion() {
    const int version = session_->versionNumber();
    for (const ConfigFormat::Row& row : ConfigFormat::rows()) {
        const bool present = ConfigFormat::hasRow(row, version);
        const RowControls& controls = rows_[row.query];
        for (QWidget* widget :
             {static_cast<QWidget*>(controls.current), static_cast<QWidget*>(controls.file),
              static_cast<QWidget*>(controls.check)})
            widget->setVisible(present);
        controls.current->setEnabled(present);
        controls.file->setEnabled(present);
    }
    DiagWarnLabel->setVisible(version < 200);
}

void RestoreWindow::start() {
    runAction(QStringLiteral("start"), [this] {
        state_.restoreLinkFailure = false;
        state_.receiveBuffer = QStringLiteral(" ");
        if (!session_->open(portNumber_, settings_))
            return;
        session_->wakeUp();
        runRead();
        resumeUnfinished();
    });
}

void RestoreWindow::resumeUnfinished() {
    const Unfinished resumed = std::exchange(resume_, {});
    if (resumed.path.isEmpty() || !readDone_ || session_->console().interrupted())
        return;
    loadFile(resumed.path);
    if (!fileLoaded_ || session_->console().interrupted())
        return;
    for (const QString& query : resumed.ticked)
        if (fileField(query)->text() != "n/a")
            checkBox(query)->setChecked(true);
    StatusLabel->setText(tr("The rows left ticked by the programming that was cut short are "
                            "ticked again: program them now."));
}

void RestoreWindow::requestRead() {
    runAction(QStringLiteral("read"), [this] { runRead(); });
}

void RestoreWindow::runRead() {
    if (!session_->port().isOpen() || session_->console().interrupted())
        return;
    showProgress(0);
    const bool whole = session_->read([this](int percent) { showProgress(percent); });
    for (const ConfigFormat::Row& row : ConfigFormat::rows())
        rows_[row.query].current->setText(session_->value(row.query));
    markChanges();
    if (!whole && !session_->garbledReply().isEmpty())
        prompts_.message(tr("The read was ended: %1. The rows show what the radio said before; "
                            "nothing garbled can be saved or programmed. Click Refresh Radio "
                            "Settings to read again.")
                             .arg(session_->garbledReason()),
                         windowTitle(), Prompts::Icon::Exclamation);
    if (!whole)
        return;
    QTimer::singleShot(900, ProgressLabel, &QLabel::hide);
    readDone_ = true;
    reportNotTaken();
}

// While an action of the window runs, its toolbar rests: nothing else may start inside it.
void RestoreWindow::actionRunning(bool running) {
    toolbarButton("OpenConfig")->setEnabled(!running);
    toolbarButton("Refresh")->setEnabled(!running);
    toolbarButton("SaveConfig")->setEnabled(!running && readDone_);
    toolbarButton("ProgramRadio")->setEnabled(!running && fileLoaded_);
}

// A block a tenth, in the shadow colour while the read runs and light blue once it is done.
void RestoreWindow::showProgress(int percent) {
    ProgressLabel->setVisible(true);
    ProgressLabel->setText(percent == 0     ? QString()
                           : percent == 100 ? QStringLiteral("100%")
                                            : QStringLiteral(" %1%").arg(percent));
    const QColor fill = percent == 100 ? QColor(127, 163, 199) : palette().color(QPalette::Shadow);
    for (int i = 0; i < ProgressBlock.size(); ++i) {
        QPalette colours = ProgressBlock[i]->palette();
        colours.setColor(QPalette::Window, fill);
        ProgressBlock[i]->setPalette(colours);
        ProgressBlock[i]->setVisible(i < percent / 10);
    }
}

// After a restore, the rows the radio did not take are marked and named in one message, each
// with what the radio answered to it.
void RestoreWindow::reportNotTaken() {
    if (programmed_.rows.isEmpty())
        return;
    const QStringList differing = session_->notTaken(programmed_.rows, fileValues());
    QStringList refused;
    bool denied = false;
    for (const QString& query : ConfigFormat::programmingOrder()) {
        if (!programmed_.rows.contains(query))
            continue;
        const std::optional<QString> refusal = refusalOf(query, differing);
        rows_[query].current->setStyleSheet(refusal ? "color: #b00000;" : QString());
        if (!refusal)
            continue;
        refused << QString(ConfigFormat::row(query)->name) + ": " + *refusal;
        denied = denied || programmed_.answers.value(query).contains("DENIED");
    }
    sayProgrammed(int(programmed_.rows.size() - refused.size()), int(programmed_.rows.size()));
    if (!refused.isEmpty())
        prompts_.message(
            QString("%1 of %2 settings were not taken by the radio:\r\r%3%4")
                .arg(refused.size())
                .arg(programmed_.rows.size())
                .arg(refused.join("\r"),
                     denied ? "\r\rACCESS DENIED: you are not logged in. Log in from the main "
                              "window (Login), then program these settings again."
                            : ""),
            "Configuration Store/Restore", Prompts::Icon::Exclamation);
    programmed_ = {};
}

// What the last run did, where the last save said what it wrote.
void RestoreWindow::sayProgrammed(int verified, int programmed) {
    StatusLabel->setToolTip(filePath_);
    if (verified == programmed)
        StatusLabel->setText(programmed == 1
                                 ? tr("1 setting programmed and verified.")
                                 : tr("%1 settings programmed and verified.").arg(programmed));
    else
        StatusLabel->setText(tr("%1 of %2 settings programmed and verified; the radio did not "
                                "take the rest.")
                                 .arg(verified)
                                 .arg(programmed));
}

std::optional<QString> RestoreWindow::refusalOf(const QString& query,
                                                const QStringList& differing) const {
    const auto answer = programmed_.answers.constFind(query);
    if (answer == programmed_.answers.cend())
        return QStringLiteral("the radio did not answer");
    const QString confirmation = ConfigSession::Programmed::confirmation();
    if (!answer->isEmpty() && *answer != confirmation)
        return "the radio answered " + *answer;
    if (!differing.contains(ConfigFormat::row(query)->name))
        return std::nullopt;
    const QString reported = "the radio now reports " + session_->value(query);
    return answer->isEmpty() ? reported : reported + ", although it answered " + confirmation;
}

// The rows whose file value is not the radio's are those programming would change: the file
// value shows in bold, and its tip gives both.
void RestoreWindow::markChanges() {
    const QMap<QString, QString> values = fileValues();
    QStringList known;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        if (ConfigFormat::holdsValue(it.value()) && session_->value(it.key()) != "n/a")
            known << it.key();
    const QStringList differing = session_->notTaken(known, values);
    for (const ConfigFormat::Row& row : ConfigFormat::rows()) {
        const RowControls& controls = rows_[row.query];
        const bool changes = differing.contains(row.name);
        QFont font = controls.file->font();
        font.setBold(changes);
        controls.file->setFont(font);
        const QString tip = changes ? QString("radio: %1, file: %2")
                                          .arg(session_->value(row.query), controls.file->text())
                                    : QString();
        controls.file->setToolTip(tip);
        controls.check->setToolTip(tip);
    }
}

QMap<QString, QString> RestoreWindow::fileValues() const {
    QMap<QString, QString> values;
    for (auto it = rows_.cbegin(); it != rows_.cend(); ++it)
        values.insert(it.key(), it->file->text());
    return values;
}

void RestoreWindow::setRowUsable(const QString& query, bool usable) {
    const RowControls& controls = rows_[query];
    controls.current->setEnabled(usable);
    controls.file->setEnabled(usable);
    controls.check->setEnabled(usable);
}

// The mode in force is the file's when its row is ticked, else the radio's.
void RestoreWindow::applyModeRule() {
    const QString mode =
        checkBox("mode")->isChecked() ? fileField("mode")->text() : currentField("mode")->text();
    const auto is = [&](const char* form) { return mode.compare(form, Qt::CaseInsensitive) == 0; };
    if (!is("MODE M") && !is("MODE R") && !is("MODE X"))
        return;
    for (const QString& query : MasterRows)
        setRowUsable(query, is("MODE M"));
    setRowUsable("sleep", is("MODE R"));
}

// In the window's row order, so that the mode rule has been applied before the rows it
// governs.
void RestoreWindow::checkAll(bool ticked) {
    for (const ConfigFormat::Row& row : ConfigFormat::rows()) {
        const RowControls& controls = rows_[row.query];
        if (controls.check->isEnabled())
            controls.check->setChecked(ticked);
    }
}

void RestoreWindow::openConfig() {
    runAction(QStringLiteral("open"), [this] {
        QString path;
        for (;;) {
            path = prompts_.openFile("Configuration File Selection", FileFilter, QString(), false);
            if (path.isEmpty())
                return;
            if (QFileInfo::exists(path))
                break;
            prompts_.message(path + " not found!", windowTitle(), Prompts::Icon::Exclamation);
        }
        loadFile(path);
    });
}

// Every row shows its file value as soon as the line is read; the first line of each row takes
// a moment, so that no file, however long, holds the window for more than a few seconds.
void RestoreWindow::loadFile(const QString& path) {
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::ReadOnly)) {
        prompts_.message(file.errorString(), windowTitle(), Prompts::Icon::Exclamation);
        return;
    }
    if (file.size() > ConfigFormat::LargestFile) {
        prompts_.message(QString("%1 is %2 KB long: no configuration file is that large, so "
                                 "nothing was loaded from it.")
                             .arg(name)
                             .arg((file.size() + 1023) / 1024),
                         windowTitle(), Prompts::Icon::Exclamation);
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    fileLoaded_ = true;
    filePath_ = path;
    for (const RowControls& controls : std::as_const(rows_)) {
        controls.file->setText("n/a");
        controls.check->setEnabled(false);
    }
    FileSettingsLabel->setText("Settings in file\n" + name + ":");
    ConfigFormat::Reader reader(session_->versionNumber(), currentField("mode")->text());
    Console& console = session_->console();
    QSet<QString> paced;
    const ConfigFormat::Loaded loaded =
        reader.read(ConfigFormat::decode(bytes), [&](const QString& query, const auto& sofar) {
            showFileRow(query, sofar);
            if (paced.contains(query) || console.interrupted())
                return;
            paced.insert(query);
            console.msWait(100, QStringLiteral("load"));
            console.yieldOnce(QStringLiteral("load"));
        });
    if (console.interrupted())
        return;
    // A tick stays only where the new file gives the row a value.
    for (auto it = rows_.cbegin(); it != rows_.cend(); ++it)
        if (!loaded.values.contains(it.key()))
            it->check->setChecked(false);
    if (checkBox("mode")->isChecked())
        applyModeRule();
    markChanges();
    if (loaded.versionNotice)
        prompts_.message("Notice: The configuration file you opened was created by an earlier "
                         "sofware version then the one in the radio.\rSome of the commands have "
                         "changed and either will not be available,\ror will be modified to be "
                         "compatible with the current software.",
                         "Warning:", Prompts::Icon::Information);
    sayWhatTheFileLacked(name, loaded);
}

void RestoreWindow::showFileRow(const QString& query, const ConfigFormat::Loaded& sofar) {
    rows_[query].file->setText(sofar.values.value(query));
    setRowUsable(query, sofar.enabled.contains(query));
}

void RestoreWindow::sayWhatTheFileLacked(const QString& name, const ConfigFormat::Loaded& loaded) {
    const auto numbers = [](const QList<int>& lines) {
        QStringList shown;
        for (const int line : lines)
            shown << QString::number(line);
        return shown.join(", ");
    };
    const bool oneLong = loaded.tooLong.size() == 1;
    if (!loaded.tooLong.isEmpty())
        prompts_.message(QString("%1 %2 of %3 %4 longer than %5 characters: no setting is that "
                                 "long, so %6 not loaded.")
                             .arg(oneLong ? "Line" : "Lines", numbers(loaded.tooLong), name,
                                  oneLong ? "is" : "are")
                             .arg(ConfigFormat::LongestLine)
                             .arg(oneLong ? "it was" : "they were"),
                         windowTitle(), Prompts::Icon::Exclamation);
    if (!loaded.garbled.isEmpty())
        prompts_.message((loaded.garbled.size() == 1
                              ? tr("Line %1 of %2 holds characters no radio sends (line noise "
                                   "saved with a reply, or a damaged file): sent to a radio, it "
                                   "would not be the setting it shows, so it was not loaded.")
                              : tr("Lines %1 of %2 hold characters no radio sends (line noise "
                                   "saved with a reply, or a damaged file): sent to a radio, they "
                                   "would not be the settings they show, so they were not "
                                   "loaded."))
                             .arg(numbers(loaded.garbled), name),
                         windowTitle(), Prompts::Icon::Exclamation);
    if (loaded.parameterLines == 0)
        prompts_.message(name + " holds no radio settings: nothing was loaded from it.",
                         windowTitle(), Prompts::Icon::Exclamation);
}

void RestoreWindow::saveConfig() {
    runAction(QStringLiteral("save"), [this] { save(); });
}

void RestoreWindow::save() {
    state_.refreshRequest = true;
    const QString path =
        prompts_.saveFile("Radio Configuration Save", FileFilter, QString(), QStringLiteral("CFG"));
    if (path.isEmpty())
        return;
    setEnabled(false);
    const QString failure =
        session_->save(path, QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    setEnabled(true);
    if (session_->console().interrupted())
        return;
    // A console failure was told already, and the window closes for it.
    if (!failure.isEmpty() && state_.restoreLinkFailure)
        return;
    if (!failure.isEmpty()) {
        prompts_.message("The configuration file was not saved (" + failure +
                             "). Any earlier file of that name is unchanged.",
                         "Error", Prompts::Icon::Exclamation);
        return;
    }
    StatusLabel->setText("Saved the radio's settings to " + QFileInfo(path).fileName() + ".");
    StatusLabel->setToolTip(QFileInfo(path).absoluteFilePath());
    showSavedDisplay();
}

// The shared progress window, shown once the file is complete.
void RestoreWindow::showSavedDisplay() {
    ProgressWindow progress(state_, parentWidget());
    progress.setWindowTitle("Saving...");
    progress.ProgressBar1->setValue(0);
    hide();
    progress.show();
    Console& console = session_->console();
    const QString label = QStringLiteral("saved");
    console.sleep(200, label);
    for (int k = 0; k < 10 && !console.interrupted(); ++k) {
        progress.Label1->setText("Saving Configuration File...");
        progress.ProgressBar1->setValue(k * 10);
        console.yieldOnce(label);
        console.sleep(200, label);
    }
    progress.hide();
    show();
    activateWindow();
}

void RestoreWindow::programRadio() {
    runAction(QStringLiteral("program"), [this] { program(); });
}

void RestoreWindow::program() {
    QStringList ticked;
    for (auto it = rows_.cbegin(); it != rows_.cend(); ++it)
        if (it->check->isChecked())
            ticked << it.key();
    const ConfigSession::Programmed run = session_->program(ticked, fileValues());
    if (run.end != ConfigSession::Programmed::End::Done) {
        reportCutShort(run, ticked);
        return;
    }
    checkAll(false);
    programmed_ = run;
    if (run.rows.isEmpty())
        StatusLabel->setText(tr("No ticked setting holds a value: nothing was programmed."));
    runRead();
}

// A run the link cut short keeps its ticks: nothing was read back, so nothing is judged. A lost
// device closes the window before it could tell: the main window tells it, and the next window
// takes the file and its ticks up again.
void RestoreWindow::reportCutShort(const ConfigSession::Programmed& run,
                                   const QStringList& ticked) {
    using End = ConfigSession::Programmed::End;
    const QString sent =
        QString("%1 of %2 settings were sent, the rest were not").arg(run.sent).arg(run.total);
    if (run.end == End::NoAnswer) {
        unfinished_ = {QString(), filePath_, ticked};
        prompts_.message("The radio stopped answering: " + sent +
                             ". The window closes and the connection to the radio is opened "
                             "again; check the radio, then program the rest.",
                         windowTitle(), Prompts::Icon::Exclamation);
    } else if (run.end == End::PortClosed) {
        const QString report = "The port was closed: " + sent +
                               ". The ticks are kept, so that the rest can be programmed once "
                               "the radio is connected again.";
        if (state_.restoreLinkFailure)
            unfinished_ = {report, filePath_, ticked};
        else
            prompts_.message(report, windowTitle(), Prompts::Icon::Exclamation);
    }
}

void RestoreWindow::closeWindow() {
    close();
}

void RestoreWindow::closing(int) {
    session_->close();
}
