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

// A piece many times over, up to most characters.
QString flood(const QString& piece, qsizetype repeats, qsizetype most) {
    return piece.repeated(std::min(repeats, most / std::max<qsizetype>(piece.size(), 1)));
}

// The receive buffer on its own, past its limit: the newest characters are kept, all of them
// while they fit in half the buffer.
void checkKept(QString& buffer, const QString& chunk) {
    const qsizetype before = buffer.size();
    keepReceived(buffer, chunk);
    FuzzInput::require(buffer.size() <= ReceiveBufferLimit);
    FuzzInput::require(buffer.endsWith(chunk.right(ReceiveBufferLimit / 2)));
    FuzzInput::require(before + chunk.size() > ReceiveBufferLimit ||
                       buffer.size() == before + chunk.size());
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
    QString kept;
    for (const QByteArray& part : FuzzInput::parts(data + 1, size - 1)) {
        const QString piece = QString::fromLatin1(part);
        checkFiltered(piece);
        checkKept(kept, flood(piece, repeats, MostReceived));
        // Enough to take the pane past its limit in one chunk.
        const QString chunk = flood(piece, repeats, 2 * TerminalLimit);
        receiver->terminal.append(chunk);
        FuzzInput::require(receiver->state.receiveBuffer.endsWith(chunk));
        receiver->pane.flush();
        // At most what it kept and the end of what came, the pane trimming before it adds; a
        // line end whose CR fell off the kept end counts as a whole one.
        FuzzInput::require(receiver->pane.length() <= 2 * TerminalLimit + 1);
    }
    return 0;
}
