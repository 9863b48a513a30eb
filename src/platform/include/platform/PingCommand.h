// The system's ping program as each OS has it: how it is started for a number of echo requests
// with its output on a pipe, and in which form its reply lines give the round-trip time.
#pragma once

#include <optional>
#include <string>

#include "platform/Process.h"

namespace platform {

enum class PingReplyForm {
    // "64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=0.043 ms": the number after "time=".
    TimeValue,
    // "Reply from 127.0.0.1: bytes=32 time=15ms TTL=54": the number between the "=" before
    // "TTL=" and "TTL=" (the byte count when the time reads "time<1ms").
    BeforeTtl,
};

struct PingCommand {
    ProcessOptions options;  // output captured
    PingReplyForm replies = PingReplyForm::TimeValue;
};

// The command that pings `host` `count` times; nothing when `host` is not a plain host name or
// address that can be handed to the command as it stands.
std::optional<PingCommand> PingCommandFor(const std::wstring& host, int count);

}  // namespace platform
