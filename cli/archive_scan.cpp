#include "cli/archive_scan.h"

#include "cli/scale.h"
#include "engine/tables.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <map>
#include <sys/stat.h>
#include <system_error>

namespace kavu::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSideEndings[] = {".aux.xml", ".tfw",    ".jgw", ".wld",
                                             ".prj",     ".points", ".ovr"};

bool EndsWithFolded(std::string_view name, std::string_view end) {
    if (name.size() < end.size()) return false;
    for (std::size_t i = 0; i < end.size(); ++i) {
        char c = name[name.size() - end.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != end[i]) return false;
    }
    return true;
}

// The length of the side-file ending of `name`, or 0.
std::size_t SideEnding(std::string_view name) {
    for (std::string_view end : kSideEndings)
        if (name.size() > end.size() && EndsWithFolded(name, end)) return end.size();
    return 0;
}

void AddFile(const std::string& path, Archive& archive) {
    const std::string& full = path;
    const std::size_t slash = full.rfind('/');
    const std::string_view name = slash == std::string::npos
                                      ? std::string_view(full)
                                      : std::string_view(full).substr(slash + 1);
    if (const std::size_t side = SideEnding(name)) {
        const std::string base = full.substr(0, full.size() - side);
        archive.SideHashes.insert(std::hash<std::string_view>()(base));
        archive.Sides[base].emplace_back(name);
        return;
    }
    // The undo lists of renames are no scans either.
    if (name.rfind("kavu-sheet-undo", 0) == 0) return;
    ScanFile f;
    f.Path = path;
    const std::size_t dot = name.rfind('.');
    f.Stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    f.Extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    archive.Files.push_back(std::move(f));
}

std::string ReadingList(const FileName& name) {
    std::string all;
    for (const FileSheet& s : name.Readings) {
        if (!all.empty()) all += ", ";
        all += ScaleName(s.Scale);
        all += ' ';
        all += s.Old;
    }
    return all;
}

} // namespace

bool IsSideFile(const std::string& name) {
    return SideEnding(name) != 0;
}

std::vector<std::string> SideFilesOf(const Archive& archive, const ScanFile& file) {
    std::vector<std::string> found;
    if (archive.Sides.empty()) return found;
    const std::string& full = file.Path;
    for (const std::size_t cut : {file.Extension.size(), std::size_t{0}}) {
        const std::string_view base = std::string_view(full).substr(0, full.size() - cut);
        if (!archive.SideHashes.count(std::hash<std::string_view>()(base))) continue;
        const auto it = archive.Sides.find(std::string(base));
        if (it != archive.Sides.end())
            found.insert(found.end(), it->second.begin(), it->second.end());
    }
    return found;
}

namespace {

// A sheet in one number, for sorting a hundred thousand of them.
std::uint64_t Packed(const SheetKey& k) {
    std::uint64_t v = static_cast<std::uint64_t>(k.Scale);
    for (const int field : {k.Hemisphere == 'S' ? 1 : 0, k.Row, k.Column, k.SubSheet, k.Quarter,
                            k.Quarter25, k.Quarter10})
        v = v * 256 + static_cast<std::uint64_t>(field);
    return v;
}

// The files of a folder (and its subfolders with `recursive`), read with readdir: a path object
// for each of a hundred thousand files would cost more than reading their names.
bool Walk(const std::string& folder, bool recursive, Archive& archive, std::string& error) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        error = folder + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::string> subfolders;
    std::string path;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        path = folder;
        if (path.back() != '/') path += '/';
        path += name;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st;
            type = ::stat(path.c_str(), &st) != 0 ? DT_UNKNOWN
                   : S_ISREG(st.st_mode)          ? DT_REG
                   : S_ISDIR(st.st_mode)          ? DT_DIR
                                                  : DT_UNKNOWN;
        }
        if (type == DT_REG) AddFile(path, archive);
        if (type == DT_DIR && recursive && entry->d_type != DT_LNK) subfolders.push_back(path);
    }
    ::closedir(dir);
    for (const std::string& sub : subfolders)
        if (!Walk(sub, recursive, archive, error)) return false;
    return true;
}

} // namespace

bool ReadArchive(const std::vector<std::string>& paths, bool recursive, int scale, bool anyScale,
                 Archive& archive, std::string& error) {
    for (const std::string& given : paths) {
        struct stat st;
        if (::stat(given.c_str(), &st) != 0) {
            error = given + ": " + std::strerror(errno);
            return false;
        }
        if (S_ISREG(st.st_mode)) {
            AddFile(given, archive);
            // Its side files, which only a folder walk would otherwise see.
            const std::size_t slash = given.rfind('/');
            const std::string folder = slash == std::string::npos ? "" : given.substr(0, slash + 1);
            std::error_code ec;
            for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder, ec))
                if (IsSideFile(entry.path().filename().string()))
                    AddFile(folder + entry.path().filename().string(), archive);
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            error = given + ": not a file or a folder";
            return false;
        }
        if (!Walk(given, recursive, archive, error)) return false;
    }
    std::sort(archive.Files.begin(), archive.Files.end(),
              [](const ScanFile& a, const ScanFile& b) { return a.Path < b.Path; });

    // Which sheets each file gives, to find a sheet in two files.
    std::vector<std::pair<std::uint64_t, std::size_t>> holders; // sheet, file
    for (std::size_t i = 0; i < archive.Files.size(); ++i) {
        ScanFile& f = archive.Files[i];
        f.Name = ReadFileStem(f.Stem);
        if (!f.Name.Error.empty() && f.Name.Readings.empty()) {
            f.Problems.push_back("no designation");
            f.Details.push_back(f.Name.Error);
            continue;
        }
        // A name that the notation leaves ambiguous ("N-37-4") is settled by --scale, or by a
        // folder named for its scale ("100k/N-37-4.tif").
        int folderScale = 0;
        if (scale == 0 && f.Name.Readings.size() > 1)
            folderScale = ReadScale(fs::path(f.Path).parent_path().filename().string());
        int count = 0;
        for (const FileSheet& s : f.Name.Readings)
            if ((scale == 0 && folderScale == 0) || s.Scale == scale || s.Scale == folderScale) {
                f.Sheet = &s;
                ++count;
            }
        if (count == 0 && anyScale && f.Name.Readings.size() == 1) {
            f.Sheet = &f.Name.Readings[0];
            count = 1;
        }
        if (count != 1) {
            f.Sheet = nullptr;
            f.Problems.push_back(count == 0 ? "other scale" : "ambiguous");
            f.Details.push_back(count == 0 ? "no sheet of " + std::string(ScaleName(scale)) +
                                                 "; it reads as " + ReadingList(f.Name)
                                           : "it reads as " + ReadingList(f.Name) +
                                                 "; pick one with --scale");
            continue;
        }
        if (f.Sheet->Irregular) {
            f.Problems.push_back("irregular");
            f.Details.push_back("the series did not print these sheets together");
        }
        for (const SheetKey& key : f.Sheet->Members)
            holders.emplace_back(Packed(key), i);
    }
    std::sort(holders.begin(), holders.end());
    for (std::size_t b = 0, e = 0; b < holders.size(); b = e) {
        while (e < holders.size() && holders[e].first == holders[b].first)
            ++e;
        for (std::size_t i = b; e - b > 1 && i < e; ++i) {
            ScanFile& f = archive.Files[holders[i].second];
            std::string others;
            for (std::size_t j = b; j < e; ++j)
                if (j != i)
                    (others += others.empty() ? "" : ", ") += archive.Files[holders[j].second].Path;
            // A join may share sheets with several files: one problem names them all.
            const auto at = std::find(f.Problems.begin(), f.Problems.end(), "duplicate");
            if (at != f.Problems.end()) {
                f.Details[static_cast<std::size_t>(at - f.Problems.begin())] += ", " + others;
                continue;
            }
            f.Problems.push_back("duplicate");
            f.Details.push_back("the same sheet as " + others);
        }
    }
    return true;
}

} // namespace kavu::cli
