#include "cli/archive_gis.h"

#include "geo/proj_module.h"

#include <dlfcn.h>

namespace kavu::cli {

std::unique_ptr<ArchiveGis> LoadArchiveGis(std::string& error) {
    std::string reason;
    if (void* handle = geo::OpenModule("kavu-sheet-archive.so", reason)) {
        auto* entry =
            reinterpret_cast<ArchiveGis* (*)()>(::dlsym(handle, "KavuSheetArchiveModule"));
        if (entry != nullptr) return std::unique_ptr<ArchiveGis>(entry());
        reason = "kavu-sheet-archive.so has no entry point";
    }
    error = "GIS files and scans need the module kavu-sheet-archive.so: " + reason;
    return nullptr;
}

} // namespace kavu::cli
