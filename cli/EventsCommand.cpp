#include "cli/EventsCommand.h"

#include "cli/Json.h"
#include "cli/RecordTimeArgument.h"
#include "common/ModuleDirectory.h"
#include "records/EventLimitsConfig.h"
#include "records/RecordFile.h"
#include "records/StatisticsText.h"

#include <algorithm>

namespace zel::cli {
namespace {

constexpr const char* kTimeForm = "a local time \"YYYY-mm-dd HH:MM:SS\" (.5 for the half second)";

const char* LimitOption(LimitKind kind) {
    switch (kind) {
    case LimitKind::Ch1:
        return "--ch1-above";
    case LimitKind::Ch2:
        return "--ch2-above";
    case LimitKind::Difference:
        return "--difference-above";
    case LimitKind::Unbalance:
        return "--unbalance-above";
    }
    return "";
}

std::string JsonEvent(const LimitEvent& e, const RecordPoints& points) {
    return "{\"limit\": " + JsonString(LimitName(e.limit)) +
           ", \"first\": " + std::to_string(e.first) + ", \"last\": " + std::to_string(e.last) +
           ", \"start\": " + JsonString(points.PreciseTimeText(e.first)) +
           ", \"end\": " + JsonString(points.PreciseTimeText(e.last)) +
           ", \"duration\": " + OneDecimal(e.DurationSeconds()) +
           ", \"max\": " + std::to_string(e.max) + "}";
}

} // namespace

int EventsCommand::Run(CliContext& c) {
    const bool json = TakeFlag(c.args, "--json");
    EventLimits limits;
    bool anyGiven = false;
    for (int k = 0; k < kLimitKinds; ++k) {
        const auto kind = static_cast<LimitKind>(k);
        const std::string option = LimitOption(kind);
        const std::string what = kind == LimitKind::Unbalance
                                     ? "a whole number of percent, 0 to 100"
                                     : "a whole number of amperes, 0 or more";
        std::string text;
        bool present = false;
        if (!TakeValue(c.args, option, text, present))
            return UsageError(c, option + " needs " + what);
        if (!present)
            continue;
        const auto value = ParseLimitValue(kind, text);
        if (!value)
            return UsageError(c, option + ": \"" + text + "\" is not " + what);
        limits[kind] = {true, *value};
        anyGiven = true;
    }
    std::string minText, fromText, toText;
    bool haveMin = false, haveFrom = false, haveTo = false;
    if (!TakeValue(c.args, "--min-points", minText, haveMin))
        return UsageError(c, "--min-points needs a number of points, 1 to 1000000");
    if (!TakeValue(c.args, "--from", fromText, haveFrom))
        return UsageError(c, std::string("--from needs ") + kTimeForm);
    if (!TakeValue(c.args, "--to", toText, haveTo))
        return UsageError(c, std::string("--to needs ") + kTimeForm);
    std::optional<std::int32_t> minPoints;
    if (haveMin && !(minPoints = ParseMinPoints(minText)))
        return UsageError(c, "--min-points: \"" + minText +
                                 "\" is not a number of points, 1 to 1000000");
    const auto unknown = std::find_if(c.args.begin(), c.args.end(), [](const std::string& a) {
        return a.size() > 1 && a[0] == '-';
    });
    if (unknown != c.args.end())
        return UsageError(c, "unknown option " + *unknown);
    if (c.args.size() != 1)
        return UsageError(c, "give one record file");

    if (!anyGiven) {
        const std::string config = ConfigFilePath();
        limits = ReadEventLimits(config);
        if (!limits.Any()) {
            c.err << "zelmarine-cli events: no limit given, and none is switched on in " << config
                  << " (section [" << kLimitsSection << "])\n";
            return kExitUsage;
        }
    }
    if (minPoints)
        limits.minPoints = *minPoints;

    RecordReadFailure failure;
    const auto image = OpenRecordImage(c.args[0], &failure);
    if (!image)
        return FailRecordRead(c, c.args[0], failure);
    const RecordPoints points(*image);
    std::optional<std::int64_t> from, to;
    if (haveFrom && !(from = PointIndexAt(fromText, image->header.startTime)))
        return UsageError(c, "--from: \"" + fromText + "\" is not " + kTimeForm);
    if (haveTo && !(to = PointIndexAt(toText, image->header.startTime)))
        return UsageError(c, "--to: \"" + toText + "\" is not " + kTimeForm);
    const std::int64_t n = points.Count();
    const std::int64_t first = std::max<std::int64_t>(from.value_or(0), 0);
    const std::int64_t last = std::min<std::int64_t>(to.value_or(n - 1), n - 1);
    const PointRange range = first <= last ? PointRange{first, last - first + 1} : PointRange{};

    const auto events = FindEvents(*image, limits, range);
    if (!events)
        return Fail(c, c.args[0] + ": the file was cut short while it was read");
    if (json) {
        std::string out = "{\"events\": [";
        for (std::size_t i = 0; i < events->size(); ++i)
            out += (i ? ", " : "") + JsonEvent((*events)[i], points);
        c.out << out << "]}\n";
        return kExitOk;
    }
    for (const LimitEvent& e : *events)
        c.out << LimitName(e.limit) << '\t' << e.first << '\t' << e.last << '\t'
              << points.PreciseTimeText(e.first) << '\t' << points.PreciseTimeText(e.last) << '\t'
              << OneDecimal(e.DurationSeconds()) << '\t' << e.max << '\n';
    return kExitOk;
}

} // namespace zel::cli
