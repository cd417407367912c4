// The pictures and the icon carried inside the program, looked up by name and
// type as Win32 resources are. A bitmap resource holds the whole .bmp file as
// the tools wrote it; an icon resource the whole .ico file. Only the resources
// whose files existed when the program was built are there: a missing one is
// simply not found.
//
// The program carries them compressed: LoadResource unpacks one, and its
// bytes stay until FreeResource, so that a picture copied into its surface
// does not stay in memory twice.
#pragma once

#include <cstdint>

#include "platform/win32/win32.h"

struct ResourceEntry;
using HRSRC = const ResourceEntry*;
using HGLOBAL = const void*;

constexpr std::uintptr_t RT_BITMAP = 2;
constexpr std::uintptr_t RT_GROUP_ICON = 14;

// Null when the program carries no resource of that name and type. The module
// is ignored: there is only the program's own.
HRSRC FindResourceA(HINSTANCE module, LPCSTR name, std::uintptr_t type);
// Null when the resource holds nothing, or its compressed bytes are damaged.
HGLOBAL LoadResource(HINSTANCE module, HRSRC resource);
const void* LockResource(HGLOBAL data);
// The unpacked size; 0 for no resource.
DWORD SizeofResource(HINSTANCE module, HRSRC resource);
// Lets the loaded bytes go; the resource can be loaded again. Always 0 (FALSE).
BOOL FreeResource(HGLOBAL data);
