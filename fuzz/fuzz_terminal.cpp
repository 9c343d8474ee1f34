// The receive path: chunks (the input cut at each NUL, the first byte saying whether each comes
// many times over) filtered for the pane, kept in the receive buffer and shown in the pane.
#include "FuzzApp.h"
#include "FuzzInput.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/LinkControls.h"
#include "link/Terminal.h"
#include "link/TerminalFilter.h"
#include "link/TerminalPane.h"

namespace {

// Enough repeats to take the receive buffer past its limit, not so many that a run is slow.
constexpr qsizetype MostReceived = 3 * ReceiveBufferLimit / 4;

struct Receiver {
    Receiver() : terminal(controls, state, prompts) { controls.txtTerm = &pane; }
    TerminalPane pane;
    LinkControls controls;
    SharedState state;
    ScriptedPrompts prompts;
    Terminal terminal;
};

void checkFiltered(const QString& chunk) {
    const FilteredChunk shown = filterChunk(chunk);
    FuzzInput::require(!shown.text.contains(QChar(8)));
    // Every line end is CR LF, whatever the radio sent.
    for (qsizetype i = 0; i < shown.text.size(); ++i)
        FuzzInput::require(shown.text.at(i) != u'\n' || (i > 0 && shown.text.at(i - 1) == u'\r'));
    FuzzInput::require(shown.text.size() <= 2 * chunk.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    FuzzApp::instance();
    static Receiver* receiver = new Receiver;
    receiver->pane.setText(QString());
    receiver->state.receiveBuffer.clear();
    // Most inputs are what a radio sends; a first byte from 0xF0 on floods the receive path.
    const qsizetype repeats = data[0] < 0xf0 ? 1 : qsizetype(1) << (data[0] - 0xf0 + 5);
    for (const QByteArray& part : FuzzInput::parts(data + 1, size - 1)) {
        const QString piece = QString::fromLatin1(part);
        checkFiltered(piece);
        const QString chunk =
            piece.repeated(std::min(repeats, MostReceived / std::max<qsizetype>(piece.size(), 1)));
        QString& buffer = receiver->state.receiveBuffer;
        const qsizetype before = buffer.size();
        receiver->terminal.append(chunk);
        FuzzInput::require(buffer.size() <= ReceiveBufferLimit);
        // The newest characters are kept: all of them while they fit in half the buffer.
        FuzzInput::require(buffer.endsWith(chunk.right(ReceiveBufferLimit / 2)));
        FuzzInput::require(before + chunk.size() > ReceiveBufferLimit ||
                           buffer.size() == before + chunk.size());
        receiver->pane.flush();
        FuzzInput::require(receiver->pane.length() <= 2 * TerminalLimit);
    }
    return 0;
}
