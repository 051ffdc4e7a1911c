// Renaming the scans of an archive to one name style, with their side files, never over an
// existing file, and with an undo list written ahead of every move.
#pragma once

#include "cli/archive_scan.h"

#include <functional>
#include <string>
#include <vector>

namespace kavu::cli {

class Output;

struct RenameTemplate {
    struct Part {
        bool Field = false;
        std::string Text; // the literal text, or the field's name
    };
    std::vector<Part> Parts;
};

/// Fields {new}, {old}, {latin}, {archive}, {scale}, {rest}, {ext}; "{{" and "}}" are braces.
bool ReadTemplate(const std::string& text, RenameTemplate& pattern, std::string& error);

/// The new path of a scan, relative to its folder unless the template begins with "/"; blanks
/// doubled or left at the ends of a name by an empty field are dropped. Empty when a part of the
/// path comes out empty or holds "/" from a field.
std::string ExpandTemplate(const RenameTemplate& pattern, const ScanFile& file);

/// Prints every move ("FROM -> TO") and, with `apply`, makes them: each is first written to the
/// undo list, then done; the first move that fails stops the run. Names that do not read as one
/// sheet and moves onto an existing or already claimed name are reported and skipped.
int Rename(const Archive& archive, const RenameTemplate& pattern, bool apply,
           const std::string& undoList, Output& out,
           const std::function<void(const std::string&)>& tell);

/// Replays an undo list backwards. A move whose file is already back (or never moved) is
/// passed over; one whose old name is taken again is reported and skipped.
int UndoRenames(const std::string& list, const std::function<void(const std::string&)>& tell);

} // namespace kavu::cli
