#include "cli/archive_scan.h"

#include "cli/scale.h"
#include "engine/tables.h"

#include <algorithm>
#include <map>
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

std::string Key(const fs::path& path) {
    return path.string();
}

void AddFile(const fs::path& path, Archive& archive) {
    const std::string name = path.filename().string();
    archive.Names.insert(Key(path));
    // Side files travel with their scan; the undo lists of renames are no scans either.
    if (IsSideFile(name) || name.rfind("kavu-sheet-undo", 0) == 0) return;
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
    for (std::string_view end : kSideEndings)
        if (name.size() > end.size() && EndsWithFolded(name, end)) return true;
    return false;
}

std::vector<std::string> SideFilesOf(const Archive& archive, const ScanFile& file) {
    std::vector<std::string> found;
    const fs::path folder = file.Path.parent_path();
    const std::string full = file.Path.filename().string();
    for (const std::string& base : {file.Stem, full}) {
        for (std::string_view end : kSideEndings) {
            for (const bool upper : {false, true}) {
                std::string name = base;
                for (char c : end)
                    name += upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
                if (archive.Names.count(Key(folder / name)) &&
                    std::find(found.begin(), found.end(), name) == found.end())
                    found.push_back(name);
            }
        }
    }
    return found;
}

bool ReadArchive(const std::vector<std::string>& paths, bool recursive, int scale, bool anyScale,
                 Archive& archive, std::string& error) {
    for (const std::string& given : paths) {
        std::error_code ec;
        const fs::path path(given);
        const auto status = fs::status(path, ec);
        if (fs::is_regular_file(status)) {
            AddFile(path, archive);
            // Its side files, which only a folder walk would otherwise see.
            for (const auto& entry :
                 fs::directory_iterator(path.parent_path().empty() ? "." : path.parent_path(), ec))
                if (IsSideFile(entry.path().filename().string()))
                    archive.Names.insert(Key(path.parent_path() / entry.path().filename()));
            continue;
        }
        if (!fs::is_directory(status)) {
            error = given + ": " + (ec ? ec.message() : "not a file or a folder");
            return false;
        }
        const auto walk = [&](auto iterator) {
            for (auto it = iterator; it != decltype(iterator)(); it.increment(ec)) {
                if (ec) break;
                if (it->is_regular_file(ec)) AddFile(it->path(), archive);
            }
        };
        if (recursive)
            walk(fs::recursive_directory_iterator(
                path, fs::directory_options::skip_permission_denied, ec));
        else
            walk(fs::directory_iterator(path, ec));
        if (ec) {
            error = given + ": " + ec.message();
            return false;
        }
    }
    std::sort(archive.Files.begin(), archive.Files.end(),
              [](const ScanFile& a, const ScanFile& b) { return a.Path < b.Path; });

    // Which sheets each file gives, to find a sheet in two files.
    std::map<std::pair<int, std::string>, std::vector<std::size_t>> holders;
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
            folderScale = ReadScale(f.Path.parent_path().filename().string());
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
            holders[{key.Scale, FormatSheetNew(key)}].push_back(i);
    }
    for (const auto& [sheet, files] : holders) {
        if (files.size() < 2) continue;
        for (const std::size_t i : files) {
            ScanFile& f = archive.Files[i];
            std::string others;
            for (const std::size_t j : files)
                if (j != i)
                    (others += others.empty() ? "" : ", ") += archive.Files[j].Path.string();
            if (std::find(f.Problems.begin(), f.Problems.end(), "duplicate") != f.Problems.end())
                continue;
            f.Problems.push_back("duplicate");
            f.Details.push_back("the same sheet as " + others);
        }
    }
    return true;
}

} // namespace kavu::cli
