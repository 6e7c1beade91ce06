// The few Win32 library and string-resource calls the module makes, on dlopen.
#pragma once

using HMODULE = void*;
using UINT = unsigned int;

// "name.dll" loads libname.so from the library folder (or the loader's search path); null when
// the library cannot be loaded.
HMODULE LoadLibraryA(const char* fileName);
// Copies string `id` of the library's string table into buffer (at most bufferMax - 1 bytes,
// always zero-terminated) and returns its length; 0 when there is no such string.
int LoadStringA(HMODULE module, UINT id, char* buffer, int bufferMax);
int FreeLibrary(HMODULE module);

// What a string-table library exports: the UTF-8 text of a string id, or null.
using TvResourceStringFn = const char*(unsigned int id);
constexpr const char* kTvResourceStringSymbol = "tv_resource_string";
