#include "CueSheet.h"

#include "TextForms.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace rip32
{

namespace
{

bool ValidUtf8(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int more = 0;
        uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            more = 1, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + more >= s.size()) return false;
        for (int k = 1; k <= more; ++k) {
            const auto n = static_cast<unsigned char>(s[i + k]);
            if ((n & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (n & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are no UTF-8.
        static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += static_cast<size_t>(more) + 1;
    }
    return true;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool Utf16ToUtf8(const std::string& bytes, bool bigEndian, std::string& out)
{
    if (bytes.size() % 2 != 0) return false;
    auto unit = [&](size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? static_cast<uint32_t>(a << 8 | b) : static_cast<uint32_t>(b << 8 | a);
    };
    for (size_t i = 2; i < bytes.size(); i += 2) {
        uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 2 >= bytes.size()) return false;
            const uint32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return false;
        }
        AppendUtf8(out, cp);
    }
    return true;
}

bool Decode(const std::string& bytes, std::string& text, SheetEncoding& encoding)
{
    auto starts = [&](const char* bom, size_t n) { return bytes.compare(0, n, bom, n) == 0; };
    if (starts("\xEF\xBB\xBF", 3)) {
        text = bytes.substr(3);
        encoding = SheetEncoding::Utf8;
        return ValidUtf8(text);
    }
    if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2)) {
        encoding = SheetEncoding::Utf16;
        return Utf16ToUtf8(bytes, bytes[0] == '\xFE', text);
    }
    text = bytes;
    encoding = ValidUtf8(text) ? SheetEncoding::Utf8 : SheetEncoding::Legacy;
    return true;
}

struct Token {
    std::string text;
    bool quoted = false;
};

bool Tokenize(const std::string& line, std::vector<Token>& tokens)
{
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        Token t;
        if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            if (close == std::string::npos) return false;
            t.text = line.substr(i + 1, close - i - 1);
            t.quoted = true;
            i = close + 1;
        } else {
            const size_t end = line.find_first_of(" \t", i);
            t.text = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
            i = end == std::string::npos ? line.size() : end;
        }
        tokens.push_back(std::move(t));
    }
    return true;
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool AllDigits(const std::string& s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

// An ISRC: country (2 letters), owner (3 letters or digits), year (2 digits), number (5 digits);
// written plain or with dashes between the parts.
bool NormalIsrc(const std::string& text, std::string& isrc)
{
    std::string s = text;
    if (s.size() == 15 && s[2] == '-' && s[6] == '-' && s[9] == '-')
        s = s.substr(0, 2) + s.substr(3, 3) + s.substr(7, 2) + s.substr(10);
    if (!IsIsrc(s)) return false;
    isrc = s;
    return true;
}

std::string Two(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

const char* const kTextKeywords[] = {"TITLE",     "PERFORMER", "SONGWRITER", "COMPOSER",
                                     "ARRANGER",  "MESSAGE",   "DISC_ID",    "GENRE",
                                     "TOC_INFO1", "TOC_INFO2", "UPC_EAN",    "SIZE_INFO"};
const char* const kFlags[] = {"DCP", "4CH", "PRE", "SCMS", "DATA"};

class Parser
{
public:
    explicit Parser(CueSheet& sheet) : sheet_(sheet) {}

    bool Run(const std::string& text, CueError& error)
    {
        size_t pos = 0;
        int number = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            pos = end + 1;
            ++number;
            line_ = number;
            if (!Line(line)) {
                error = {failLine_ ? failLine_ : number, why_};
                return false;
            }
        }
        line_ = number;
        if (!End()) {
            error = {failLine_ ? failLine_ : number, why_};
            return false;
        }
        return true;
    }

private:
    bool Fail(std::string why, int line = 0)
    {
        why_ = std::move(why);
        failLine_ = line;
        return false;
    }

    CueTrack* Track() { return sheet_.tracks.empty() ? nullptr : &sheet_.tracks.back(); }

    // Every track needs its INDEX 01 before the next one begins.
    bool TrackComplete()
    {
        const CueTrack* t = Track();
        if (!t) return true;
        for (const CueIndex& i : t->indexes)
            if (i.number == 1) return true;
        return Fail("track " + Two(t->number) + " has no INDEX 01", t->line);
    }

    bool Line(const std::string& line)
    {
        std::vector<Token> tokens;
        if (!Tokenize(line, tokens)) return Fail("a quotation mark is not closed");
        if (tokens.empty()) return true;
        if (tokens[0].quoted) return Fail("a line must start with a keyword");
        const std::string key = Upper(tokens[0].text);
        if (key == "REM") {
            const size_t at = line.find_first_not_of(" \t", line.find_first_not_of(" \t") + 3);
            Fields().emplace_back("REM", at == std::string::npos ? "" : line.substr(at));
            return true;
        }
        if (key == "CATALOG") return Catalog(tokens);
        if (key == "CDTEXTFILE") return CdTextFile(tokens);
        if (key == "FILE") return File(tokens);
        if (key == "TRACK") return TrackLine(tokens);
        if (key == "INDEX") return Index(tokens);
        if (key == "FLAGS") return Flags(tokens);
        if (key == "ISRC") return Isrc(tokens);
        if (key == "PREGAP" || key == "POSTGAP") return Gap(key, tokens);
        for (const char* k : kTextKeywords) {
            if (key == k) {
                std::string value;
                for (size_t i = 1; i < tokens.size(); ++i)
                    value += (i > 1 ? " " : "") + tokens[i].text;
                Fields().emplace_back(key, value);
                return true;
            }
        }
        return Fail("unknown keyword \"" + tokens[0].text + "\"");
    }

    std::vector<CueField>& Fields() { return Track() ? Track()->fields : sheet_.fields; }

    bool Catalog(const std::vector<Token>& tokens)
    {
        if (!sheet_.catalog.empty()) return Fail("CATALOG appears a second time");
        if (Track()) return Fail("CATALOG must come before the first TRACK");
        if (tokens.size() != 2) return Fail("CATALOG needs one 13-digit number");
        if (tokens[1].text.size() != 13 || !AllDigits(tokens[1].text))
            return Fail("CATALOG \"" + tokens[1].text + "\" is not 13 digits");
        sheet_.catalog = tokens[1].text;
        return true;
    }

    bool CdTextFile(const std::vector<Token>& tokens)
    {
        if (!sheet_.cdTextFile.empty()) return Fail("CDTEXTFILE appears a second time");
        if (Track()) return Fail("CDTEXTFILE must come before the first TRACK");
        if (tokens.size() != 2 || tokens[1].text.empty()) return Fail("CDTEXTFILE needs a name");
        sheet_.cdTextFile = tokens[1].text;
        return true;
    }

    bool File(const std::vector<Token>& tokens)
    {
        if (tokens.size() < 3 || (tokens[1].quoted && tokens.size() != 3))
            return Fail("FILE needs a file name and a type");
        CueFile file;
        for (size_t i = 1; i + 1 < tokens.size(); ++i)
            file.name += (i > 1 ? " " : "") + tokens[i].text;
        file.type = Upper(tokens.back().text);
        file.line = line_;
        if (file.name.empty()) return Fail("FILE names no file");
        if (file.name.find('<') != std::string::npos && file.name.find('>') != std::string::npos)
            return Fail("FILE \"" + file.name + "\" is a placeholder, not a file name");
        static const char* const kTypes[] = {"BINARY", "MOTOROLA", "WAVE", "FLAC", "AIFF", "MP3"};
        if (std::none_of(std::begin(kTypes), std::end(kTypes),
                         [&](const char* t) { return file.type == t; }))
            return Fail("unknown FILE type \"" + tokens.back().text + "\"");
        sheet_.files.push_back(std::move(file));
        lastPosition_ = -1;
        return true;
    }

    bool TrackLine(const std::vector<Token>& tokens)
    {
        if (sheet_.files.empty()) return Fail("TRACK before any FILE line");
        if (tokens.size() != 3) return Fail("TRACK needs a number and a type");
        const std::string& n = tokens[1].text;
        if (!AllDigits(n) || n.size() > 3 || std::stoi(n) < 1 || std::stoi(n) > 99)
            return Fail("track number \"" + n + "\" is not a number from 1 to 99");
        if (!TrackComplete()) return false;
        const int number = std::stoi(n);
        if (Track() && number != Track()->number + 1)
            return Fail("track " + Two(number) + " follows track " + Two(Track()->number) +
                        " (track numbers count up by one)");
        static const char* const kModes[] = {"AUDIO",      "CDG",        "MODE1/2048", "MODE1/2352",
                                             "MODE2/2048", "MODE2/2324", "MODE2/2336", "MODE2/2352",
                                             "CDI/2336",   "CDI/2352"};
        const std::string mode = Upper(tokens[2].text);
        if (std::none_of(std::begin(kModes), std::end(kModes),
                         [&](const char* m) { return mode == m; }))
            return Fail("unknown track type \"" + tokens[2].text + "\"");
        CueTrack track;
        track.number = number;
        track.mode = mode;
        track.line = line_;
        sheet_.tracks.push_back(std::move(track));
        return true;
    }

    bool Index(const std::vector<Token>& tokens)
    {
        CueTrack* t = Track();
        if (!t) return Fail("INDEX before any TRACK line");
        if (tokens.size() != 3) return Fail("INDEX needs a number and a position (mm:ss:ff)");
        const std::string& n = tokens[1].text;
        if (!AllDigits(n) || n.size() > 3)
            return Fail("index number \"" + n + "\" is not a number");
        const int number = std::stoi(n);
        if (number > 99) return Fail("index number " + n + " is over 99");
        if (t->indexes.empty() && number > 1)
            return Fail("the first index of track " + Two(t->number) + " is " + Two(number) +
                        "; it must be 00 or 01");
        if (!t->indexes.empty() && number != t->indexes.back().number + 1)
            return Fail("INDEX " + Two(number) + " follows INDEX " + Two(t->indexes.back().number) +
                        " (index numbers count up by one)");
        const int64_t frame = ParseMsf(tokens[2].text);
        if (frame < 0) return Fail("index position \"" + tokens[2].text + "\" is not mm:ss:ff");
        if (frame <= lastPosition_)
            return Fail("INDEX " + Two(number) + " at " + tokens[2].text +
                        " is not after the index before it in the same file");
        if (sheet_.tracks.size() == 1 && t->indexes.empty() && frame != 0)
            return Fail("the first track begins at " + tokens[2].text +
                        " of its file, not at 00:00:00: the audio before it is on no track");
        lastPosition_ = frame;
        t->indexes.push_back({number, frame, sheet_.files.size() - 1, line_});
        return true;
    }

    bool Flags(const std::vector<Token>& tokens)
    {
        CueTrack* t = Track();
        if (!t || !t->indexes.empty()) return Fail("FLAGS belong after TRACK, before its INDEX");
        if (t->hasFlags) return Fail("FLAGS appear a second time in track " + Two(t->number));
        if (tokens.size() < 2) return Fail("FLAGS names no flag");
        for (size_t i = 1; i < tokens.size(); ++i) {
            const std::string f = Upper(tokens[i].text);
            if (std::none_of(std::begin(kFlags), std::end(kFlags),
                             [&](const char* k) { return f == k; }))
                return Fail("unknown flag \"" + tokens[i].text + "\"");
            t->flags.push_back(f);
        }
        t->hasFlags = true;
        return true;
    }

    bool Isrc(const std::vector<Token>& tokens)
    {
        CueTrack* t = Track();
        if (!t || !t->indexes.empty()) return Fail("ISRC belongs after TRACK, before its INDEX");
        if (!t->isrc.empty()) return Fail("ISRC appears a second time in track " + Two(t->number));
        if (tokens.size() != 2) return Fail("ISRC needs one code");
        if (!NormalIsrc(tokens[1].text, t->isrc))
            return Fail("ISRC \"" + tokens[1].text + "\" is not a valid code (CCOOOYYNNNNN)");
        return true;
    }

    bool Gap(const std::string& key, const std::vector<Token>& tokens)
    {
        CueTrack* t = Track();
        if (!t) return Fail(key + " before any TRACK line");
        const bool pre = key == "PREGAP";
        bool hasOne = false;
        for (const CueIndex& i : t->indexes)
            hasOne = hasOne || i.number == 1;
        if (pre && !t->indexes.empty()) return Fail("PREGAP belongs before the track's INDEX");
        if (!pre && !hasOne) return Fail("POSTGAP belongs after the track's INDEX 01");
        int64_t& gap = pre ? t->pregap : t->postgap;
        if (gap != 0) return Fail(key + " appears a second time in track " + Two(t->number));
        if (tokens.size() != 2) return Fail(key + " needs a length (mm:ss:ff)");
        const int64_t frames = ParseMsf(tokens[1].text);
        if (frames <= 0) return Fail(key + " length \"" + tokens[1].text + "\" is not mm:ss:ff");
        gap = frames;
        return true;
    }

    bool End()
    {
        if (line_ == 0) return Fail("the sheet is empty");
        if (sheet_.files.empty()) return Fail("the sheet names no FILE");
        if (sheet_.tracks.empty()) return Fail("the sheet has no TRACK");
        return TrackComplete();
    }

    CueSheet& sheet_;
    int line_ = 0;
    int failLine_ = 0;
    std::string why_;
    int64_t lastPosition_ = -1; // of the last INDEX in the current file
};

} // namespace

int64_t ParseMsf(const std::string& text)
{
    int64_t parts[3] = {};
    size_t pos = 0;
    for (int k = 0; k < 3; ++k) {
        const size_t end = k < 2 ? text.find(':', pos) : text.size();
        if (end == std::string::npos) return -1;
        const std::string part = text.substr(pos, end - pos);
        if (!AllDigits(part) || part.size() > (k == 0 ? 3u : 2u)) return -1;
        parts[k] = std::stoll(part);
        pos = end + 1;
    }
    if (parts[1] >= 60 || parts[2] >= 75) return -1;
    return (parts[0] * 60 + parts[1]) * 75 + parts[2];
}

bool ParseCueSheet(const std::string& bytes, CueSheet& sheet, CueError& error)
{
    sheet = CueSheet{};
    std::string text;
    if (!Decode(bytes, text, sheet.encoding)) {
        error = {0, sheet.encoding == SheetEncoding::Utf16 ? "the sheet is not valid UTF-16"
                                                           : "the sheet is not valid UTF-8"};
        return false;
    }
    Parser parser(sheet);
    return parser.Run(text, error);
}

} // namespace rip32
