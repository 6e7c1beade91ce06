#include "winapi.h"

#include <dlfcn.h>

#include <cstring>
#include <string>

namespace {

std::string sharedObjectName(const std::string& fileName)
{
    std::string base = fileName.substr(fileName.find_last_of("/\\") + 1);
    const std::size_t dot = base.rfind('.');
    if (dot != std::string::npos &&
        (base.compare(dot, 4, ".dll") == 0 || base.compare(dot, 4, ".DLL") == 0))
        base.erase(dot);
    return "lib" + base + ".so";
}

} // namespace

HMODULE LoadLibraryA(const char* fileName)
{
    if (fileName == nullptr || *fileName == '\0')
        return nullptr;
    return dlopen(sharedObjectName(fileName).c_str(), RTLD_NOW | RTLD_LOCAL);
}

int LoadStringA(HMODULE module, UINT id, char* buffer, int bufferMax)
{
    if (buffer == nullptr || bufferMax <= 0)
        return 0;
    buffer[0] = '\0';
    if (module == nullptr)
        return 0;
    auto* lookup = reinterpret_cast<TvResourceStringFn*>(dlsym(module, kTvResourceStringSymbol));
    const char* text = lookup != nullptr ? lookup(id) : nullptr;
    if (text == nullptr)
        return 0;
    const std::size_t length = std::min(std::strlen(text), static_cast<std::size_t>(bufferMax - 1));
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

int FreeLibrary(HMODULE module)
{
    return module != nullptr && dlclose(module) == 0 ? 1 : 0;
}
