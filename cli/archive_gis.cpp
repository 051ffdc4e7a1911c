#include "cli/archive_gis.h"

#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace kavu::cli {

std::unique_ptr<ArchiveGis> LoadArchiveGis(std::string& error) {
    std::error_code ec;
    const auto folder = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
    std::string reason = "cannot find the program's own folder";
    for (const auto& path : {folder / "kavu-sheet-archive.so",
                             folder.parent_path() / KAVU_MODULEDIR / "kavu-sheet-archive.so"}) {
        if (ec) break;
        if (!std::filesystem::exists(path)) {
            reason = path.string() + " is missing";
            continue;
        }
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            reason = ::dlerror();
            break;
        }
        auto* entry =
            reinterpret_cast<ArchiveGis* (*)()>(::dlsym(handle, "KavuSheetArchiveModule"));
        if (entry == nullptr) {
            reason = ::dlerror();
            break;
        }
        return std::unique_ptr<ArchiveGis>(entry());
    }
    error = "GIS files and scans need the module kavu-sheet-archive.so: " + reason;
    return nullptr;
}

} // namespace kavu::cli
