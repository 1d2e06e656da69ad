#pragma once
// A raw serial terminal: 8 data bits, no parity, two stop bits, no flow
// control, reads bounded by VTIME. Used by the link thread alone.

#include "link/ByteUtils.h"

#include <string>

class SerialCom
{
public:
    SerialCom(const std::string &port, int baud, int inactivityTimeOut, int responseTime, int inBufferSize,
              int outBufferSize);
    ~SerialCom();
    SerialCom(const SerialCom &) = delete;
    SerialCom &operator=(const SerialCom &) = delete;

    static int valueToBaud(int rate);

    bool init();
    // VTIME in tenths of a second; negative restores `responseTime`.
    bool setWaitTime(int tenths);

    // Writes every byte, waiting for the descriptor when it is full; false
    // when the port is closed, errors, or stays blocked too long.
    bool send_data(const uint8_t *buffer, int length);
    bool send_data(const ByteVector &bytes);
    bool send_data(const std::string &text);

    // Reads until the line is quiet; returns the number of bytes read.
    int receive(int maxLength, ByteVector *out);
    // Reads until a chunk holding `terminator` arrived or the line is quiet.
    int receive(int maxLength, ByteVector *out, uint8_t terminator);

    // Drops whatever the board sent that nobody has read yet, so that the next
    // exchange only sees its own reply.
    void discardInput();
    // Drops pending input and output (firmware loader entry).
    void flushBoth();

    void closeSerialPort();
    bool isOpen() const { return serialFD >= 0; }
    const std::string &portName() const { return port; }

private:
    bool applySettings(int vtime);
    int receiveImpl(int maxLength, ByteVector *out, bool useTerminator, uint8_t terminator);

    int baud;
    std::string port;
    int inactivityTimeOut;
    int responseTime;
    int inBufferSize;
    int outBufferSize;
    int serialFD = -1;
};
