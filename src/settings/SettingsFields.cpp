#include "SettingsFields.h"

#include "Catalogue.h"
#include "ParameterField.h"
#include "core/ClickableLabel.h"

#include <QWidget>

namespace {

struct Placement {
    const char* field;
    int twips;
    int lines;
};

// Where each field sits before a read moves it; the read moves the version-dependent ones.
const Placement Placements[] = {
    {"SerialNumber", 360, 1}, {"UnitAddr", 720, 1},      {"SoftwareRev", 1080, 2},
    {"OwnerName", 1800, 1},   {"OwnerMessage", 2160, 1}, {"Temperature", 2520, 1},
    {"AlarmInfo", 2880, 2},   {"Mode", 360, 1},          {"PowerLevel", 720, 1},
    {"BaudRate", 1080, 1},    {"Port", 1440, 1},         {"DeviceType", 1800, 1},
    {"AlarmMask", 2160, 1},   {"AlarmSense", 2520, 1},   {"CTSdelay", 360, 1},
    {"CTSHOLDdelay", 720, 1}, {"RxTimeOut", 1080, 1},    {"RXD", 1440, 1},
    {"SleepMode", 1800, 1},   {"LPMHOLD", 2160, 1},      {"NetworkAddress", 360, 1},
    {"CSADDR", 720, 1},       {"HopTime", 1080, 1},      {"SkippedZones", 1440, 1},
    {"LPM", 1800, 1},         {"DataBuff", 360, 1},      {"FEC", 720, 1},
    {"RetryCount", 1080, 1},  {"RepeatCount", 1440, 1},  {"StoreAndForward", 360, 1},
    {"XADDR", 720, 1},        {"XMIN", 1080, 1},         {"XPRI", 1080, 1},
    {"XMAX", 1440, 1},        {"XRSSI", 1440, 1},        {"XMAP", 1800, 1},
    {"ShowSync", 2160, 1},    {"DTYPE", 360, 1},         {"DLINK", 720, 1},
    {"SoftRTU", 1080, 1},     {"DiagOptions", 1680, 2},
};

constexpr int LabelLeft = 8;
constexpr int InfoLabelWidth = 92;
constexpr int TabLabelWidth = 170;
constexpr int InfoFieldWidth = 158;
constexpr int TabFieldWidth = 280;

} // namespace

SettingsFields::SettingsFields(QWidget* infoFrame, const QList<QWidget*>& tabs, QObject* parent)
    : QObject(parent) {
    for (const Placement& place : Placements) {
        const Catalogue::Parameter* p = Catalogue::byField(place.field);
        const bool info = p->place == Catalogue::InfoFrame;
        QWidget* frame = info ? infoFrame : tabs.at(p->place - 1);
        const int labelWidth = info ? InfoLabelWidth : TabLabelWidth;

        auto* field = new ParameterField(p->field, place.lines, frame);
        field->setToolTip(p->tip);
        field->setText(Catalogue::startingText(*p));
        field->resize(info ? InfoFieldWidth : TabFieldWidth, field->height());
        auto* label = new ClickableLabel(p->caption, frame);
        label->setObjectName(p->labelName);
        label->setToolTip("Click for more Information");
        label->setBuddy(field);
        label->resize(labelWidth, label->sizeHint().height());
        label->setCursor(Qt::PointingHandCursor);
        const QString name = p->field;
        fields_.insert(name, field);
        labels_.insert(name, label);
        placeAt(name, place.twips);
        connect(field, &ParameterField::clicked, this, [this, name] { emit fieldClicked(name); });
        connect(label, &ClickableLabel::clicked, this, [this, name] { emit labelClicked(name); });
    }
}

void SettingsFields::awaitRole() {
    using Catalogue::ChangeRule;
    for (const Catalogue::Parameter& p : Catalogue::all())
        if (p.rule == ChangeRule::MasterOnly || p.rule == ChangeRule::NotAtMaster ||
            p.rule == ChangeRule::MasterOrExtension)
            setUsable(p.field, false);
    setUsable("SoftRTU", false);
}

ParameterField* SettingsFields::field(const QString& name) const {
    return fields_.value(name);
}

ClickableLabel* SettingsFields::label(const QString& fieldName) const {
    return labels_.value(fieldName);
}

QString SettingsFields::text(const QString& fieldName) const {
    return field(fieldName)->text();
}

void SettingsFields::setText(const QString& fieldName, const QString& text) {
    field(fieldName)->setText(text);
}

int SettingsFields::rowOf(const QString& fieldName) const {
    return rows_.value(fieldName);
}

void SettingsFields::placeAt(const QString& fieldName, int twips) {
    rows_[fieldName] = twips;
    ClickableLabel* label = labels_.value(fieldName);
    ParameterField* field = fields_.value(fieldName);
    const int top = pixelsOf(twips);
    label->move(LabelLeft, top + 4);
    field->move(LabelLeft + label->width() + 4, top);
}

void SettingsFields::setPresent(const QString& fieldName, bool present) {
    for (QWidget* widget :
         {static_cast<QWidget*>(field(fieldName)), static_cast<QWidget*>(label(fieldName))}) {
        widget->setVisible(present);
        widget->setEnabled(present);
    }
}

void SettingsFields::setUsable(const QString& fieldName, bool usable) {
    field(fieldName)->setUsable(usable);
}
