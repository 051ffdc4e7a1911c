#include "cli/archive_names.h"

#include <algorithm>

namespace kavu::cli {
namespace {

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t b = 0;;) {
        const std::size_t e = text.find(separator, b);
        parts.push_back(text.substr(b, e == std::string_view::npos ? e : e - b));
        if (e == std::string_view::npos) return parts;
        b = e + 1;
    }
}

bool IsFieldSeparator(char c) {
    return c == '-' || c == ' ' || c == '.';
}

// The fields of a member as written ("q-39-013" has three, "Q39-013" two).
std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsFieldSeparator(text[i]))
            ++i;
        const std::size_t b = i;
        while (i < text.size() && !IsFieldSeparator(text[i]))
            ++i;
        if (i > b) fields.push_back(text.substr(b, i - b));
    }
    return fields;
}

void Widen(SignedFrame& frame, const SignedFrame& more) {
    frame.North = std::max(frame.North, more.North);
    frame.South = std::min(frame.South, more.South);
    frame.West = std::min(frame.West, more.West);
    frame.East = std::max(frame.East, more.East);
}

// The names of a reading once its members are known.
FileSheet Named(std::vector<SheetKey> members, const PublishedSheet* group) {
    FileSheet s;
    s.Scale = members.front().Scale;
    s.Joined = members.size() > 1;
    if (members.size() == 1 && group == nullptr) { // the common case, without the joining
        const SheetKey& key = members.front();
        s.Frame = ComputeSignedFrame(key).value_or(SignedFrame{});
        s.New = Trimmed(FormatSheetNew(key));
        s.Old = Trimmed(FormatSheetOld(key));
        s.Latin = LatinName(key);
        s.Archive = ArchiveName(key);
        s.Members = std::move(members);
        return s;
    }
    std::vector<std::string> news, olds, latins, archives;
    for (const SheetKey& key : members) {
        const SignedFrame f = ComputeSignedFrame(key).value_or(SignedFrame{});
        if (news.empty())
            s.Frame = f;
        else
            Widen(s.Frame, f);
        news.emplace_back(Trimmed(FormatSheetNew(key)));
        olds.emplace_back(Trimmed(FormatSheetOld(key)));
        latins.push_back(LatinName(key));
        archives.push_back(ArchiveName(key));
    }
    if (group != nullptr) { // the series' own spelling and frame of its groups
        s.New = Trimmed(group->New);
        s.Old = Trimmed(group->Old);
        s.Frame = group->Frame;
    } else {
        s.New = JoinNames(news, '-', ",");
        s.Old = JoinNames(olds, '-', ",");
    }
    s.Latin = JoinNames(latins, '-', ",");
    s.Archive = JoinNames(archives, '-', "_");
    s.Members = std::move(members);
    return s;
}

std::vector<SheetKey> MembersOf(const DesignationReading& r) {
    if (!r.Joined) return {r.Key};
    return {r.Published.Members.begin(), r.Published.Members.begin() + r.Published.Count};
}

// Members joined by "_", "+" or "," that the series did not print together, each written in full
// or as the trailing fields that differ from the member before ("q-39-013_014").
bool ReadIrregular(std::string_view text, FileName& out) {
    std::vector<std::string_view> parts;
    for (std::string_view plus : Split(text, '+'))
        for (std::string_view under : Split(plus, '_'))
            for (std::string_view part : Split(under, ','))
                parts.push_back(Trimmed(part));
    if (parts.size() < 2) return false;
    std::vector<std::vector<DesignationReading>> each;
    std::vector<std::string_view> before;
    for (std::string_view part : parts) {
        const auto fields = Fields(part);
        if (fields.empty()) return false;
        std::string full(part);
        if (!before.empty() && fields.size() < before.size()) {
            // The leading fields come from the member before.
            full.clear();
            for (std::size_t i = 0; i + fields.size() < before.size(); ++i)
                full.append(before[i]).push_back('-');
            full += part;
        }
        DesignationResult read = ReadDesignation(full);
        if (!read.Ok()) return false;
        each.push_back(std::move(read.Readings));
        before = fields.size() < before.size() ? before : fields;
    }
    for (const DesignationReading& lead : each.front()) {
        std::vector<SheetKey> members;
        bool all = true;
        for (const auto& readings : each) {
            const auto same = std::find_if(readings.begin(), readings.end(), [&](const auto& r) {
                return r.Key.Scale == lead.Key.Scale;
            });
            if (same == readings.end()) {
                all = false;
                break;
            }
            for (const SheetKey& key : MembersOf(*same))
                members.push_back(key);
        }
        if (!all) continue;
        bool twice = false;
        for (std::size_t i = 0; i < members.size(); ++i)
            for (std::size_t j = 0; j < i; ++j)
                twice = twice || members[i] == members[j];
        if (twice) continue;
        // Written short but still one of the series' groups: a regular joined sheet.
        const auto group = PublishedSheetOf(members.front());
        bool regular = group && group->Count == static_cast<int>(members.size());
        for (std::size_t i = 0; regular && i < members.size(); ++i)
            regular = std::find(group->Members.begin(), group->Members.begin() + group->Count,
                                members[i]) != group->Members.begin() + group->Count;
        FileSheet s = Named(std::move(members), regular ? &*group : nullptr);
        s.Irregular = !regular;
        out.Readings.push_back(std::move(s));
    }
    return !out.Readings.empty();
}

// The whole text as a designation: the reader's readings, or an irregular join.
bool ReadWhole(std::string_view text, FileName& out, std::string* error) {
    const DesignationResult read = ReadDesignation(text);
    if (read.Ok()) {
        for (const DesignationReading& r : read.Readings)
            out.Readings.push_back(Named(MembersOf(r), r.Joined ? &r.Published : nullptr));
        return true;
    }
    if (error != nullptr) *error = read.Error.English;
    return text.find_first_of("_+,") != std::string_view::npos && ReadIrregular(text, out);
}

} // namespace

std::string_view ScaleShort(int scale) {
    static constexpr std::string_view kShort[] = {"",     "1M",  "500k", "200k",
                                                  "100k", "50k", "25k",  "10k"};
    return scale >= 1 && scale <= 7 ? kShort[scale] : std::string_view();
}

std::string JoinNames(const std::vector<std::string>& names, char separator,
                      std::string_view join) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i == 0) {
            out = names[0];
            continue;
        }
        const auto a = Split(names[i - 1], separator), b = Split(names[i], separator);
        std::size_t k = 0;
        while (k + 1 < b.size() && k < a.size() && a[k] == b[k])
            ++k;
        out += join;
        for (std::size_t j = k; j < b.size(); ++j) {
            if (j > k) out += separator;
            out += b[j];
        }
    }
    return out;
}

std::string LatinName(const SheetKey& key) {
    if (!IsSheetKey(key)) return {};
    static constexpr std::string_view kCapital[] = {"", "A", "B", "C", "D"};
    static constexpr std::string_view kSmall[] = {"", "a", "b", "c", "d"};
    std::string s = key.Hemisphere == 'S' ? "s " : "";
    s += RowLetter(key.Row);
    s += '-';
    s += NumberText(key.Column);
    if (key.Scale == 2) (s += '-') += kCapital[key.SubSheet];
    if (key.Scale == 3) (s += '-') += RomanText(key.SubSheet);
    if (key.Scale >= 4) (s += '-') += Number3Text(key.SubSheet);
    if (key.Scale >= 5) (s += '-') += kCapital[key.Quarter];
    if (key.Scale >= 6) (s += '-') += kSmall[key.Quarter25];
    if (key.Scale >= 7) (s += '-') += static_cast<char>('0' + key.Quarter10);
    return s;
}

std::string ArchiveName(const SheetKey& key) {
    if (!IsSheetKey(key)) return {};
    std::string s = key.Hemisphere == 'S' ? "x" : "";
    s += static_cast<char>(RowLetter(key.Row)[0] - 'A' + 'a');
    s += Number2Text(key.Column);
    if (key.Scale == 2) (s += '-') += static_cast<char>('0' + key.SubSheet);
    if (key.Scale == 3) { // in digits it would read as a 1:100,000 sheet too
        s += '-';
        for (const char c : RomanText(key.SubSheet))
            s += static_cast<char>(c - 'A' + 'a');
    }
    if (key.Scale >= 4) (s += '-') += Number3Text(key.SubSheet);
    if (key.Scale >= 5) (s += '-') += static_cast<char>('0' + key.Quarter);
    if (key.Scale >= 6) (s += '-') += static_cast<char>('0' + key.Quarter25);
    if (key.Scale >= 7) (s += '-') += static_cast<char>('0' + key.Quarter10);
    return s;
}

FileName ReadFileStem(std::string_view stem) {
    FileName out;
    stem = Trimmed(stem);
    if (ReadWhole(stem, out, &out.Error)) {
        out.Designation = stem;
        out.Error.clear();
        return out;
    }
    // Words split at blanks and "_"; a run of them is read from its first byte to its last.
    struct Word {
        std::size_t Begin, End;
    };
    std::vector<Word> words;
    for (std::size_t i = 0; i < stem.size();) {
        while (i < stem.size() && (stem[i] == ' ' || stem[i] == '_'))
            ++i;
        const std::size_t b = i;
        while (i < stem.size() && stem[i] != ' ' && stem[i] != '_')
            ++i;
        if (i > b) words.push_back({b, i});
    }
    const std::size_t n = words.size();
    for (std::size_t length = n; length-- > 1;) {
        for (std::size_t first = 0; first + length <= n; ++first) {
            const std::size_t b = words[first].Begin, e = words[first + length - 1].End;
            if (!ReadWhole(stem.substr(b, e - b), out, nullptr)) continue;
            out.Designation = stem.substr(b, e - b);
            for (std::size_t i = 0; i < n; ++i) {
                if (i >= first && i < first + length) continue;
                if (!out.Rest.empty()) out.Rest += ' ';
                out.Rest += stem.substr(words[i].Begin, words[i].End - words[i].Begin);
            }
            out.Error.clear();
            return out;
        }
    }
    if (out.Error.empty()) out.Error = "no sheet designation";
    return out;
}

} // namespace kavu::cli
