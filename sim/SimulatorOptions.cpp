#include "sim/SimulatorOptions.h"

#include "common/LocalTime.h"

#include <charconv>
#include <cstdio>
#include <functional>
#include <map>

namespace zel::sim {
namespace {

bool ToInt(const std::string& text, long long low, long long high, long long& value) {
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    return r.ec == std::errc() && r.ptr == end && value >= low && value <= high;
}

template <typename T>
std::function<bool(const std::string&)> Number(T& field, long long low, long long high) {
    return [&field, low, high](const std::string& text) {
        long long v = 0;
        if (!ToInt(text, low, high, v))
            return false;
        field = static_cast<T>(v);
        return true;
    };
}

// Seconds since 1970, or a local "YYYY-MM-DD HH:MM:SS".
bool ToTime(const std::string& text, std::int64_t& t) {
    long long v = 0;
    if (ToInt(text, 0, 1LL << 40, v)) {
        t = v;
        return true;
    }
    LocalDateTime d;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &d.year, &d.month, &d.day, &d.hour,
                    &d.minute, &d.second) != 6)
        return false;
    return FromLocalDateTime(d, t);
}

std::function<bool(const std::string&)> Time(std::int64_t& field) {
    return [&field](const std::string& text) { return ToTime(text, field); };
}

} // namespace

std::string SimulatorUsage() {
    return "usage: zelmarine-sim [--port N] [--serial N] [--device-version N] [--battery N]\n"
           "                     [--slots N] [--state N] [--ch1 A] [--ch2 A]\n"
           "                     [--fault none|no-reply|bad-crc|wrong-code|pieces|short]\n"
           "                     [--fault-count N] [--reply-delay MS]\n"
           "                     [--frame-interval MS] [--junk-every N] [--corrupt-every N]\n"
           "                     [--split-frames] [--stall-every N --stall MS]\n"
           "                     [--drop-after N [--drop-how close|vanish] [--drops K]\n"
           "                      [--refuse-for MS]] [--ignore-stop]\n"
           "                     [--storage-slots N] [--frames N] [--start TIME] [--step S]\n"
           "                     [--slot-gap S] [--ring BYTE]\n"
           "                     [--record-fault KIND --record-fault-every N]\n"
           "                     [--invalid-date-every N] [--failing-slot S --failing-times N]\n"
           "                     [--write-tch PATH [--tch-device N] [--tch-version N]\n"
           "                      [--tch-time TIME]]\n"
           "       zelmarine-sim --help | --version\n"
           "TIME is seconds since 1970 or local \"YYYY-MM-DD HH:MM:SS\".\n";
}

bool ParseSimulatorOptions(const std::vector<std::string>& args, SimulatorOptions& options,
                           std::string& error) {
    SimConfig& c = options.config;
    options.storage.start = NowSeconds() - 86400;
    options.tchHeader.transferTime = NowSeconds();
    const std::map<std::string, std::function<bool(const std::string&)>> valued = {
        {"--port", Number(options.port, 0, 65535)},
        {"--serial", Number(c.serial, 0, 65535)},
        {"--device-version", Number(c.version, 0, 65535)},
        {"--battery", Number(c.battery, 0, 255)},
        {"--slots", Number(c.recordSlots, 0, 255)},
        {"--state", Number(c.state, 0, 255)},
        {"--ch1", Number(c.ch1Current, 0, 65535)},
        {"--ch2", Number(c.ch2Current, 0, 65535)},
        {"--fault", [&c](const std::string& v) { return ParseReplyFault(v, c.fault); }},
        {"--fault-count", Number(c.faultCount, -1, 1000000)},
        {"--reply-delay", Number(c.replyDelayMs, 0, 600000)},
        {"--frame-interval", Number(c.frameIntervalMs, 1, 600000)},
        {"--junk-every", Number(c.junkEvery, 0, 1000000)},
        {"--corrupt-every", Number(c.corruptEvery, 0, 1000000)},
        {"--stall-every", Number(c.stallEvery, 0, 1000000)},
        {"--stall", Number(c.stallMs, 0, 600000)},
        {"--drop-after", Number(c.dropAfterFrames, 0, 100000000)},
        {"--drop-how",
         [&c](const std::string& v) {
             if (v != "close" && v != "vanish")
                 return false;
             c.dropHow = v == "close" ? DropHow::Close : DropHow::Vanish;
             return true;
         }},
        {"--drops", Number(c.drops, -1, 100000000)},
        {"--refuse-for", Number(c.refuseMs, 0, 86400000)},
        {"--storage-slots", Number(options.storage.slotCount, 0, 64)},
        {"--frames", Number(options.storage.framesPerSlot, 0, 255)},
        {"--start", Time(options.storage.start)},
        {"--step", Number(options.storage.step, -1000000, 1000000)},
        {"--slot-gap", Number(options.storage.slotGap, -100000000, 100000000)},
        {"--ring", Number(options.storage.ring, 0, 255)},
        {"--record-fault",
         [&c](const std::string& v) { return ParseReplyFault(v, c.recordFault); }},
        {"--record-fault-every", Number(c.recordFaultEvery, 0, 1000000)},
        {"--invalid-date-every", Number(c.invalidDateEvery, 0, 1000000)},
        {"--failing-slot", Number(c.failingSlot, -1, 63)},
        {"--failing-times", Number(c.failingSlotTimes, 0, 1000000)},
        {"--write-tch",
         [&options](const std::string& v) {
             options.writeTchPath = v;
             return !v.empty();
         }},
        {"--tch-device", Number(options.tchHeader.deviceNumber, 0, 255)},
        {"--tch-version", Number(options.tchHeader.deviceVersion, 0, 255)},
        {"--tch-time", Time(options.tchHeader.transferTime)},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--split-frames") {
            c.splitFrames = true;
            continue;
        }
        if (arg == "--ignore-stop") {
            c.ignoreStreamStop = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.showHelp = true;
            continue;
        }
        if (arg == "--version") {
            options.showVersion = true;
            continue;
        }
        const auto it = valued.find(arg);
        if (it == valued.end()) {
            error = "unknown option: " + arg;
            return false;
        }
        if (i + 1 >= args.size() || !it->second(args[i + 1])) {
            error = "bad value for " + arg;
            return false;
        }
        ++i;
    }
    return true;
}

} // namespace zel::sim
