/* kvbrdcst.dll: broadcast settings shared by the family's services. */
#include <windows.h>

extern "C" DWORD WINAPI KvBroadcastVersion(void) { return 0x0200; }
/* Seconds between two announcements of the agent on the network. */
extern "C" DWORD WINAPI KvBroadcastInterval(void) { return 60; }
