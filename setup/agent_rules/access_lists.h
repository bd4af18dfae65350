/* Who may read the agent's configuration and change its programs. */
#ifndef SETUP_ACCESS_LISTS_H
#define SETUP_ACCESS_LISTS_H

#include <windows.h>

/* Three grants at most: room for their entries with the largest SIDs. */
#define AGENT_ACL_SIZE (sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE))

/* A protected access list, ready to be passed: the descriptor points into
 * the record, which therefore stays where it was built. */
struct AgentSecurity {
    SECURITY_DESCRIPTOR Descriptor;
    SECURITY_ATTRIBUTES Attributes;
    BYTE Acl[AGENT_ACL_SIZE];
    BYTE Owner[SECURITY_MAX_SID_SIZE];
};

/* The configuration key: full control for Administrators and SYSTEM, nothing
 * for anyone else. */
bool BuildAgentKeySecurity(AgentSecurity *security);
/* The agent's directory and what is created in it: full control for
 * Administrators and SYSTEM, reading and running for Users. */
bool BuildAgentDirectorySecurity(AgentSecurity *security);

/* The folders setup makes for a copy of itself: full control for
 * Administrators and SYSTEM, nothing for anyone else. */
bool BuildSetupFolderSecurity(AgentSecurity *security);

/* Who besides Administrators, SYSTEM and the system's installer service
 * owns what has this descriptor (an owner may rewrite its list) or may
 * change files in it, as names joined by ", "; empty when nobody. A missing
 * list (everyone may) gives "Everyone". */
void DescribeOtherWritersOf(PSECURITY_DESCRIPTOR descriptor, LPSTR names, int size);
/* The same for a directory; false when its descriptor cannot be read. */
bool DescribeOtherWriters(LPCSTR directory, LPSTR names, int size);
/* Gives a directory setup did not make the agent directory's protected list,
 * with Administrators as its owner. */
bool ProtectAgentDirectory(LPCSTR directory);

#endif
