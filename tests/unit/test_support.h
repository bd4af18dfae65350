/* Shared set-up for the program's unit suites: a clean installer state with
 * the resource library loaded, and readers for the files the program writes. */
#ifndef TEST_SUPPORT_H
#define TEST_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include "robot/robot.h"
#include "setup/shell/setup_state.h"

namespace support {

const char LogPath[] = "C:\\SETUPKVA.LOG";

// Fresh state with HFNTSET.DLL loaded and the registry entry points ready.
void FreshState();
// Releases what FreshState and the case took (log, library, registry table).
void ReleaseState();

std::string MifPath();
std::string LoadText(UINT id);
std::vector<std::string> LogLines();
void DeleteLog();
void DeleteMif();
// Writes a text file with CRLF line ends as given.
void WriteFile(const std::string &path, const std::string &content);

// Runs the statement in a child process (gtest death test) and asserts that
// it ended with exit code 1603, the code of every fatal error.
#define EXPECT_SETUP_ENDS(statement) EXPECT_EXIT(statement, ::testing::ExitedWithCode(ERROR_INSTALL_FAILURE), "")

}  // namespace support

#endif
