#include "KVD_Edit/demo/RadarLineGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <locale>
#include <sstream>

namespace kvdgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::string Num(double v) {
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << v;
    return s.str();
}

void PutLE(std::string &out, size_t at, const void *value, size_t n) {
    // The trace file is little-endian, as is every machine this builds on.
    std::memcpy(&out[at], value, n);
}

struct SEvent {
    double time; // ns, two-way
    double amplitude;
};

// One trace: 128-byte header and the samples, appended to out.
void AppendTrace(std::string &out, const SRadarLine &line, int t, uint32_t &rng) {
    const size_t at = out.size();
    out.resize(at + 128 + size_t(line.samples) * 2, '\0');

    // Header fields read by the radar line library and the GPS code.
    if (line.tracePositions) {
        const float number = static_cast<float>(t + 1);
        const float position = static_cast<float>(line.start + t * line.step);
        PutLE(out, at + 0, &number, 4);
        PutLE(out, at + 4, &position, 4);
    }
    const float topo = 0;
    PutLE(out, at + 12, &topo, 4);
    if (line.gpsType != 0) {
        const double x = line.x0 + t * line.dx, y = line.y0 + t * line.dy,
                     z = line.z0 + t * line.dz;
        PutLE(out, at + 32, &x, 8);
        PutLE(out, at + 40, &y, 8);
        PutLE(out, at + 48, &z, 8);
    }
    std::string comment;
    bool hasComment = false;
    if (std::find(line.skipTraces.begin(), line.skipTraces.end(), t) != line.skipTraces.end()) {
        out[at + 88] = static_cast<char>(out[at + 88] | 4);
        if (!line.skipComment.empty()) {
            comment = line.skipComment;
            hasComment = true;
        }
    }
    for (const auto &f : line.fiducials)
        if (f.first == t) {
            comment = f.second;
            hasComment = true;
        }
    if (hasComment) {
        const float flag = 1.0f;
        PutLE(out, at + 96, &flag, 4);
        std::memcpy(&out[at + 100], comment.data(), std::min<size_t>(comment.size(), 28));
    }

    std::vector<int16_t> trace(static_cast<size_t>(line.samples), 0);
    int16_t *samples = trace.data();
    if (!line.synthetic) {
        for (int s = 0; s < line.samples; ++s)
            samples[s] = static_cast<int16_t>((s * 7 + t * 13) % 2001 - 1000);
    } else {
        const double dt = line.timeWindow / line.samples; // ns per sample
        const double t0 = line.timeZero * dt;
        const double x = t * line.step;
        const double length = std::max(1.0, line.traces * line.step);
        const double v = 0.1; // m/ns
        std::vector<SEvent> events;
        events.push_back({t0, 30000});
        // Layers: one flat, one dipping, one gently undulating.
        events.push_back({t0 + 0.25 * line.timeWindow, 9000});
        events.push_back({t0 + (0.4 + 0.15 * x / length) * line.timeWindow, 6000});
        events.push_back(
            {t0 + (0.6 + 0.03 * std::sin(6 * kPi * x / length)) * line.timeWindow, 4000});
        // Point diffractors: hyperbolae t(x) = sqrt(tp^2 + (2 (x - xp) / v)^2).
        const double points[3][2] = {{0.25, 0.18}, {0.55, 0.32}, {0.8, 0.5}};
        for (const auto &p : points) {
            const double xp = p[0] * length, tp = p[1] * line.timeWindow;
            const double tt = std::sqrt(tp * tp + std::pow(2 * (x - xp) / v, 2));
            events.push_back({t0 + tt, 7000 * tp / tt});
        }
        const double f = std::max(line.frequency, 1.0) / 1000.0; // GHz
        std::vector<double> acc(static_cast<size_t>(line.samples), 0.0);
        const int half = static_cast<int>(std::ceil(1.5 / f / dt));
        for (const auto &e : events) {
            const int centre = static_cast<int>(std::lround(e.time / dt));
            const double gainLoss = std::exp(-e.time / line.timeWindow);
            for (int s = std::max(0, centre - half); s <= std::min(line.samples - 1, centre + half);
                 ++s) {
                const double tau = s * dt - e.time;
                const double a = kPi * kPi * f * f * tau * tau;
                acc[size_t(s)] += e.amplitude * gainLoss * (1 - 2 * a) * std::exp(-a);
            }
        }
        for (int s = 0; s < line.samples; ++s) {
            rng = rng * 1664525u + 1013904223u;
            const double noise = (double(rng >> 16) / 65536.0 - 0.5) * 200;
            const double value = std::clamp(acc[size_t(s)] + noise, -32768.0, 32767.0);
            samples[s] = static_cast<int16_t>(std::lround(value));
        }
    }
    std::memcpy(&out[at + 128], samples, size_t(line.samples) * 2);
}

} // namespace

std::string RadarHeaderText(const SRadarLine &line) {
    const std::string eol = line.crlf ? "\r\n" : "\n";
    std::ostringstream h;
    h.imbue(std::locale::classic());
    h << line.firstLine << eol;
    for (const auto &title : line.titles)
        h << title << eol;
    h << line.date << eol;
    auto key = [&](const char *k, const std::string &value) {
        h << std::left << std::setw(18) << k << " = " << value << eol;
    };
    key("NUMBER OF TRACES", std::to_string(line.traces));
    key("NUMBER OF PTS/TRC", std::to_string(line.samples));
    key("TIMEZERO AT POINT", std::to_string(line.timeZero));
    key("TOTAL TIME WINDOW", Num(line.timeWindow));
    key("STARTING POSITION", Num(line.start));
    key("FINAL POSITION", Num(line.start + (line.traces - 1) * line.step));
    key("STEP SIZE USED", Num(line.step));
    key("POSITION UNITS", line.unit);
    key("NOMINAL FREQUENCY", Num(line.frequency));
    key("ANTENNA SEPARATION", Num(line.antennaSeparation));
    key("PULSER VOLTAGE (V)", Num(line.pulserVoltage));
    key("NUMBER OF STACKS", std::to_string(line.stacks));
    key("SURVEY MODE", line.surveyMode);
    if (line.gpsType == 2)
        h << "X Y Z POSITIONS ADDED - UTM Zone " << line.utmZone << eol;
    else if (line.gpsType == 3)
        h << "X Y Z POSITIONS ADDED - LatLong" << eol;
    for (const auto &extra : line.extraHeaderLines)
        h << extra << eol;
    return h.str();
}

std::string RadarTraceBytes(const SRadarLine &line) {
    std::string out;
    out.reserve(size_t(std::max(line.traces, 0)) * (128 + size_t(std::max(line.samples, 0)) * 2));
    uint32_t rng = line.seed;
    for (int t = 0; t < line.traces; ++t)
        AppendTrace(out, line, t, rng);
    return out;
}

bool WriteRadarTraceFile(const std::string &path, const SRadarLine &line) {
    std::ofstream dt1(path, std::ios::binary | std::ios::trunc);
    if (!dt1)
        return false;
    uint32_t rng = line.seed;
    std::string chunk;
    for (int t = 0; t < line.traces; ++t) {
        AppendTrace(chunk, line, t, rng);
        if (chunk.size() >= (1u << 22)) {
            dt1.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            chunk.clear();
        }
    }
    dt1.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    return static_cast<bool>(dt1.flush());
}

bool WriteRadarLine(const std::string &base, const SRadarLine &line) {
    std::ofstream hd(base + line.hdExtension, std::ios::binary | std::ios::trunc);
    if (!hd)
        return false;
    const std::string text = RadarHeaderText(line);
    hd.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!hd.flush())
        return false;
    return WriteRadarTraceFile(base + line.dt1Extension, line);
}

} // namespace kvdgen
