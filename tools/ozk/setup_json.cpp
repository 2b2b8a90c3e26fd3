#include "setup_json.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

using nlohmann::json;

namespace {

// ---- writing

std::string floatText(float v) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

std::string sampleLine(const StoredSample& s) {
    std::string notes;
    for (std::size_t i = 0; i < s.notes.size(); ++i) {
        notes += (i ? ", " : "") + std::to_string(s.notes[i]);
    }
    return "{\"on\": " + std::to_string(s.on) + ", \"notes\": [" + notes +
           "], \"program\": " + std::to_string(s.program) +
           ", \"velocity\": " + std::to_string(s.velocity) + ", \"pan\": " + std::to_string(s.pan) +
           ", \"duration\": " + std::to_string(s.duration) + "}";
}

// ---- reading

struct Invalid {
    std::string message;
};

std::string describe(const json& v) {
    if (v.is_string()) {
        return "the text " + v.dump();
    }
    if (v.is_boolean()) {
        return v.dump();
    }
    if (v.is_null()) {
        return "null";
    }
    if (v.is_array()) {
        return "a list";
    }
    if (v.is_object()) {
        return "an object";
    }
    return v.dump();
}

class ObjectReader {
public:
    ObjectReader(const json& object, std::string path, std::set<std::string> allowedExtra = {})
        : object_(object), path_(std::move(path)) {
        if (!object.is_object()) {
            throw Invalid{where() + "expected an object, got " + describe(object)};
        }
        for (const auto& [key, value] : object.items()) {
            (void)value;
            known_.insert(key);
        }
        for (const auto& key : allowedExtra) {
            known_.erase(key);
        }
    }

    // Call once every key has been taken.
    void finish() const {
        if (!known_.empty()) {
            throw Invalid{where() + "unknown key \"" + *known_.begin() + "\""};
        }
    }

    const json& take(const std::string& key) {
        const auto it = object_.find(key);
        if (it == object_.end()) {
            throw Invalid{where() + "missing key \"" + key + "\""};
        }
        known_.erase(key);
        return *it;
    }

    std::int64_t integer(const std::string& key, std::int64_t lo, std::int64_t hi) {
        const json& v = take(key);
        return integerValue(v, path(key), lo, hi);
    }

    std::string path(const std::string& key) const {
        return path_.empty() ? key : path_ + "." + key;
    }

    static std::int64_t integerValue(const json& v, const std::string& at, std::int64_t lo,
                                     std::int64_t hi) {
        const bool inRange =
            (v.is_number_unsigned() && v.get<std::uint64_t>() <= static_cast<std::uint64_t>(hi) &&
             static_cast<std::int64_t>(v.get<std::uint64_t>()) >= lo) ||
            (v.is_number_integer() && !v.is_number_unsigned() && v.get<std::int64_t>() >= lo &&
             v.get<std::int64_t>() <= hi);
        if (!inRange) {
            throw Invalid{at + ": expected a whole number from " + std::to_string(lo) + " to " +
                          std::to_string(hi) + ", got " + describe(v)};
        }
        return v.is_number_unsigned() ? static_cast<std::int64_t>(v.get<std::uint64_t>())
                                      : v.get<std::int64_t>();
    }

private:
    std::string where() const { return path_.empty() ? "" : path_ + ": "; }

    const json& object_;
    std::string path_;
    std::set<std::string> known_;
};

template <class T>
constexpr std::int64_t lowest() {
    return std::numeric_limits<T>::min();
}
template <class T>
constexpr std::int64_t highest() {
    return std::numeric_limits<T>::max();
}

const json& list(ObjectReader& r, const std::string& key, std::size_t count) {
    const json& v = r.take(key);
    if (!v.is_array() || v.size() != count) {
        throw Invalid{r.path(key) + ": expected a list of " + std::to_string(count) +
                      (count == measureCount ? " measures" : " samples") + ", got " +
                      (v.is_array() ? "a list of " + std::to_string(v.size()) : describe(v))};
    }
    return v;
}

StoredSample readSample(const json& v, const std::string& at) {
    ObjectReader r(v, at);
    StoredSample s;
    s.on = static_cast<std::uint16_t>(r.integer("on", 0, highest<std::uint16_t>()));
    const json& notes = r.take("notes");
    if (!notes.is_array()) {
        throw Invalid{r.path("notes") + ": expected a list of whole numbers, got " +
                      describe(notes)};
    }
    for (std::size_t i = 0; i < notes.size(); ++i) {
        s.notes.push_back(static_cast<std::int32_t>(
            ObjectReader::integerValue(notes[i], r.path("notes") + "[" + std::to_string(i) + "]",
                                       lowest<std::int32_t>(), highest<std::int32_t>())));
    }
    s.program = static_cast<std::int16_t>(
        r.integer("program", lowest<std::int16_t>(), highest<std::int16_t>()));
    s.velocity = static_cast<std::int16_t>(
        r.integer("velocity", lowest<std::int16_t>(), highest<std::int16_t>()));
    s.pan = static_cast<std::int16_t>(
        r.integer("pan", lowest<std::int16_t>(), highest<std::int16_t>()));
    s.duration = static_cast<std::int16_t>(
        r.integer("duration", lowest<std::int16_t>(), highest<std::int16_t>()));
    r.finish();
    return s;
}

void readSetup(const json& root, SetupFileContents& c) {
    ObjectReader r(root, "", {"fileVersion"});
    c.tempoUnit = static_cast<std::uint16_t>(r.integer("tempoUnit", 0, 1));
    const json& tempo = r.take("tempoBpm");
    if (!tempo.is_number() || !(tempo.get<double>() >= minTempoBpm) ||
        !(tempo.get<double>() <= maxTempoBpm)) {
        throw Invalid{"tempoBpm: expected a number from 0.5 to 10000000, got " + describe(tempo)};
    }
    c.tempoBpm = tempo.get<double>();
    c.deviceId =
        static_cast<std::int32_t>(r.integer("deviceId", PORT_NOT_FOUND_ID, maxPortDevices - 1));
    c.channel = static_cast<std::uint16_t>(r.integer("channel", 1, channelCount));
    c.editMeasure = static_cast<std::int16_t>(r.integer("editMeasure", 0, measureCount - 1));
    c.mute = static_cast<std::int32_t>(
        r.integer("mute", lowest<std::int32_t>(), highest<std::int32_t>()));
    c.baseColor = static_cast<std::uint32_t>(r.integer("baseColor", 0, highest<std::uint32_t>()));
    c.windowLeft = static_cast<std::int32_t>(
        r.integer("windowLeft", lowest<std::int32_t>(), highest<std::int32_t>()));
    c.windowTop = static_cast<std::int32_t>(
        r.integer("windowTop", lowest<std::int32_t>(), highest<std::int32_t>()));
    c.measureLength =
        static_cast<std::int32_t>(r.integer("measureLength", 1, samplesPerMeasureMax));
    c.polyphonic = static_cast<std::int32_t>(
        r.integer("polyphonic", lowest<std::int32_t>(), highest<std::int32_t>()));
    c.volume = static_cast<std::int16_t>(
        r.integer("volume", lowest<std::int16_t>(), highest<std::int16_t>()));
    c.transpose = static_cast<std::int16_t>(
        r.integer("transpose", lowest<std::int16_t>(), highest<std::int16_t>()));
    const json& port = r.take("portName");
    if (!port.is_string()) {
        throw Invalid{"portName: expected text, got " + describe(port)};
    }
    c.portName = port.get<std::string>();

    const json& measures = list(r, "measures", measureCount);
    for (std::size_t m = 0; m < measureCount; ++m) {
        const std::string at = "measures[" + std::to_string(m) + "]";
        ObjectReader mr(measures[m], at);
        StoredMeasure& measure = c.measures[m];
        measure.nextMeasure =
            static_cast<std::int16_t>(mr.integer("nextMeasure", 0, measureCount - 1));
        measure.repeatCount =
            static_cast<std::int16_t>(mr.integer("repeatCount", 0, highest<std::int16_t>()));
        const json& samples = list(mr, "samples", samplesPerMeasureMax);
        for (std::size_t s = 0; s < samplesPerMeasureMax; ++s) {
            measure.samples[s] = readSample(samples[s], at + ".samples[" + std::to_string(s) + "]");
        }
        mr.finish();
    }
    r.finish();
}

std::string parseErrorText(const json::parse_error& e) {
    // Drop the library's "[json.exception.parse_error.101] " prefix.
    std::string text = e.what();
    const auto close = text.find("] ");
    return close == std::string::npos ? text : text.substr(close + 2);
}

}  // namespace

std::string setupToJson(const SetupFileContents& c) {
    std::string out = "{\n";
    auto field = [&](const char* key, const std::string& value) {
        out += std::string("  \"") + key + "\": " + value + ",\n";
    };
    field("fileVersion", floatText(c.fileVersion));
    field("tempoUnit", std::to_string(c.tempoUnit));
    field("tempoBpm", json(c.tempoBpm).dump());
    field("deviceId", std::to_string(c.deviceId));
    field("channel", std::to_string(c.channel));
    field("editMeasure", std::to_string(c.editMeasure));
    field("mute", std::to_string(c.mute));
    field("baseColor", std::to_string(c.baseColor));
    field("windowLeft", std::to_string(c.windowLeft));
    field("windowTop", std::to_string(c.windowTop));
    field("measureLength", std::to_string(c.measureLength));
    field("polyphonic", std::to_string(c.polyphonic));
    field("volume", std::to_string(c.volume));
    field("transpose", std::to_string(c.transpose));
    field("portName", json(c.portName).dump(-1, ' ', false, json::error_handler_t::replace));
    out += "  \"measures\": [\n";
    for (std::size_t m = 0; m < c.measures.size(); ++m) {
        const StoredMeasure& measure = c.measures[m];
        out += "    {\n      \"nextMeasure\": " + std::to_string(measure.nextMeasure) +
               ",\n      \"repeatCount\": " + std::to_string(measure.repeatCount) +
               ",\n      \"samples\": [\n";
        for (std::size_t s = 0; s < measure.samples.size(); ++s) {
            out += "        " + sampleLine(measure.samples[s]) +
                   (s + 1 < measure.samples.size() ? ",\n" : "\n");
        }
        out += std::string("      ]\n    }") + (m + 1 < c.measures.size() ? ",\n" : "\n");
    }
    out += "  ]\n}\n";
    return out;
}

std::optional<std::string> setupFromJson(const std::string& text, SetupFileContents& contents) {
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        return parseErrorText(e);
    }
    SetupFileContents read = contents;
    try {
        readSetup(root, read);
    } catch (const Invalid& e) {
        return e.message;
    }
    contents = std::move(read);
    return std::nullopt;
}
