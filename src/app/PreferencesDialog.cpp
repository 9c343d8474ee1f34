#include "PreferencesDialog.h"

#include "core/AppSettings.h"
#include "core/DialogParts.h"
#include "core/SharedState.h"
#include "link/TerminalPane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

const PreferencesDialog::Colour PreferencesDialog::Colours[10] = {
    {"White", "&HFFFFFF"},        {"Black", "&H000000"},     {"Light Blue", "&HFACD87"},
    {"Blue", "&HFF0000"},         {"Navy Blue", "&H990000"}, {"Red", "&H0000FF"},
    {"Maroon", "&H00008B"},       {"Green", "&H00BB00"},     {"Dark Green", "&H006400"},
    {"Light Yellow", "&HD2FAFA"},
};

PreferencesDialog::PreferencesDialog(TerminalPane& pane, SharedState& state, QSettings& settings,
                                     QWidget* parent)
    : QDialog(parent), pane_(pane), state_(state), settings_(settings) {
    setObjectName("frmPreferences");
    setWindowTitle("Preferences");
    setAttribute(Qt::WA_DeleteOnClose);
    auto check = [this](const char* name, const char* caption, const char* tip, bool ticked) {
        auto* box = new QCheckBox(caption, this);
        box->setObjectName(name);
        if (*tip)
            box->setToolTip(tip);
        box->setChecked(ticked);
        return box;
    };
    ConnectOnLaunchCheck =
        check("ConnectOnLaunchCheck", "Connect On Application Launch", "", state.connectOnLaunch);
    KeepAliveCheck = check("KeepAliveCheck", "Keep Radio Connection Alive",
                           "If this is checked, the software will periodically send a carriage "
                           "return to the radio, keeping the connection active.",
                           state.keepAlive);
    LogoutCheck = check("LogoutCheck", "Logout User On Program Exit",
                        "If this is checked, the application will logout the user on exiting.",
                        state.logoutOnQuit);
    BoldCheck = check("BoldCheck", "Use Bold Text", "", pane.bold());
    TextColorList = colourList("TextColorList", pane.textColour());
    BackgroundColorList = colourList("BackgroundColorList", pane.backColour());
    OKButton = DialogParts::button(this, "OKButton", "OK");
    OKButton->setDefault(true);
    CancelButton = DialogParts::button(this, "CancelButton", "Cancel");

    auto* layout = new QVBoxLayout(this);
    for (QCheckBox* box : {ConnectOnLaunchCheck, KeepAliveCheck, LogoutCheck, BoldCheck})
        layout->addWidget(box);
    auto* colours = new QFormLayout;
    colours->addRow("Text Color", TextColorList);
    colours->addRow("Text Background Color", BackgroundColorList);
    layout->addLayout(colours);
    layout->addLayout(DialogParts::buttonRow({OKButton, CancelButton}));
    connect(OKButton, &QPushButton::clicked, this, &PreferencesDialog::onOK);
    connect(CancelButton, &QPushButton::clicked, this, &PreferencesDialog::reject);
}

// The ten colours, the entry of the current colour selected (the first when none is).
QComboBox* PreferencesDialog::colourList(const char* name, const QColor& current) {
    auto* list = new QComboBox(this);
    list->setObjectName(name);
    for (const Colour& colour : Colours) {
        list->addItem(colour.name, QString::fromLatin1(colour.value));
        if (parseColour(colour.value) == current)
            list->setCurrentIndex(list->count() - 1);
    }
    return list;
}

QColor PreferencesDialog::colourAt(const QComboBox* list) {
    return parseColour(list->currentData().toString()).value_or(QColor(Qt::white));
}

void PreferencesDialog::onOK() {
    state_.connectOnLaunch = ConnectOnLaunchCheck->isChecked();
    state_.keepAlive = KeepAliveCheck->isChecked();
    state_.logoutOnQuit = LogoutCheck->isChecked();
    pane_.setLook(BoldCheck->isChecked(), colourAt(TextColorList), colourAt(BackgroundColorList));
    settings_.beginGroup("Preferences");
    settings_.setValue("ConnectOnLaunch", yesNoText(state_.connectOnLaunch));
    settings_.setValue("KeepAlive", yesNoText(state_.keepAlive));
    settings_.setValue("LogoutOnQuit", yesNoText(state_.logoutOnQuit));
    settings_.setValue("BoldText", yesNoText(pane_.bold()));
    settings_.setValue("TextColor", colourText(pane_.textColour()));
    settings_.setValue("BackColor", colourText(pane_.backColour()));
    settings_.endGroup();
    accept();
}
