#include "data/SequenceMsg.h"

#include "link/ProtocolConversion.h"
#include "link/SharedState.h"

std::queue<ByteVector> BuildSequenceMsg(WorkSettings program)
{
    std::vector<ByteVector> frames{
        ProtocolConversion::BuildCommand(BoardCmd::Milling, program.getMillingCmdByte()),
        ProtocolConversion::BuildCommand(BoardCmd::Emulsion, program.getEmulsionCmdByte()),
        ProtocolConversion::BuildCommand(BoardCmd::EmulsionRepetition, program.getEmulsionRepetionCmdByte()),
    };
    if (reworkSet)
        frames.push_back(ProtocolConversion::BuildCommand(BoardCmd::SequenceEnd));
    frames.push_back(ProtocolConversion::BuildCommand(BoardCmd::Start));

    // One refused frame refuses the whole sequence: the start must never
    // follow a program the board did not get complete.
    std::queue<ByteVector> out;
    for (ByteVector &f : frames) {
        if (f.empty())
            return {};
        out.push(std::move(f));
    }
    return out;
}
