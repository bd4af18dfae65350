#include <stdlib.h>

#include "setup/agent_rules/agent_rules.h"
#include "setup/pages/pages.h"
#include "setup/shell/setup_state.h"
#include "setup/toolkit/toolkit.h"

int GetDriveFreeSpace(LPCSTR rootPath)
{
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(rootPath, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        GetLastError();
    DWORD clusterBytes = bytesPerSector * sectorsPerCluster;
    SetupState.DriveFreeBytes = (ULONGLONG)clusterBytes * freeClusters;
    return 0;
}

DWORD GetRequiredSpaceForDrive(char driveLetter)
{
    HCURSOR previous = SetCursor(LoadCursorA(NULL, IDC_WAIT));
    BuildCopyList();
    GetCopyListCost("EXTRAS", "COSTS", "NEEDED");
    USHORT count = GetListLength("COSTS");
    unsigned index = (unsigned char)(driveLetter - 'A');
    long value = 0;
    if (index < count) {
        char item[30];
        GetListItem("COSTS", (int)index + 1, item, sizeof(item));
        value = strtol(item, NULL, 10);
    }
    SetCursor(previous);
    return value < 0 ? 0 : (DWORD)value;
}
