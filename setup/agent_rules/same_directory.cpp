#include "setup/agent_rules/agent_rules.h"

bool IsSameDirectory(LPCSTR first, LPCSTR second)
{
    return lstrcmpiA(first, second) == 0;
}
