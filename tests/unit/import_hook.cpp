#include "unit/import_hook.h"

#include <string.h>

// The slot of the import address table that holds the function.
static void **FindImportSlot(const char *library, const char *function)
{
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS *headers = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR *entry = (IMAGE_IMPORT_DESCRIPTOR *)(base + imports.VirtualAddress); entry->Name;
         entry++) {
        if (lstrcmpiA((const char *)(base + entry->Name), library) != 0)
            continue;
        IMAGE_THUNK_DATA *names = (IMAGE_THUNK_DATA *)(base + entry->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slots = (IMAGE_THUNK_DATA *)(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME *name = (IMAGE_IMPORT_BY_NAME *)(base + names->u1.AddressOfData);
            if (strcmp((const char *)name->Name, function) == 0)
                return (void **)&slots->u1.Function;
        }
    }
    return nullptr;
}

static void Replace(void **slot, void *value)
{
    DWORD protection;
    VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof(*slot), protection, &protection);
}

ImportHook::ImportHook(const char *library, const char *function, void *replacement)
{
    slot_ = FindImportSlot(library, function);
    if (!slot_)
        return;
    original_ = *slot_;
    Replace(slot_, replacement);
}

ImportHook::~ImportHook()
{
    if (slot_)
        Replace(slot_, original_);
}
