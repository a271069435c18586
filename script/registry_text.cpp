#include "registry_text.h"

#include "fatal.h"
#include "text.h"
#include "texts.h"

// The data go into a buffer of exactly the size the registry reported, so a value of any length
// is read whole; only the text handed back is cut to the caller's buffer.
void ReadRegistryText(HKEY key, const char* valueName, char* text, unsigned size) {
    if (size > 0) text[0] = 0;
    DWORD type = 0;
    DWORD dataSize = 0;
    if (RegQueryValueExA(key, valueName, 0, &type, 0, &dataSize) != ERROR_SUCCESS || dataSize == 0) return;

    HANDLE heap = GetProcessHeap();
    BYTE* data = static_cast<BYTE*>(HeapAlloc(heap, 0, dataSize));
    if (!data) RaiseRegistryError(TEXT_ERROR_READ_VALUE_1, valueName, TEXT_ERROR_READ_VALUE_2);
    DWORD readSize = dataSize;
    if (RegQueryValueExA(key, valueName, 0, &type, data, &readSize) != ERROR_SUCCESS) {
        HeapFree(heap, 0, data);
        RaiseRegistryError(TEXT_ERROR_READ_VALUE_1, valueName, TEXT_ERROR_READ_VALUE_2);
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        HeapFree(heap, 0, data);
        RaiseRegistryError(TEXT_ERROR_VALUE_TYPE_1, valueName, TEXT_ERROR_VALUE_TYPE_2);
    }

    // A text stored without its zero ends with its data; environment references stay as stored.
    unsigned length = 0;
    if (readSize > dataSize) readSize = dataSize;
    while (length < readSize && data[length] != 0) ++length;
    if (size > 0) {
        unsigned kept = length < size ? length : size - 1;
        CopyBytes(text, data, kept);
        text[kept] = 0;
    }
    HeapFree(heap, 0, data);
}
