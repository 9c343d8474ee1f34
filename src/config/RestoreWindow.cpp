#include "RestoreWindow.h"

#include "core/DialogParts.h"
#include "core/ProgressWindow.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/SerialPort.h"

#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const char* const TabCaptions[] = {"Radio Information",
                                   "Radio Settings 1...",
                                   "Radio Settings 2...",
                                   "Network Settings 1...",
                                   "Network Settings 2...",
                                   "Store & Forward Settings...",
                                   "Network Wide Diagnostic Settings..."};
const char* const FileFilter = "TEXT Files (*.txt)|*.txt|All Files (*.*)|*.*";
const QStringList MasterRows = {"buff", "fec", "hoptime", "repeat", "retry", "skip", "saf"};

} // namespace

RestoreWindow::RestoreWindow(std::unique_ptr<SerialPort> port, int portNumber,
                             const QString& settings, SharedState& state, Clock& clock,
                             Prompts& prompts, QWidget* parent)
    : QDialog(parent), port_(std::move(port)), portNumber_(portNumber), settings_(settings),
      state_(state), prompts_(prompts),
      session_(std::make_unique<ConfigSession>(*port_, state, clock, prompts)) {
    setObjectName("frmRestore");
    setWindowTitle("Configuration Store/Restore");
    setAttribute(Qt::WA_DeleteOnClose);
    buildToolbar();
    buildRows();
    layOutForVersion();
    resize(1000, 560);
}

RestoreWindow::~RestoreWindow() = default;

QLabel* RestoreWindow::infoLabel(const QString& text) {
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    return label;
}

void RestoreWindow::buildToolbar() {
    Toolbar = new QToolBar(this);
    Toolbar->setObjectName("Toolbar");
    const struct {
        const char* key;
        const char* caption;
        void (RestoreWindow::*run)();
    } buttons[] = {
        {"OpenConfig", "Open A Configuration File", &RestoreWindow::openConfig},
        {"SaveConfig", "Save Current Settings To A File", &RestoreWindow::saveConfig},
        {"ProgramRadio", "Program Selected Settings To The Radio", &RestoreWindow::programRadio},
        {"Refresh", "Refresh Radio Settings", &RestoreWindow::requestRead}};
    for (const auto& button : buttons) {
        QAction* action = Toolbar->addAction(button.caption);
        action->setObjectName(button.key);
        connect(action, &QAction::triggered, this, button.run);
    }
    toolbarButton("ProgramRadio")->setEnabled(false);
    toolbarButton("SaveConfig")->setEnabled(false);
}

QAction* RestoreWindow::toolbarButton(const QString& key) const {
    return Toolbar->findChild<QAction*>(key);
}

void RestoreWindow::buildRows() {
    TabStrip = new QTabWidget(this);
    TabStrip->setObjectName("TabStrip");
    QList<QGridLayout*> grids;
    for (int tab = 0; tab < 7; ++tab) {
        auto* frame = new QWidget;
        frame->setObjectName(QString("RadSet_%1").arg(tab));
        auto* grid = new QGridLayout(frame);
        grid->addWidget(new QLabel("Select Settings to reprogram in the radio:"), 0, 0);
        grid->addWidget(new QLabel("Current Settings:"), 0, 1);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(2, 1);
        TabStrip->addTab(frame, TabCaptions[tab]);
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
    CheckAllButton = DialogParts::button(this, "CheckAllButton", "Check All");
    UncheckAllButton = DialogParts::button(this, "UncheckAllButton", "Uncheck All");
    CloseButton = DialogParts::button(this, "CloseButton", "Close Window");
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
    state_.restoreLinkFailure = false;
    state_.receiveBuffer = QStringLiteral(" ");
    if (!session_->open(portNumber_, settings_))
        return;
    session_->wakeUp();
    requestRead();
}

void RestoreWindow::requestRead() {
    readRequest_ = true;
    QTimer::singleShot(0, this, &RestoreWindow::runRead);
}

void RestoreWindow::runRead() {
    if (!readRequest_ || !session_->port().isOpen() || !idle_)
        return;
    readRequest_ = false;
    idle_ = false;
    showProgress(0);
    session_->read([this](int percent) { showProgress(percent); });
    for (const ConfigFormat::Row& row : ConfigFormat::rows())
        rows_[row.query].current->setText(session_->value(row.query));
    QTimer::singleShot(900, ProgressLabel, &QLabel::hide);
    toolbarButton("SaveConfig")->setEnabled(true);
    idle_ = true;
    reportNotTaken();
    if (closeRequest_)
        close();
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

// After a restore, the rows the radio did not take are marked and named in one message.
void RestoreWindow::reportNotTaken() {
    if (programmed_.isEmpty())
        return;
    const QMap<QString, QString> values = fileValues();
    const QStringList missed = session_->notTaken(programmed_, values);
    for (const QString& query : std::as_const(programmed_)) {
        const bool taken = !missed.contains(ConfigFormat::row(query)->name);
        rows_[query].current->setStyleSheet(taken ? QString() : "color: #b00000;");
    }
    if (!missed.isEmpty())
        prompts_.message(
            QString("%1 of %2 settings were not taken by the radio: %3. Are you logged in?")
                .arg(missed.size())
                .arg(programmed_.size())
                .arg(missed.join(", ")),
            "Configuration Store/Restore", Prompts::Icon::Exclamation);
    programmed_.clear();
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

void RestoreWindow::checkAll(bool ticked) {
    for (const RowControls& controls : std::as_const(rows_))
        if (controls.check->isEnabled())
            controls.check->setChecked(ticked);
}

void RestoreWindow::openConfig() {
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
}

void RestoreWindow::loadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        prompts_.message(file.errorString(), windowTitle(), Prompts::Icon::Exclamation);
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    toolbarButton("ProgramRadio")->setEnabled(true);
    for (const RowControls& controls : std::as_const(rows_)) {
        controls.file->setText("n/a");
        controls.check->setEnabled(false);
    }
    fileLoaded_ = true;
    FileSettingsLabel->setText("Settings in file\n" + QFileInfo(path).fileName() + ":");
    ConfigFormat::Reader reader(session_->versionNumber(), currentField("mode")->text());
    Console& console = session_->console();
    const ConfigFormat::Loaded loaded = reader.read(ConfigFormat::decode(bytes), [&] {
        console.msWait(100);
        console.yieldOnce();
    });
    if (loaded.versionNotice)
        prompts_.message("Notice: The configuration file you opened was created by an earlier "
                         "sofware version then the one in the radio.\rSome of the commands have "
                         "changed and either will not be available,\ror will be modified to be "
                         "compatible with the current software.",
                         "Warning:", Prompts::Icon::Information);
    for (auto it = loaded.values.cbegin(); it != loaded.values.cend(); ++it) {
        rows_[it.key()].file->setText(it.value());
        setRowUsable(it.key(), loaded.enabled.contains(it.key()));
    }
    if (loaded.parameterLines == 0)
        prompts_.message(QFileInfo(path).fileName() +
                             " holds no radio settings: nothing was loaded from it.",
                         windowTitle(), Prompts::Icon::Exclamation);
}

void RestoreWindow::saveConfig() {
    idle_ = false;
    state_.refreshRequest = true;
    const QString path = prompts_.saveFile("Radio Configuration Save", FileFilter, QString());
    if (path.isEmpty()) {
        idle_ = true;
        return;
    }
    setEnabled(false);
    const QString failure =
        session_->save(path, QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    setEnabled(true);
    idle_ = true;
    if (!failure.isEmpty()) {
        prompts_.message("The configuration file was not saved (" + failure +
                             "). Any earlier file of that name is unchanged.",
                         "Error", Prompts::Icon::Exclamation);
        return;
    }
    if (closeRequest_) {
        close();
        return;
    }
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
    console.sleep(200);
    for (int k = 0; k < 10; ++k) {
        progress.Label1->setText("Saving Configuration File...");
        progress.ProgressBar1->setValue(k * 10);
        console.yieldOnce();
        console.sleep(200);
    }
    progress.hide();
    show();
    activateWindow();
}

void RestoreWindow::programRadio() {
    QStringList ticked;
    for (auto it = rows_.cbegin(); it != rows_.cend(); ++it)
        if (it->check->isChecked())
            ticked << it.key();
    idle_ = false;
    session_->program(ticked, fileValues());
    idle_ = true;
    checkAll(false);
    programmed_ = ticked;
    requestRead();
}

void RestoreWindow::closeWindow() {
    if (idle_)
        close();
    else
        closeRequest_ = true;
}

void RestoreWindow::reject() {
    if (idle_)
        QDialog::reject();
    else
        closeRequest_ = true;
}

void RestoreWindow::done(int result) {
    session_->close();
    QDialog::done(result);
}
