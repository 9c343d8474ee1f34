#include "SettingsFields.h"

#include "Catalogue.h"
#include "core/ClickableLabel.h"
#include "core/ParameterField.h"

#include <QApplication>
#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

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
// The line spacing of the font the design's pixels were counted in (15 twips a pixel).
constexpr double DesignLineSpacing = 13.0;
// Room kept free beyond the last field of a frame.
constexpr int FrameMargin = 8;

int scaled(int designPixels) {
    return qRound(designPixels * SettingsFields::fontScale());
}

} // namespace

double SettingsFields::fontScale() {
    return QFontMetrics(QApplication::font()).lineSpacing() / DesignLineSpacing;
}

int SettingsFields::pixelsOf(int twips) {
    return qRound((twips * 3 / 40 - 8) * fontScale());
}

SettingsFields::SettingsFields(QWidget* infoFrame, const QList<QWidget*>& tabs, QObject* parent)
    : QObject(parent), frames_(QList<QWidget*>{infoFrame} + tabs) {
    // Every label of a frame kind is as wide as the design says or as its widest caption.
    int labelWidth[2] = {scaled(InfoLabelWidth), scaled(TabLabelWidth)};
    for (const Placement& place : Placements) {
        const Catalogue::Parameter* p = Catalogue::byField(place.field);
        const int kind = p->place == Catalogue::InfoFrame ? 0 : 1;
        const int caption = infoFrame->fontMetrics().horizontalAdvance(p->caption) + 4;
        labelWidth[kind] = std::max(labelWidth[kind], caption);
    }
    for (const Placement& place : Placements) {
        const Catalogue::Parameter* p = Catalogue::byField(place.field);
        const bool info = p->place == Catalogue::InfoFrame;
        QWidget* frame = info ? infoFrame : tabs.at(p->place - 1);

        auto* field = new ParameterField(p->field, place.lines, frame);
        field->setToolTip(p->tip);
        field->setText(Catalogue::startingText(*p));
        field->resize(scaled(info ? InfoFieldWidth : TabFieldWidth), field->height());
        auto* label = new ClickableLabel(p->caption, frame);
        label->setObjectName(p->labelName);
        label->setToolTip("Click for more Information");
        label->setBuddy(field);
        label->setFocusProxy(field);
        label->resize(labelWidth[info ? 0 : 1], label->sizeHint().height());
        label->setCursor(Qt::PointingHandCursor);
        const QString name = p->field;
        fields_.insert(name, field);
        labels_.insert(name, label);
        placeAt(name, place.twips);
        connect(field, &ParameterField::clicked, this, [this, name] { emit fieldClicked(name); });
        const auto help = [this, name] { emit labelClicked(name); };
        connect(label, &ClickableLabel::clicked, this, help);
        connect(label, &ClickableLabel::helpRequested, this, help);
        connect(field, &ParameterField::helpRequested, this, help);
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
    fitFrame(field->parentWidget());
    orderFocus();
}

// Fields hidden for the radio's firmware count too: the frame keeps its size as they come and go.
void SettingsFields::fitFrame(QWidget* frame) {
    QRect used;
    for (const QObject* child : frame->children())
        if (const auto* widget = qobject_cast<const QWidget*>(child))
            used |= widget->geometry();
    frame->setMinimumSize(used.right() + 1 + FrameMargin, used.bottom() + 1 + FrameMargin);
}

QList<ParameterField*> SettingsFields::inFocusOrder(const QWidget* frame) const {
    QList<ParameterField*> inFrame;
    for (ParameterField* field : fields_)
        if (field->parentWidget() == frame)
            inFrame << field;
    std::sort(inFrame.begin(), inFrame.end(), [](const QWidget* a, const QWidget* b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });
    return inFrame;
}

void SettingsFields::chainFocus(QWidget* before, QWidget* tabBar) {
    focusBefore_ = before;
    tabBar_ = tabBar;
    orderFocus();
}

void SettingsFields::orderFocus() {
    if (!focusBefore_)
        return;
    QWidget* previous = focusBefore_;
    const auto follow = [&previous](QWidget* next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    // The "Information" frame first, then the tab bar and the tabs.
    for (int frame = 0; frame < frames_.size(); ++frame) {
        if (frame == 1)
            follow(tabBar_);
        for (ParameterField* field : inFocusOrder(frames_.at(frame)))
            follow(field);
    }
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
