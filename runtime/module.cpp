#include "module.h"

#include <filesystem>
#include <system_error>

#include <dlfcn.h>

namespace zunova::runtime {

ModuleEntry loadModule(const char* fromProgram, const char* symbol) {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {nullptr, QStringLiteral("/proc/self/exe: ") +
                             QString::fromLocal8Bit(error.message().c_str())};
    const std::string path = (program.parent_path() / fromProgram).lexically_normal().string();
    void* const handle = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    void* const address = handle ? ::dlsym(handle, symbol) : nullptr;
    if (!address)
        return {nullptr, QString::fromLocal8Bit(::dlerror())};
    return {address, {}};
}

} // namespace zunova::runtime
