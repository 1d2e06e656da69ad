#pragma once
// Frames of the controller board: F3, code, payload, XOR checksum, FC.

#include "link/ByteUtils.h"

#include <cstdint>

// Command codes of the board protocol.
namespace BoardCmd {
enum : uint8_t {
    Milling = 1,
    Emulsion = 2,
    Start = 3,
    Stop = 4,
    CutRelease = 10,
    CutClean = 11,
    StopRelease = 12,
    ManualMoveA = 13,
    ManualMoveB = 14,
    GlassDimension = 15,
    TooMuchAnswer = 16,
    CustomClean = 17,
    SequenceEnd = 18,
    ShaftClean = 19,
    EmulsionRepetition = 20,
    AirPurge = 21,
    MainsFrequency = 22,
    FirmwareUpdate = 48,
    Status = 112,
    Temperature = 113,
    Absorption = 114,
    ErrorCode = 115,
    BladeMountState = 116,
    ResidualSteps = 117,
    Version = 118,
    SensorState = 119,
    AxisPosition = 120,
};
}

namespace FrameByte {
enum : uint8_t { Start = 0xF3, End = 0xFC, Ack = 0x7F };
}

class ProtocolConversion
{
public:
    // Result of the last parse on this thread: 0 ok, 2 checksum, 4 incomplete.
    static thread_local uint8_t error_occured;

    static uint8_t CalcCheckSum(const ByteVector &bytes);
    static bool VerifyCheckSum(const ByteVector &packet);
    static ByteVector GetPacket(const ByteVector &bytes);
    // The whole frame; empty when the code or a payload byte is 0x80 or more,
    // since frames are not escaped and such a byte could end or restart one.
    // An empty frame must not be queued.
    static ByteVector BuildCommand(uint8_t code, const ByteVector &payload);
    static ByteVector BuildCommand(uint8_t code);
    // Whether `frame` is one BuildCommand would make: markers, 7-bit inside, right checksum.
    static bool IsSendable(const ByteVector &frame);
    static bool CommandResponse(const ByteVector &bytes);
    static ByteVector RequestResponse(const ByteVector &bytes);
    // Decodes a status reply into the shared machine state.
    static void HandshakeResponse(const ByteVector &bytes);
};
