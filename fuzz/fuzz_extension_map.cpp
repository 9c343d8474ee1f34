// The extension map: the map cut from any "xmap" reply, shown as the dialog's 32 boxes, and
// the boxes sent back to the radio as eight hexadecimal digits.
#include "FuzzApp.h"
#include "FuzzInput.h"
#include "RadioConsole.h"
#include "SimulatedPort.h"
#include "core/Clock.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/ConsoleText.h"
#include "program/ParameterEditor.h"
#include "program/XmapDialog.h"

#include <QCheckBox>

namespace {

constexpr int Addresses = 32;

struct Rig {
    Rig() { port.setOpen(true); }
    ManualClock clock;
    RadioConsole radio;
    SimulatedPort port{radio, clock};
    SharedState state;
    Console console{port, state, clock};
};

// The bit text as the boxes show it: bit characters the map does not reach stay clear.
QString shownBits(const std::optional<QString>& map) {
    const QString bits = ConsoleText::hexToBits(map.value_or(QString()));
    QString shown(Addresses, u'0');
    for (qsizetype at = 0; at < Addresses && at < bits.size(); ++at)
        shown[at] = bits.at(at);
    return shown;
}

void checkBoxes(const XmapDialog& dialog, const QString& bits) {
    for (int k = 0; k < Addresses; ++k)
        FuzzInput::require(dialog.Check1[k]->isChecked() == (bits.at(Addresses - 1 - k) == u'1'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzApp::instance();
    static Rig* rig = new Rig;
    const QString buffer = FuzzInput::text(data, size);
    const std::optional<QString> map = ParameterEditor::extensionMapOf(buffer);
    if (map)
        FuzzInput::require(map->size() <= buffer.size());
    auto* dialog = new XmapDialog(rig->console, map, nullptr);
    const QString bits = shownBits(map);
    checkBoxes(*dialog, bits);
    rig->radio.clearLines();
    dialog->programSettings();
    const QStringList sent = rig->radio.commands();
    FuzzInput::require(sent.size() == 1 && sent.first() == "xmap " + ConsoleText::bitsToHex(bits));
    FuzzInput::require(sent.first().size() == 5 + Addresses / 4);
    delete dialog;
    // The radio's answer arrives and is dropped, so that nothing piles up between inputs.
    rig->clock.advance(1000);
    QCoreApplication::processEvents();
    rig->port.readAll();
    return 0;
}
