#pragma once

#include <QByteArray>
#include <cstdint>

#include "TerminalTap.h"

class Clock;
class QIODevice;

// The terminal's traffic written as a transcript a person can read: every
// byte the chip sent, as it sent it, with a line feed added after each of its
// carriage returns so that its lines are the file's lines; and each line the
// user typed on a line of its own that starts with TypedMark (a line of the
// chip's not yet ended there is ended first). With time stamps, each line of
// the file starts with the time of day it began at, "hh:mm:ss.zzz ".
class TerminalTranscript : public TerminalTap {
  public:
    static constexpr const char* TypedMark = "[typed] ";

    TerminalTranscript(QIODevice& out, Clock& clock);

    void setTimeStamps(bool on) { stamped = on; }

    void received(const std::uint8_t* bytes, std::uint32_t count) override;
    void typed(QByteArrayView line) override;

  private:
    void beginLine();

    QIODevice& out;
    Clock& clock;
    bool stamped = false;
    bool atLineStart = true;
    QByteArray pending;
};
