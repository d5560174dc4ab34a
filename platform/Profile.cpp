#include "Profile.h"

#include "LastError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plat
{

namespace
{

struct Line {
    std::string text; // without its line end
    std::string end;  // "\n", "\r\n" or "" for a last line without one
};

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

bool ReadLines(const char* fileName, std::vector<Line>& lines)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string all = ss.str();
    size_t pos = 0;
    while (pos < all.size()) {
        size_t nl = all.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.text = all.substr(pos);
            pos = all.size();
        } else {
            line.text = all.substr(pos, nl - pos);
            line.end = "\n";
            pos = nl + 1;
        }
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.end = "\r" + line.end;
        }
        lines.push_back(std::move(line));
    }
    return true;
}

// The section name of a "[name]" line, or false when the line is no section header.
bool SectionName(const std::string& text, std::string& name)
{
    std::string t = Trim(text);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// Splits "key=value"; false for lines without "=".
bool KeyValue(const std::string& text, std::string& key, std::string& value)
{
    size_t eq = text.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(text.substr(0, eq));
    value = Trim(text.substr(eq + 1));
    return true;
}

std::string Unquote(const std::string& v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

uint32_t CopyOut(const std::string& value, char* buffer, uint32_t size)
{
    if (!buffer || size == 0) return 0;
    size_t n = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return static_cast<uint32_t>(n);
}

// The file a name stands for: a symbolic link is followed to its target (also one that does
// not exist yet), so the link itself survives the write.
std::string ResolveLinks(const std::string& fileName)
{
    std::string path = fileName;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {
        };
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::vector<char> target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
        const ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size()) return path;
        std::string next(target.data(), static_cast<size_t>(n));
        if (next.front() != '/') {
            const size_t slash = path.rfind('/');
            if (slash != std::string::npos) next = path.substr(0, slash + 1) + next;
        }
        path = next;
    }
    return path;
}

bool WriteLines(const char* fileName, const std::vector<Line>& lines)
{
    const std::string target = ResolveLinks(fileName);
    struct stat info {
    };
    const bool exists = stat(target.c_str(), &info) == 0;
    // A file without its owner's write bit is read-only, as on Windows, also for root.
    if (exists && !(info.st_mode & S_IWUSR)) {
        SetLastError(kErrorAccessDenied);
        return false;
    }
    // Written beside the file and renamed over it, so a failed write never leaves half a file.
    std::string tmp = target + ".tmp" + std::to_string(getpid());
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    bool ok = true;
    if (exists) {
        // The replacement keeps the file's mode; its owner only where we may give it away.
        ok = fchmod(fileno(f), info.st_mode & 07777) == 0;
        [[maybe_unused]] const int owned = fchown(fileno(f), info.st_uid, info.st_gid);
    }
    for (const Line& l : lines) {
        ok = ok && std::fwrite(l.text.data(), 1, l.text.size(), f) == l.text.size();
        ok = ok && std::fwrite(l.end.data(), 1, l.end.size(), f) == l.end.size();
    }
    ok = (std::fflush(f) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(tmp.c_str(), target.c_str()) != 0) {
        SetLastErrorFromErrno(errno);
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace

uint32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                 char* buffer, uint32_t size, const char* fileName)
{
    std::string fallback = Trim(defaultValue ? defaultValue : "");
    std::vector<Line> lines;
    if (!section || !key || !fileName || !ReadLines(fileName, lines))
        return CopyOut(fallback, buffer, size);

    bool inSection = false;
    for (const Line& l : lines) {
        std::string name, k, v;
        if (SectionName(l.text, name)) {
            inSection = SameName(name, section);
        } else if (inSection && KeyValue(l.text, k, v) && SameName(k, key)) {
            return CopyOut(Unquote(v), buffer, size);
        }
    }
    return CopyOut(fallback, buffer, size);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* fileName)
{
    if (!section || !fileName) {
        SetLastError(kErrorInvalidParameter);
        return false;
    }
    std::vector<Line> lines;
    ReadLines(fileName, lines);
    std::string eol = "\n";
    for (const Line& l : lines)
        if (!l.end.empty()) {
            eol = l.end;
            break;
        }

    // Find the section and, within it, the key and the last non-blank line.
    size_t sectionLine = lines.size(), sectionEnd = lines.size(), keyLine = lines.size();
    size_t lastContent = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name, k, v;
        if (SectionName(lines[i].text, name)) {
            if (sectionLine != lines.size()) {
                sectionEnd = i;
                break;
            }
            if (SameName(name, section)) {
                sectionLine = i;
                lastContent = i;
            }
        } else if (sectionLine != lines.size()) {
            if (!Trim(lines[i].text).empty()) lastContent = i;
            if (key && keyLine == lines.size() && KeyValue(lines[i].text, k, v) && SameName(k, key))
                keyLine = i;
        }
    }

    if (!key) { // delete the whole section
        if (sectionLine == lines.size()) return true;
        lines.erase(lines.begin() + static_cast<long>(sectionLine),
                    lines.begin() + static_cast<long>(sectionEnd));
        return WriteLines(fileName, lines);
    }
    if (!value) { // delete the key
        if (keyLine == lines.size()) return true;
        lines.erase(lines.begin() + static_cast<long>(keyLine));
        return WriteLines(fileName, lines);
    }

    Line entry{std::string(key) + "=" + value, eol};
    if (keyLine != lines.size()) {
        entry.end = lines[keyLine].end.empty() ? eol : lines[keyLine].end;
        lines[keyLine] = entry;
    } else if (sectionLine != lines.size()) {
        if (lines[lastContent].end.empty()) lines[lastContent].end = eol;
        lines.insert(lines.begin() + static_cast<long>(lastContent) + 1, entry);
    } else {
        if (!lines.empty() && lines.back().end.empty()) lines.back().end = eol;
        lines.push_back(Line{"[" + std::string(section) + "]", eol});
        lines.push_back(entry);
    }
    return WriteLines(fileName, lines);
}

} // namespace plat
