#include "NameTemplate.h"

#include "Utf8Text.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace lookup
{

namespace
{

// A level that is empty, "." or ".." would vanish or climb out of the output folder.
std::string SafeLevel(std::string level)
{
    if (level.empty() || level == "." || level == "..") return "_";
    return level;
}

std::string Field(std::string value)
{
    // A line break or other control character in a name would break the CUE sheet's and the
    // log's lines that name the file.
    for (char& c : value)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
    return SafeLevel(ApplyNameRules(value));
}

std::vector<std::string> Expand(const std::string& tmpl, const DiscMetadata& disc, int first,
                                int number)
{
    const TrackMetadata* track = disc.Track(number, first);
    char two[16];
    std::snprintf(two, sizeof two, "%02d", number);
    std::vector<std::string> levels;
    std::string level;
    bool fromTemplate = false;
    auto close = [&] {
        // "a//b" or a leading "/" in the template adds no level.
        if (!level.empty() || fromTemplate) levels.push_back(SafeLevel(ApplyNameRules(level)));
        level.clear();
        fromTemplate = false;
    };
    for (size_t i = 0; i < tmpl.size(); ++i) {
        const char c = tmpl[i];
        if (c == '/') {
            close();
            continue;
        }
        if (c != '%' || i + 1 == tmpl.size()) {
            level += c;
            continue;
        }
        fromTemplate = true;
        switch (tmpl[++i]) {
        case 't':
            level += two;
            break;
        case 'n':
            level += Field(track ? track->title : std::string());
            break;
        case 'a':
            level += Field(track && !track->artist.empty() ? track->artist : disc.artist);
            break;
        case 'A':
            level += Field(disc.artist);
            break;
        case 'd':
            level += Field(disc.title);
            break;
        case 'y':
            level += Field(disc.year);
            break;
        case '%':
            level += '%';
            break;
        default:
            level += '%';
            level += tmpl[i];
        }
    }
    close();
    if (levels.empty()) levels.push_back(std::string("Track ") + two);
    return levels;
}

size_t Joined(const std::vector<std::string>& levels)
{
    size_t n = levels.size() - 1;
    for (const auto& l : levels)
        n += l.size();
    return n;
}

// Cuts the longest levels at character boundaries until the path fits; false when even one
// character per level does not.
bool Fit(std::vector<std::string>& levels, size_t budget, size_t levelBound, size_t lastBound)
{
    for (size_t i = 0; i < levels.size(); ++i) {
        const size_t bound = i + 1 == levels.size() ? lastBound : levelBound;
        if (levels[i].size() > bound) levels[i] = SafeLevel(Utf8Prefix(levels[i], bound));
    }
    while (Joined(levels) > budget) {
        auto longest =
            std::max_element(levels.begin(), levels.end(),
                             [](const auto& a, const auto& b) { return a.size() < b.size(); });
        const size_t excess = Joined(levels) - budget;
        if (longest->size() <= 1) return false;
        const size_t keep = longest->size() > excess ? longest->size() - excess : 1;
        std::string cut = Utf8Prefix(*longest, std::max<size_t>(keep, 1));
        // A first character longer than the room still has to go whole.
        if (cut.empty()) cut = "_";
        if (cut.size() >= longest->size()) cut = "_";
        *longest = SafeLevel(cut);
    }
    return true;
}

} // namespace

std::string ApplyNameRules(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|')
            c = '_';
    return out;
}

std::vector<OutputName> BuildOutputNames(const std::string& tmpl, const DiscMetadata& disc,
                                         int first, const std::vector<int>& trackNumbers,
                                         const NameLimits& limits)
{
    // output folder + "/" + folders + "/" + name + "." + extension
    const size_t fixed = limits.outputFolderBytes + 2 + limits.extensionBytes;
    const size_t budget = limits.pathBound > fixed ? limits.pathBound - fixed : 0;
    const size_t lastBound = limits.levelBound > limits.extensionBytes + 1
                                 ? limits.levelBound - limits.extensionBytes - 1
                                 : 1;
    std::vector<OutputName> names;
    std::set<std::string> taken;
    for (int number : trackNumbers) {
        std::vector<std::string> levels = Expand(tmpl, disc, first, number);
        std::string key;
        for (int copy = 1;; ++copy) {
            std::vector<std::string> attempt = levels;
            const std::string suffix = copy == 1 ? "" : " (" + std::to_string(copy) + ")";
            const size_t room = budget > suffix.size() ? budget - suffix.size() : 0;
            const size_t lastRoom = lastBound > suffix.size() ? lastBound - suffix.size() : 1;
            if (!Fit(attempt, room, limits.levelBound, lastRoom)) {
                // Not even one character a level: the whole name is its number.
                char fallback[32];
                std::snprintf(fallback, sizeof fallback, "%02d", number);
                attempt = {fallback};
            }
            attempt.back() += suffix;
            key.clear();
            for (const auto& l : attempt)
                key += "/" + l;
            if (taken.insert(key).second) {
                OutputName out;
                out.name = attempt.back();
                attempt.pop_back();
                for (const auto& l : attempt)
                    out.folder += (out.folder.empty() ? "" : "/") + l;
                names.push_back(std::move(out));
                break;
            }
        }
    }
    return names;
}

} // namespace lookup
