// The engine's exported interface.
#include <windows.h>

#include "Velum.h"

extern "C" {

VELUM_API int VELUM_CALL Velum_Attach(void)
{
    return VELUM_OK;
}

VELUM_API int VELUM_CALL Velum_AttachEx(const char* themePath, const char*)
{
    if (themePath == nullptr)
        return VELUM_E_ARGUMENT;
    const DWORD attributes = GetFileAttributesA(themePath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return VELUM_E_FILE;
    return VELUM_OK;
}

VELUM_API int VELUM_CALL Velum_Detach(void)
{
    return VELUM_OK;
}

VELUM_API int VELUM_CALL Velum_GetLastErrorText(char* buffer, int size)
{
    if (buffer != nullptr && size > 0)
        buffer[0] = '\0';
    return 0;
}

}  // extern "C"
