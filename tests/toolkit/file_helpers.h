/* Files for the toolkit suites: read whole ("<missing>" when absent, so an
 * empty file and no file differ), write whole, remove a tree. */
#ifndef TOOLKIT_FILE_HELPERS_H
#define TOOLKIT_FILE_HELPERS_H

#include <string>

namespace toolkit_files {

std::string ReadAll(const std::string &path);
void WriteAll(const std::string &path, const std::string &text);
// Clears read-only attributes on the way, so a test's leftovers always go.
void RemoveTree(const std::string &dir);

}  // namespace toolkit_files

#endif
