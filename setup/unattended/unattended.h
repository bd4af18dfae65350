/* The unattended configuration file and the status MIF. */
#ifndef SETUP_UNATTENDED_H
#define SETUP_UNATTENDED_H

#include <windows.h>

#include "product.h"

#define MIF_FILE_NAME PRODUCT_MIF_NAME ".MIF"
#define MIF_BUFFER_SIZE 2500
/* The description attribute is a STRING(255). */
#define MIF_DESCRIPTION_SIZE 256

void ReadUnattendedConfig(void);
bool CreateStatusMif(void);
bool AppendMifStatus(int success, LPCSTR description);
/* The status record of an unattended road that reached its end: Success,
 * or Failed with the first problem the road noted. */
void AppendRunOutcome(void);
/* The first problem with the count of the others, as the status file takes it. */
void ComposeRunFailure(LPSTR description, int size);
/* A refusal before anything was changed: the text is shown (or logged)
 * and becomes the one failure record, then setup ends. */
[[noreturn]] void EndRunWithFailure(LPCSTR text);

#endif
