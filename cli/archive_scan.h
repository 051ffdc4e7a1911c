// The scans of an archive: the files named on the command line and those in its folders, each
// with what its name reads as; the side files GIS programs keep beside a scan travel with it.
#pragma once

#include "cli/archive_names.h"

#include <filesystem>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kavu::cli {

struct ScanFile {
    std::string Path;            // as walked: the folder given, then the names below it
    std::string Stem, Extension; // "n37-004", ".tif"
    FileName Name;
    const FileSheet* Sheet = nullptr; // the one reading, after --scale; null: none or ambiguous
    std::vector<std::string> Problems, Details;
};

struct Archive {
    std::vector<ScanFile> Files; // sorted by path
    // The side files seen, by folder and the name they belong to ("dir/n37-004" or
    // "dir/n37-004.tif"), so that a scan's are found without asking the disk again.
    std::unordered_map<std::string, std::vector<std::string>> Sides;
    std::unordered_set<std::size_t> SideHashes; // of the keys, looked up without a copy
};

/// Side-file endings, lower case: ".aux.xml", ".tfw", ".jgw", ".wld", ".prj", ".points", ".ovr".
bool IsSideFile(const std::string& name);

/// Walks `paths` (a folder's files, its subfolders' too with `recursive`), reads every name and
/// finds what is wrong: no designation, ambiguous (unless `scale` picks), the same sheet in two
/// files, an irregular join. With `anyScale`, a name with one reading keeps it when that is not
/// at `scale`. False and `error` for a path that is neither file nor folder.
bool ReadArchive(const std::vector<std::string>& paths, bool recursive, int scale, bool anyScale,
                 Archive& archive, std::string& error);

/// Side files of a scan that exist: "n37-004.tfw", "n37-004.tif.aux.xml", … (their names).
std::vector<std::string> SideFilesOf(const Archive& archive, const ScanFile& file);

} // namespace kavu::cli
