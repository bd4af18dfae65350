/*
 * The symbol table: named text values. A symbol holds a list of items
 * numbered from 1; a plain value is a list of one item, and the symbol's
 * value is its first item.
 */
#include "setuptk.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Lengths are answered as USHORT, so no text may reach 65535 bytes.
const size_t kMaxText = 65534;
const size_t kMaxItems = 65535;

struct Symbol {
    std::string name;
    std::vector<std::string> items;
};

std::vector<Symbol> g_symbols;

bool UsableName(LPCSTR name)
{
    return name != NULL && name[0] != '\0';
}

bool UsableText(LPCSTR text)
{
    return text == NULL || strlen(text) <= kMaxText;
}

Symbol *FindSymbol(LPCSTR name)
{
    if (!UsableName(name))
        return NULL;
    for (Symbol &symbol : g_symbols) {
        if (symbol.name == name)
            return &symbol;
    }
    return NULL;
}

Symbol &FindOrAddSymbol(LPCSTR name)
{
    Symbol *found = FindSymbol(name);
    if (found)
        return *found;
    g_symbols.push_back(Symbol{name, {}});
    return g_symbols.back();
}

// Copies at most size-1 bytes and a terminator; answers the full length.
USHORT CopyAnswer(const char *text, size_t length, LPSTR buffer, USHORT size)
{
    if (buffer != NULL && size > 0) {
        size_t copied = length < (size_t)(size - 1) ? length : (size_t)(size - 1);
        memcpy(buffer, text, copied);
        buffer[copied] = '\0';
    }
    return (USHORT)length;
}

}  // namespace

extern "C" {

BOOL WINAPI FSetSymbolValue(LPCSTR name, LPCSTR value)
{
    if (!UsableName(name) || !UsableText(value))
        return FALSE;
    try {
        Symbol &symbol = FindOrAddSymbol(name);
        symbol.items.assign(1, std::string(value ? value : ""));
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

BOOL WINAPI FRemoveSymbol(LPCSTR name)
{
    if (!UsableName(name))
        return FALSE;
    for (size_t i = 0; i < g_symbols.size(); ++i) {
        if (g_symbols[i].name == name) {
            g_symbols.erase(g_symbols.begin() + (std::ptrdiff_t)i);
            break;
        }
    }
    return TRUE;
}

USHORT WINAPI CbGetSymbolValue(LPCSTR name, LPSTR buffer, USHORT size)
{
    const Symbol *symbol = FindSymbol(name);
    if (symbol == NULL || symbol->items.empty())
        return CopyAnswer("", 0, buffer, size);
    const std::string &value = symbol->items.front();
    return CopyAnswer(value.c_str(), value.size(), buffer, size);
}

BOOL WINAPI FAddListItem(LPCSTR name, LPCSTR item)
{
    if (!UsableName(name) || !UsableText(item))
        return FALSE;
    try {
        Symbol &symbol = FindOrAddSymbol(name);
        if (symbol.items.size() >= kMaxItems)
            return FALSE;
        symbol.items.push_back(std::string(item ? item : ""));
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

USHORT WINAPI UsGetListLength(LPCSTR name)
{
    const Symbol *symbol = FindSymbol(name);
    return symbol ? (USHORT)symbol->items.size() : 0;
}

USHORT WINAPI CbGetListItem(LPCSTR name, USHORT index, LPSTR buffer, USHORT size)
{
    const Symbol *symbol = FindSymbol(name);
    if (symbol == NULL || index == 0 || index > symbol->items.size())
        return CopyAnswer("", 0, buffer, size);
    const std::string &item = symbol->items[index - 1];
    return CopyAnswer(item.c_str(), item.size(), buffer, size);
}

}  // extern "C"
