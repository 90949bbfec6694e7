#include "core/session/Cells.h"

#include "core/link/Frame.h"

namespace vl48 {

std::optional<uint16_t> readCell(Link& link, Cell cell) {
    Frame reply;
    if (!link.Send(CmdReadCell, cell, reply)) return std::nullopt;
    return replyWord(reply);
}

bool writeCell(Link& link, Cell cell, uint16_t word) {
    return link.SendEE(CmdWriteCell, cell, word);
}

bool writeNote(Link& link, const QByteArray& text) {
    for (const CellWrite& write : noteCells(text))
        if (!link.SendEE(CmdWriteCell, write.address, write.value)) return false;
    return true;
}

}  // namespace vl48
