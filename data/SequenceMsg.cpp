#include "data/SequenceMsg.h"

#include "link/ProtocolConversion.h"
#include "link/SharedState.h"

std::queue<ByteVector> BuildSequenceMsg(WorkSettings program)
{
    std::queue<ByteVector> frames;
    frames.push(ProtocolConversion::BuildCommand(BoardCmd::Milling, program.getMillingCmdByte()));
    frames.push(ProtocolConversion::BuildCommand(BoardCmd::Emulsion, program.getEmulsionCmdByte()));
    frames.push(ProtocolConversion::BuildCommand(BoardCmd::EmulsionRepetition, program.getEmulsionRepetionCmdByte()));
    if (reworkSet)
        frames.push(ProtocolConversion::BuildCommand(BoardCmd::SequenceEnd));
    frames.push(ProtocolConversion::BuildCommand(BoardCmd::Start));
    return frames;
}
