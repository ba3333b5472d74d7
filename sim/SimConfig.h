#pragma once

#include <cstdint>
#include <string>

namespace zel::sim {

// How the simulator misbehaves on the replies to requests.
enum class ReplyFault {
    None,
    NoReply,     // the request is swallowed
    BadChecksum, // the last byte of the reply is flipped
    WrongCode,   // the reply code byte is changed
    Pieces,      // the reply is written in several pieces with pauses in between
    Short,       // only part of the reply is written
};

// How a stream's connection is dropped.
enum class DropHow {
    Close,  // the instrument closes it
    Vanish, // it falls silent for good without closing: nothing more is sent or read on it
};

bool ParseReplyFault(const std::string& text, ReplyFault& fault);
const char* ReplyFaultName(ReplyFault fault);

struct SimConfig {
    std::uint16_t serial = 12;
    std::uint16_t version = 1203;
    std::uint8_t battery = 87;
    std::uint8_t recordSlots = 0;
    std::uint8_t state = 1;
    std::uint16_t ch1Current = 153;
    std::uint16_t ch2Current = 147;

    ReplyFault fault = ReplyFault::None;
    int faultCount = -1; // how many replies the fault hits; -1 means every reply
    int replyDelayMs = 0;
    int piecePauseMs = 40;

    // Live stream.
    int frameIntervalMs = 500; // two frames a second, like the instrument
    int junkEvery = 0;         // junk bytes before every Nth frame (0: never)
    int corruptEvery = 0;      // one corrupted byte in every Nth frame (0: never)
    bool splitFrames = false;  // write each frame in several pieces
    int stallEvery = 0;        // after every Nth frame the stream stalls for stallMs
    int stallMs = 0;
    int dropAfterFrames = 0; // drop the connection after this many frames (0: never)
    DropHow dropHow = DropHow::Close;
    int drops = -1; // how many connections are dropped (-1: every one)
    // After each drop, connections are refused for this long (the port is held, not listened on).
    int refuseMs = 0;
    bool ignoreStreamStop = false;
    // Frames per connection before the stream falls silent (-1: no limit). Raising it while a
    // connection streams lets the held stream go on.
    int streamFrames = -1;
    // Live frames carry these currents instead of the generated ones (-1: generated).
    int fixedCh1Current = -1;
    int fixedCh2Current = -1;
    // Keep a copy of every frame sent intact (neither corrupted nor cut off), in sending order.
    bool keepGoodFrames = false;

    // Stored-record replies (command 0xA1).
    ReplyFault recordFault = ReplyFault::None;
    int recordFaultEvery = 0; // the fault hits every Nth stored-record reply (0: never)
    int invalidDateEvery = 0; // every Nth data reply carries month 0 (0: never)
    int failingSlot = -1;     // replies for this slot fail (bad checksum) ...
    int failingSlotTimes = 0; // ... this many times before it answers
};

} // namespace zel::sim
