#include "sim/SimConfig.h"

namespace zel::sim {
namespace {

struct FaultName {
    ReplyFault fault;
    const char* name;
};

constexpr FaultName kFaultNames[] = {
    {ReplyFault::None, "none"},           {ReplyFault::NoReply, "no-reply"},
    {ReplyFault::BadChecksum, "bad-crc"}, {ReplyFault::WrongCode, "wrong-code"},
    {ReplyFault::Pieces, "pieces"},       {ReplyFault::Short, "short"},
};

} // namespace

bool ParseReplyFault(const std::string& text, ReplyFault& fault) {
    for (const auto& f : kFaultNames) {
        if (text == f.name) {
            fault = f.fault;
            return true;
        }
    }
    return false;
}

const char* ReplyFaultName(ReplyFault fault) {
    for (const auto& f : kFaultNames) {
        if (f.fault == fault)
            return f.name;
    }
    return "none";
}

} // namespace zel::sim
