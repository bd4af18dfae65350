/* Machine set-up for scenario runs: copies of the distribution, the files
 * a run leaves, and the texts of the resource library. */
#ifndef SCENARIO_SUPPORT_H
#define SCENARIO_SUPPORT_H

#include <windows.h>

#include <string>
#include <vector>

#include "robot/robot.h"

namespace scenario {

const char LogPath[] = "C:\\SETUPKVA.LOG";
const DWORD RunTimeoutMs = 60000;

// Copies the distribution's files into a fresh directory, leaving out the
// named ones; answers the directory.
std::string CopyDistribution(const std::string &directory, const std::vector<std::string> &leaveOut = {});
void RemoveDirectoryTree(const std::string &directory);
std::string MifPath();
std::vector<std::string> MifLines();
std::string LoadText(UINT id);
// A text of the resource library with its format filled in.
std::string FormatText(UINT id, ...);
// What a failed install that gave the machine back tells: the step (a
// string id), the system's error and the note (a string id).
std::string InstallFailedText(UINT step, DWORD error, UINT note);
// The text of each entry of the log, without its time stamp; the lines of
// a text of several lines are joined with "\n" again.
std::vector<std::string> LogLines();
bool LogHas(const std::string &text);
// Removes what earlier runs left: log, MIF.
void ForgetEarlierRuns();
void WriteTextFile(const std::string &path, const std::string &content);

}  // namespace scenario

#endif
