#include "TocFiles.h"

#include "support/TestSupport.h"

#include <cstring>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace tocfiles
{

namespace
{

std::string Trim(const std::string& s)
{
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

std::string Unquote(const std::string& s)
{
    if (s.size() >= 2 && s.front() == '"') {
        const size_t end = s.find('"', 1);
        return s.substr(1, end - 1);
    }
    return s.substr(0, s.find(' '));
}

uint32_t Le(const std::vector<unsigned char>& b, size_t at, int bytes, bool big)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        const uint32_t byte = b.at(at + static_cast<size_t>(i));
        v |= byte << (8 * (big ? bytes - 1 - i : i));
    }
    return v;
}

} // namespace

uint32_t ParseMsf(const std::string& text)
{
    static const std::regex msf(R"((\d+):(\d\d):(\d\d))");
    std::smatch m;
    const std::string t = Trim(text);
    if (t == "0") return 0;
    if (!std::regex_match(t, m, msf)) throw std::runtime_error("not mm:ss:ff: " + text);
    const uint32_t s = std::stoul(m[2]), f = std::stoul(m[3]);
    if (s >= 60 || f >= 75) throw std::runtime_error("not mm:ss:ff: " + text);
    return std::stoul(m[1]) * 4500 + s * 75 + f;
}

CueContents ParseCue(const std::string& text)
{
    CueContents cue;
    std::istringstream in(text);
    std::string line, file, type;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty()) continue;
        const std::string word = line.substr(0, line.find(' '));
        const std::string rest = line.size() > word.size() ? Trim(line.substr(word.size())) : "";
        if (word == "REM") {
            cue.remarks.push_back(rest);
        } else if (word == "FILE") {
            file = Unquote(rest);
            type = Trim(rest.substr(rest.rfind(' ') + 1));
        } else if (word == "TRACK") {
            CueEntry e;
            e.number = std::stoi(rest);
            e.audio = rest.find("AUDIO") != std::string::npos;
            e.file = file;
            e.fileType = type;
            cue.tracks.push_back(e);
        } else if (word == "INDEX") {
            if (cue.tracks.empty()) throw std::runtime_error("INDEX before TRACK");
            const int n = std::stoi(rest);
            const uint32_t at = ParseMsf(rest.substr(rest.find(' ') + 1));
            if (n == 1) {
                cue.tracks.back().index01 = at;
                cue.tracks.back().file = file;
            } else if (n == 0) {
                cue.tracks.back().index00 = at;
            }
        } else if (word == "PREGAP") {
            if (cue.tracks.empty()) throw std::runtime_error("PREGAP before TRACK");
            cue.tracks.back().pregap = ParseMsf(rest);
        } else if (word == "FLAGS") {
            std::istringstream flags(rest);
            std::string f;
            while (flags >> f)
                cue.tracks.back().flags.push_back(f);
        } else if (word == "TITLE" || word == "PERFORMER" || word == "ISRC" || word == "CATALOG" ||
                   word == "SONGWRITER" || word == "POSTGAP") {
        } else {
            throw std::runtime_error("unknown CUE line: " + line);
        }
    }
    return cue;
}

verify::DiscToc DiscOfSingleFileCue(const std::string& path, uint32_t leadout)
{
    const CueContents cue = ParseCue(testsupport::ReadFile(path));
    std::vector<verify::TocTrack> tracks;
    for (const CueEntry& e : cue.tracks) {
        verify::TocTrack t;
        t.number = e.number;
        t.start = static_cast<uint32_t>(e.index01);
        t.data = !e.audio;
        tracks.push_back(t);
    }
    auto toc = verify::MakeDiscToc(tracks, leadout);
    if (!toc) throw std::runtime_error("unusable layout in " + path);
    return *toc;
}

CdrdaoSession ParseCdrdaoToc(const std::string& path)
{
    static const std::regex fileLine(R"re(^(?:AUDIO)?FILE\s+"[^"]*"\s+(\S+)(?:\s+(\S+))?)re");
    static const std::regex dataFileLine(R"re(^DATAFILE\s+"[^"]*"\s+(\S+))re");
    CdrdaoSession session;
    std::istringstream in(testsupport::ReadFile(path));
    std::string line;
    uint32_t pos = 0, trackBegin = 0;
    bool open = false;
    std::smatch m;
    while (std::getline(in, line)) {
        line = Trim(line.substr(0, line.find("//")));
        if (line.empty()) continue;
        const std::string word = line.substr(0, line.find(' '));
        const std::string rest = line.size() > word.size() ? Trim(line.substr(word.size())) : "";
        if (word == "TRACK") {
            CdrdaoTrack t;
            t.audio = rest.rfind("AUDIO", 0) == 0;
            trackBegin = pos;
            t.start = pos;
            session.tracks.push_back(t);
            open = true;
        } else if (!open) {
            continue;
        } else if (word == "SILENCE" || word == "ZERO") {
            const size_t space = rest.rfind(' ');
            pos += ParseMsf(space == std::string::npos ? rest : rest.substr(space + 1));
        } else if (word == "PREGAP") {
            pos += ParseMsf(rest);
            session.tracks.back().start = trackBegin + ParseMsf(rest);
        } else if (word == "START") {
            session.tracks.back().start = rest.empty() ? pos : trackBegin + ParseMsf(rest);
        } else if (std::regex_search(line, m, fileLine)) {
            if (!m[2].matched) throw std::runtime_error("a FILE without a length in " + path);
            pos += ParseMsf(m[2]);
        } else if (std::regex_search(line, m, dataFileLine)) {
            pos += ParseMsf(m[1]);
        }
    }
    session.end = pos;
    return session;
}

std::vector<uint8_t> WavPcm(const std::string& path)
{
    const auto b = testsupport::ReadBytes(path);
    if (b.size() < 12) throw std::runtime_error("no WAV file: " + path);
    const bool big = std::memcmp(b.data(), "RIFX", 4) == 0;
    if (!big && std::memcmp(b.data(), "RIFF", 4) != 0)
        throw std::runtime_error("no WAV file: " + path);
    size_t pos = 12;
    while (pos + 8 <= b.size()) {
        const uint32_t size = Le(b, pos + 4, 4, big);
        if (std::memcmp(b.data() + pos, "data", 4) == 0) {
            if (pos + 8 + size > b.size()) throw std::runtime_error("short WAV file: " + path);
            std::vector<uint8_t> pcm(b.begin() + static_cast<long>(pos + 8),
                                     b.begin() + static_cast<long>(pos + 8 + size));
            if (big)
                for (size_t i = 0; i + 1 < pcm.size(); i += 2)
                    std::swap(pcm[i], pcm[i + 1]);
            return pcm;
        }
        pos += 8 + size + (size & 1);
    }
    throw std::runtime_error("no data chunk in " + path);
}

} // namespace tocfiles
