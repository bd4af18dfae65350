/* Shared inside MSCOMSTF: one finished entry into the open log file. */
#ifndef MSCOMSTF_LOG_INTERNAL_H
#define MSCOMSTF_LOG_INTERNAL_H

#include <windows.h>

#include <string>

// Builds "yyyy-mm-dd hh:mm:ss  text" with CR LF; further lines of the text
// are indented under its first line so the entry reads as one.
std::string FormatLogEntry(const SYSTEMTIME &time, const char *text);

#endif
