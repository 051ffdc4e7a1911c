// Finds and loads the project's modules; links neither PROJ nor GDAL.
#include "geo/proj_module.h"

#include <dlfcn.h>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace kavu::geo {

void* OpenModule(const char* file, std::string& error) {
    std::error_code ec;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        error = std::string("cannot find the program's own folder to load ") + file;
        return nullptr;
    }
    const auto folder = program.parent_path();
    std::string reason;
    for (const auto& path : {folder / file, folder.parent_path() / KAVU_MODULEDIR / file,
                             std::filesystem::path(KAVU_BUILD_MODULEDIR) / file}) {
        if (!std::filesystem::exists(path, ec)) continue;
        if (void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
        const char* text = ::dlerror();
        error = text != nullptr ? text : path.string() + " does not load";
        return nullptr;
    }
    error = std::string(file) + " is missing beside the program and in " + KAVU_MODULEDIR;
    return nullptr;
}

const ProjModule* LoadProjModule(std::string& error) {
    static std::once_flag once;
    static const ProjModule* module = nullptr;
    static std::string failure;
    std::call_once(once, [] {
        void* handle = OpenModule("kavu-proj.so", failure);
        if (handle == nullptr) return;
        auto* entry = reinterpret_cast<const ProjModule* (*)()>(::dlsym(handle, "KavuProjModule"));
        if (entry == nullptr) {
            failure = "kavu-proj.so has no entry point";
            return;
        }
        module = entry();
    });
    if (module == nullptr) error = "the datum conversion needs PROJ: " + failure;
    return module;
}

} // namespace kavu::geo
