/* The agent's facts and rules, whichever road reads them: its keys and
 * values, where it lives by default, which directories it accepts, how its
 * credentials are stored, and what an earlier installation left. */
#ifndef SETUP_AGENT_RULES_H
#define SETUP_AGENT_RULES_H

#include <windows.h>

#include "product.h"

/* Set in the configuration key when a removal begins. */
#define AGENT_VALUE_REMOVAL_BEGUN "RemovalBegun"

#define DEFAULT_INSTALL_DIR "C:\\DORURE\\"
#define SCRAMBLE_CONSTANT   0xD2
/* The removal reads "ImagePath" and "dll" values of at most 255 bytes. */
#define SERVICE_IMAGE_PATH_SIZE 256
/* The longest install directory (with its backslash) the toolkit's copy can
 * fill: its work folder and the files in it ("~stfcopy.tmp\copy0.tmp") must
 * stay within MAX_PATH. The removal can read back a "dll" value that long. */
#define COPY_WORK_FOLDER    "~stfcopy.tmp"
#define COPY_WORK_FILE_PATH COPY_WORK_FOLDER "\\copy0.tmp"
#define INSTALL_DIR_LONGEST (MAX_PATH - 1 - ((int)sizeof(COPY_WORK_FILE_PATH) - 1))

/* Paths. A final backslash counts only when it is a character of its own,
 * not the second byte of a double-byte character. */
BOOL EndsInBackslash(LPCSTR path);
void AddTrailingBackslash(LPSTR path);
void RemoveTrailingBackslash(LPSTR path);
bool IsFullLocalPath(LPCSTR path);
bool IsFullLocalDirectory(LPCSTR directory);
bool DirectoryExists(LPCSTR path);
bool IsValid83Path(LPCSTR path);
void CutAtLastBackslash(LPSTR path, LPSTR destination);
/* The one way to join a directory and a name: one backslash between them.
 * False, and an empty path, when the result would not fit the size. */
bool JoinPath(LPSTR path, int size, LPCSTR directory, LPCSTR name);
/* Whether two directory texts name one directory. */
bool IsSameDirectory(LPCSTR first, LPCSTR second);

/* The agent's files in its directory; the shared ones serve the agent
 * services, which other agents of the family may use. */
struct AgentFile {
    const char *name;
    bool shared;
};
#define AGENT_FILE_COUNT 13
extern const AgentFile AgentFiles[AGENT_FILE_COUNT];
/* A directory that holds nothing but the agent's files (an earlier
 * installation, the copy's work folder) or nothing at all. */
bool HoldsOnlyAgentFiles(LPCSTR directory);

/* The stored login and password. */
void ScrambleText(LPCSTR source, LPSTR destination, int length);
/* TRUE when the text scrambles without a zero byte, so it can be stored. */
bool IsStorableCredential(LPCSTR text);

/* An earlier installation: its directory, login and password, read into
 * SetupState from the configuration key. */
bool ReadPreviousInstallation(void);

#endif
