#include "cli/StatsCommand.h"

#include "cli/Json.h"
#include "common/LocalTime.h"
#include "records/RecordFile.h"
#include "records/RecordStatistics.h"
#include "records/StatisticsText.h"

#include <optional>
#include <utility>
#include <vector>

namespace zel::cli {
namespace {

// One named value of the output: a number written as it is, or a text.
struct Field {
    std::string name;
    std::string value;
    bool text = false;
};
using Group = std::pair<std::string, std::vector<Field>>;

std::vector<Field> ChannelFields(const RecordStatistics& s, const RecordPoints& points, int ch) {
    const ChannelStatistics& c = s.channel[ch];
    return {{"min", std::to_string(c.min)},
            {"max", std::to_string(c.max)},
            {"mean", TwoDecimals(s.Mean(ch))},
            {"rms", TwoDecimals(s.Rms(ch))},
            {"minTime", points.TimeText(c.minIndex), true},
            {"maxTime", points.TimeText(c.maxIndex), true}};
}

std::vector<Field> SampleFields(const RecordStatistics& s, int ch) {
    return {{"min", std::to_string(s.samples[ch].min)},
            {"max", std::to_string(s.samples[ch].max)},
            {"rms", TwoDecimals(s.SampleRms(ch))}};
}

std::string Value(const Field& field) {
    return field.text ? JsonString(field.value) : field.value;
}

std::string JsonObject(const std::vector<Field>& fields) {
    std::string out = "{";
    for (const Field& f : fields)
        out += (out.size() > 1 ? ", " : "") + JsonString(f.name) + ": " + Value(f);
    return out + "}";
}

void PrintJson(std::ostream& out, const std::vector<Field>& top, const std::vector<Group>& groups,
               const std::vector<Group>& sampleGroups) {
    std::string json = JsonObject(top);
    json.pop_back();
    for (const auto& [name, fields] : groups)
        json += ", " + JsonString(name) + ": " + JsonObject(fields);
    if (!sampleGroups.empty()) {
        json += ", \"samples\": {";
        for (std::size_t i = 0; i < sampleGroups.size(); ++i)
            json += (i ? ", " : "") + JsonString(sampleGroups[i].first) + ": " +
                    JsonObject(sampleGroups[i].second);
        json += "}";
    }
    out << json << "}\n";
}

void PrintText(std::ostream& out, const std::vector<Field>& top, const std::vector<Group>& groups,
               const std::vector<Group>& sampleGroups) {
    for (const Field& f : top)
        out << f.name << '\t' << f.value << '\n';
    for (const auto& [name, fields] : groups)
        for (const Field& f : fields)
            out << name << '.' << f.name << '\t' << f.value << '\n';
    for (const auto& [name, fields] : sampleGroups)
        for (const Field& f : fields)
            out << "samples." << name << '.' << f.name << '\t' << f.value << '\n';
}

} // namespace

int StatsCommand::Run(CliContext& c) {
    const bool json = TakeFlag(c.args, "--json");
    std::string fromText, toText;
    bool haveFrom = false, haveTo = false;
    if (!TakeValue(c.args, "--from", fromText, haveFrom))
        return UsageError(c, "--from needs a local time \"YYYY-mm-dd HH:MM:SS\"");
    if (!TakeValue(c.args, "--to", toText, haveTo))
        return UsageError(c, "--to needs a local time \"YYYY-mm-dd HH:MM:SS\"");
    if (c.args.size() != 1)
        return UsageError(c, "give one record file");

    // A time met twice when the clocks go back: the range takes in both, from the first
    // instant of its start to the second of its end.
    std::optional<std::int64_t> from, to;
    const auto parse = [](const std::string& text, bool latest, std::optional<std::int64_t>& t) {
        std::int64_t value = 0;
        if (!ParseLocalTime(text, latest, value))
            return false;
        t = value;
        return true;
    };
    const auto badTime = [this, &c](const std::string& text) {
        return UsageError(c, "\"" + text +
                                 "\" is not a local time \"YYYY-mm-dd HH:MM:SS\" (or the clocks "
                                 "skip it)");
    };
    if (haveFrom && !parse(fromText, false, from))
        return badTime(fromText);
    if (haveTo && !parse(toText, true, to))
        return badTime(toText);

    RecordReadFailure failure;
    const auto image = OpenRecordImage(c.args[0], &failure);
    if (!image)
        return FailRecordRead(c, c.args[0], failure);
    const RecordPoints points(*image);
    const PointRange range = points.Between(from, to);
    if (range.Empty()) {
        if (!haveFrom && !haveTo)
            return Fail(c, c.args[0] + ": the record holds no data point");
        return Fail(c, c.args[0] + ": no data point between " +
                           (haveFrom ? fromText : std::string("the start")) + " and " +
                           (haveTo ? toText : std::string("the end")));
    }
    const auto stats = ComputeRecordStatistics(*image, range);
    if (!stats)
        return Fail(c, c.args[0] + ": statistics were not computed");

    const RecordStatistics& s = *stats;
    const std::vector<Field> top = {{"points", std::to_string(s.Points())},
                                    {"start", points.TimeText(s.range.first), true},
                                    {"end", points.TimeText(s.range.Last()), true},
                                    {"duration", OneDecimal(s.DurationSeconds())}};
    const std::vector<Group> groups = {
        {"ch1", ChannelFields(s, points, 0)},
        {"ch2", ChannelFields(s, points, 1)},
        {"difference",
         {{"min", std::to_string(s.difference.min)},
          {"max", std::to_string(s.difference.max)},
          {"mean", TwoDecimals(s.DifferenceMean())}}},
        {"unbalance",
         {{"max", std::to_string(s.unbalance.max)}, {"mean", TwoDecimals(s.UnbalanceMean())}}}};
    std::vector<Group> sampleGroups;
    if (s.hasSamples)
        sampleGroups = {{"ch1", SampleFields(s, 0)}, {"ch2", SampleFields(s, 1)}};
    if (json)
        PrintJson(c.out, top, groups, sampleGroups);
    else
        PrintText(c.out, top, groups, sampleGroups);
    return kExitOk;
}

} // namespace zel::cli
