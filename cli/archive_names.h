// Sheet names in the file names of a scan archive: the designation read from a file's stem
// (with whatever else the keeper wrote around it), the joined sheets that archives hold beyond
// the series' own groups, and the name styles a folder can be renamed to.
#pragma once

#include "engine/readers.h"

#include <string>
#include <string_view>
#include <vector>

namespace kavu::cli {

/// One reading of a file name: a sheet, a published (joined) sheet, or an irregular join (sheets
/// of one scale that the series did not print together, read as the members listed).
struct FileSheet {
    int Scale = 0;
    std::vector<SheetKey> Members; // west to east as written; one for a single sheet
    bool Joined = false;
    bool Irregular = false;
    SignedFrame Frame; // the union of the members' frames
    std::string New, Old, Latin, Archive;
};

struct FileName {
    std::vector<FileSheet> Readings; // empty: no designation; two or more: ambiguous
    std::string Designation;         // the part of the stem that was read
    std::string Rest;                // the other words, in order, one blank apart
    std::string Error;               // why nothing reads
};

/// Reads a file's stem ("n37-004", "q-39-013_014", "N-37-004 1985 ed2"). The whole stem is
/// tried first, then runs of its words (split at blanks and "_"), the longest and leftmost
/// first, so that the other words are kept as the rest.
FileName ReadFileStem(std::string_view stem);

/// Name styles of one sheet (no leading blank): the lettered name in Latin letters with the
/// 1:100,000 number in three digits ("N-37-004-C"), and the compact lower-case archive style
/// ("n37-004-3"; 1:200,000 in small Roman numerals, "k37-xii", since two digits would also
/// read as a 1:100,000 sheet; the south as "x": "xa34-013").
std::string LatinName(const SheetKey& key);
std::string ArchiveName(const SheetKey& key);

/// Members written as the series writes a joined sheet: the first in full, each further one
/// from the first field (split at `separator`) in which it differs from the one before.
std::string JoinNames(const std::vector<std::string>& names, char separator, std::string_view join);

/// "1M", "500k", "200k", "100k", "50k", "25k", "10k".
std::string_view ScaleShort(int scale);

} // namespace kavu::cli
