#include "setup/shell/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    return SetupWinMain(instance, previous, commandLine, showCommand);
}
